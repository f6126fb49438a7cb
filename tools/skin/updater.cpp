#include "paint.h"
#include "pictures.h"

namespace skin
{

namespace
{

// The lower band holds the status line, the progress track and the
// update-now box; it stays plain so their text reads well.
constexpr int calmBandTop = 142;

void fallingStreaks(QPainter &p)
{
    // Thin streaks drifting down towards the progress track: the download.
    const struct {
        qreal x, top, length;
        int alpha;
    } streaks[] = {{236, 34, 40, 70},  {252, 58, 52, 90}, {268, 30, 34, 60}, {284, 70, 46, 110},
                   {300, 40, 60, 80},  {316, 86, 38, 70}, {332, 50, 44, 55}, {244, 100, 30, 50},
                   {292, 110, 24, 60}, {324, 104, 28, 45}};
    for (const auto &s : streaks) {
        QLinearGradient g(0, s.top, 0, s.top + s.length);
        g.setColorAt(0, withAlpha(amber, 0));
        g.setColorAt(1, withAlpha(amber, s.alpha));
        p.setPen(QPen(QBrush(g), 1.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s.x, s.top), QPointF(s.x, s.top + s.length));
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(QColor(0xFF, 0xD0, 0x80), s.alpha + 60));
        p.drawEllipse(QPointF(s.x, s.top + s.length), 1.3, 1.3);
    }
}

} // namespace

QImage updateBackground()
{
    QImage img = canvas(350, 236);
    QPainter p;
    begin(p, img);
    QLinearGradient ground(0, 0, 0, calmBandTop);
    ground.setColorAt(0, QColor(0x26, 0x26, 0x26));
    ground.setColorAt(1, QColor(0x18, 0x18, 0x18));
    p.fillRect(QRect(0, 0, 350, calmBandTop), ground);
    p.fillRect(QRect(0, calmBandTop, 350, 236 - calmBandTop), QColor(0x15, 0x15, 0x15));
    p.fillRect(QRect(0, calmBandTop, 350, 1), QColor(0x3A, 0x3A, 0x3A));
    p.fillRect(QRect(0, calmBandTop + 1, 350, 1), QColor(0x0E, 0x0E, 0x0E));

    QRadialGradient warmth(QPointF(66, 76), 120);
    warmth.setColorAt(0, withAlpha(amber, 70));
    warmth.setColorAt(1, withAlpha(amber, 0));
    p.fillRect(QRect(0, 0, 350, calmBandTop), warmth);

    fallingStreaks(p);

    glowingPlaySymbol(p, logicalSize(img), QRectF(24, 34, 84, 84), 6, 90);
    productName(p, QPointF(118, 84), 46);

    p.setFont(cjkFont(13));
    p.setPen(QColor(0xC0, 0xC0, 0xC0));
    p.drawText(QPointF(124, 110), QStringLiteral("在线升级 · 保持最新版本"));
    return img;
}

QImage updateIcon()
{
    QImage img = canvas(32, 32);
    QPainter p;
    begin(p, img);
    playSymbol(p, QRectF(0, 0, 28, 28));
    // A green badge with a downward arrow: a new version is coming in.
    QRadialGradient badge(QPointF(22, 21), 10);
    badge.setColorAt(0, QColor(0x7C, 0xD6, 0x48));
    badge.setColorAt(1, QColor(0x2E, 0x8A, 0x1A));
    p.setPen(QPen(QColor(0x10, 0x10, 0x10), 1.2));
    p.setBrush(badge);
    p.drawEllipse(QPointF(24, 24), 7.2, 7.2);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF{
        {22.6, 19.5}, {25.4, 19.5}, {25.4, 23.5}, {28, 23.5}, {24, 28}, {20, 23.5}, {22.6, 23.5}});
    return img;
}

} // namespace skin
