#include "paint.h"
#include "pictures.h"

#include <QPainterPath>

namespace skin
{

namespace
{

constexpr int tabWidth = 137, tabHeight = 37;
// The glow of a lit tab stays below this row, so the icons and captions
// that lie on the tab look the same on its lit and its normal picture.
constexpr int glowTop = 26;

// One tab of the row: a panel with rounded top corners, a hair apart from
// its neighbours.
void tabSegment(QPainter &p, qreal x, bool lit)
{
    const QRectF r(x + 1, 3, tabWidth - 2, tabHeight - 3);
    QPainterPath shape;
    const qreal rad = 5;
    shape.moveTo(r.left(), r.bottom());
    shape.lineTo(r.left(), r.top() + rad);
    shape.quadTo(r.left(), r.top(), r.left() + rad, r.top());
    shape.lineTo(r.right() - rad, r.top());
    shape.quadTo(r.right(), r.top(), r.right(), r.top() + rad);
    shape.lineTo(r.right(), r.bottom());
    shape.closeSubpath();

    QLinearGradient fill(0, r.top(), 0, r.bottom());
    fill.setColorAt(0.0, QColor(0x36, 0x36, 0x36));
    fill.setColorAt(0.55, QColor(0x2A, 0x2A, 0x2A));
    fill.setColorAt(1.0, QColor(0x22, 0x22, 0x22));
    p.fillPath(shape, fill);

    p.save();
    p.setClipPath(shape);
    p.setPen(QPen(QColor(255, 255, 255, 34), 1));
    p.drawLine(QPointF(r.left() + rad, r.top() + 0.5), QPointF(r.right() - rad, r.top() + 0.5));
    QLinearGradient edge(0, r.top(), 0, r.bottom());
    edge.setColorAt(0, QColor(255, 255, 255, 26));
    edge.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(QPen(QBrush(edge), 1));
    p.drawLine(QPointF(r.left() + 0.5, r.top() + rad), QPointF(r.left() + 0.5, r.bottom()));
    p.drawLine(QPointF(r.right() - 0.5, r.top() + rad), QPointF(r.right() - 0.5, r.bottom()));

    if (lit) {
        p.setClipRect(QRectF(r.left(), glowTop, r.width(), tabHeight - glowTop), Qt::IntersectClip);
        QRadialGradient warm(QPointF(r.center().x(), tabHeight), r.width() * 0.55);
        warm.setColorAt(0.0, withAlpha(amber, 150));
        warm.setColorAt(0.6, withAlpha(amber, 40));
        warm.setColorAt(1.0, withAlpha(amber, 0));
        p.setTransform(QTransform()
                           .translate(r.center().x(), tabHeight)
                           .scale(1, 0.2)
                           .translate(-r.center().x(), -tabHeight));
        p.fillRect(QRectF(r.left(), 0, r.width(), tabHeight * 6), warm);
        p.resetTransform();
        QLinearGradient bar(r.left(), 0, r.right(), 0);
        bar.setColorAt(0.0, withAlpha(amber, 0));
        bar.setColorAt(0.2, amber);
        bar.setColorAt(0.5, QColor(0xFF, 0xC2, 0x5A));
        bar.setColorAt(0.8, amber);
        bar.setColorAt(1.0, withAlpha(amber, 0));
        p.fillRect(QRectF(r.left(), tabHeight - 2, r.width(), 2), bar);
    }
    p.restore();
}

void house(QPainter &p, const QPointF &at)
{
    p.save();
    p.translate(at);
    QPainterPath roof;
    roof.moveTo(0, 9);
    roof.lineTo(10, 0.5);
    roof.lineTo(20, 9);
    p.setPen(QPen(amber, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(roof);
    QLinearGradient wall(0, 8, 0, 19);
    wall.setColorAt(0, QColor(0xF2, 0xF2, 0xF2));
    wall.setColorAt(1, QColor(0xB8, 0xB8, 0xB8));
    p.setPen(Qt::NoPen);
    p.setBrush(wall);
    QPainterPath body;
    body.moveTo(3.5, 9.5);
    body.lineTo(10, 3.8);
    body.lineTo(16.5, 9.5);
    body.lineTo(16.5, 19);
    body.lineTo(3.5, 19);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(0x3A, 0x3A, 0x3A));
    p.drawRoundedRect(QRectF(8, 12, 4, 7), 1, 1);
    p.restore();
}

void television(QPainter &p, const QPointF &at, bool lit)
{
    p.save();
    p.translate(at);
    p.setPen(QPen(QColor(0xC8, 0xC8, 0xC8), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 4), QPointF(6, 0.5));
    p.drawLine(QPointF(10, 4), QPointF(14, 0.5));
    QLinearGradient bezel(0, 4, 0, 18);
    bezel.setColorAt(0, QColor(0xE6, 0xE6, 0xE6));
    bezel.setColorAt(1, QColor(0x9C, 0x9C, 0x9C));
    p.setPen(Qt::NoPen);
    p.setBrush(bezel);
    p.drawRoundedRect(QRectF(0, 4, 20, 14), 2.5, 2.5);
    QLinearGradient screen(0, 6, 0, 16);
    screen.setColorAt(0, lit ? QColor(0x5A, 0xA8, 0xFF) : QColor(0x3A, 0x6E, 0xB8));
    screen.setColorAt(1, lit ? QColor(0x1E, 0x4E, 0xA8) : QColor(0x16, 0x2E, 0x5E));
    p.setBrush(screen);
    p.drawRoundedRect(QRectF(2, 6, 16, 10), 1.2, 1.2);
    p.setBrush(QColor(255, 255, 255, 60));
    QPainterPath sheen;
    sheen.moveTo(2, 6);
    sheen.lineTo(13, 6);
    sheen.lineTo(6, 16);
    sheen.lineTo(2, 16);
    sheen.closeSubpath();
    p.drawPath(sheen);
    p.setBrush(QColor(0x8A, 0x8A, 0x8A));
    p.drawRect(QRectF(6, 18, 8, 1.5));
    p.restore();
}

void greenBox(QPainter &p, const QPointF &at, bool lit)
{
    p.save();
    p.translate(at);
    const qreal lift = lit ? 0.15 : 0.0;
    auto shade = [lift](const QColor &c) { return mix(c, Qt::white, lift); };
    QPolygonF top{{10, 0.5}, {19, 5}, {10, 9.5}, {1, 5}};
    QPolygonF left{{1, 5}, {10, 9.5}, {10, 19.5}, {1, 15}};
    QPolygonF right{{10, 9.5}, {19, 5}, {19, 15}, {10, 19.5}};
    p.setPen(QPen(QColor(0x1E, 0x4A, 0x10), 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(shade(QColor(0x9C, 0xDC, 0x5A)));
    p.drawPolygon(top);
    p.setBrush(shade(QColor(0x5C, 0xB0, 0x2E)));
    p.drawPolygon(left);
    p.setBrush(shade(QColor(0x3C, 0x86, 0x1C)));
    p.drawPolygon(right);
    // The tape across the lid.
    p.setPen(QPen(shade(QColor(0xE8, 0xF6, 0xC8)), 1.4));
    p.drawLine(QPointF(5.5, 2.8), QPointF(14.5, 7.3));
    p.restore();
}

// A warm halo behind a lit tab's own icon.
void iconHalo(QPainter &p, const QPointF &centre)
{
    QRadialGradient halo(centre, 15);
    halo.setColorAt(0, withAlpha(amber, 110));
    halo.setColorAt(1, withAlpha(amber, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(centre, 15, 15);
}

} // namespace

QImage singleTab(TabIcon icon, bool lit)
{
    QImage img = canvas(tabWidth, tabHeight, windowGround);
    QPainter p;
    begin(p, img);
    tabSegment(p, 0, lit);
    switch (icon) {
    case TabIcon::House:
        house(p, QPointF(17, 8));
        break;
    case TabIcon::Television:
        if (lit)
            iconHalo(p, QPointF(24, 19));
        television(p, QPointF(14, 9), lit);
        break;
    case TabIcon::Box:
        if (lit)
            iconHalo(p, QPointF(24, 19));
        greenBox(p, QPointF(14, 8.5), lit);
        break;
    }
    return img;
}

QImage doubleTab(LitHalf lit)
{
    QImage img = canvas(2 * tabWidth, tabHeight, windowGround);
    QPainter p;
    begin(p, img);
    tabSegment(p, 0, lit == LitHalf::Left);
    tabSegment(p, tabWidth, lit == LitHalf::Right);
    return img;
}

namespace
{

// The ground under a 14 x 14 icon that lies on the double tab at x.
QImage doubleTabCrop(int x)
{
    return crop(doubleTab(LitHalf::None), QRect(x, 12, 14, 14));
}

} // namespace

QImage playIcon()
{
    QImage img = doubleTabCrop(176);
    QPainter p;
    begin(p, img);
    p.setPen(QPen(amber, 1.3));
    p.setBrush(withAlpha(amber, 50));
    p.drawEllipse(QPointF(7, 7), 5.3, 5.3);
    QPainterPath tri;
    tri.moveTo(5.5, 4.4);
    tri.lineTo(9.9, 7);
    tri.lineTo(5.5, 9.6);
    tri.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(tri);
    return img;
}

QImage filmIcon()
{
    QImage img = doubleTabCrop(32);
    QPainter p;
    begin(p, img);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xD8, 0xD8, 0xD8));
    p.drawRoundedRect(QRectF(1, 1.5, 12, 11), 1.5, 1.5);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(QColor(0x26, 0x26, 0x26));
    for (int x = 2; x <= 11; x += 3) {
        p.drawRect(QRect(x, 3, 1, 1));
        p.drawRect(QRect(x, 10, 1, 1));
    }
    p.setBrush(amber);
    p.drawRect(QRect(2, 5, 4, 4));
    p.drawRect(QRect(8, 5, 4, 4));
    return img;
}

} // namespace skin
