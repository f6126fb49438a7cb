#include "paint.h"
#include "pictures.h"

#include <QBuffer>
#include <QDataStream>
#include <QPainterPath>
#include <vector>

namespace skin
{

namespace
{

constexpr int barHeight = 52;
// The bar's icons lie this far into it.
constexpr int barIconTop = 21;

// A fixed pseudo-random sequence, so the texture is the same on every run.
struct Noise {
    quint32 state;
    int next(int span) // in [-span, span]
    {
        state = state * 1664525u + 1013904223u;
        return int((state >> 16) % quint32(2 * span + 1)) - span;
    }
};

QImage barCrop(int left, int width, int height)
{
    return crop(bottomBar(), QRect(left, barIconTop, width, height));
}

} // namespace

QImage bottomBar()
{
    QImage img = canvas(5000, barHeight);
    QPainter p;
    begin(p, img);
    QLinearGradient fill(0, 0, 0, barHeight);
    fill.setColorAt(0.0, QColor(0x34, 0x34, 0x34));
    fill.setColorAt(0.12, QColor(0x2A, 0x2A, 0x2A));
    fill.setColorAt(1.0, QColor(0x14, 0x14, 0x14));
    p.fillRect(QRect(0, 0, 5000, barHeight), fill);
    p.fillRect(QRect(0, 0, 5000, 1), QColor(0x48, 0x48, 0x48));
    p.fillRect(QRect(0, 1, 5000, 1), QColor(0x1C, 0x1C, 0x1C));
    return img;
}

QImage border()
{
    QImage img = canvas(3, 3000);
    const int base[3] = {0x2A, 0x3A, 0x22};
    Noise noise{0x5EED};
    // Grain in device pixels: finer on a high-DPI screen, not blockier.
    for (int y = 0; y < img.height(); ++y) {
        const int n = noise.next(2);
        for (int x = 0; x < img.width(); ++x) {
            const int v = base[x / scale()] + n;
            img.setPixelColor(x, y, QColor(v, v, v));
        }
    }
    return img;
}

QImage logo()
{
    QImage img = canvas(220, 66, windowGround);
    QPainter p;
    begin(p, img);
    glowingPlaySymbol(p, logicalSize(img), QRectF(8, 8, 50, 50), 4, 70);
    productName(p, QPointF(66, 40), 44);

    // A brush stroke under the name, tapering at both ends.
    QPainterPath swash;
    swash.moveTo(70, 47);
    swash.cubicTo(110, 41, 170, 42, 214, 44);
    swash.cubicTo(170, 44.8, 112, 44.5, 70, 47);
    p.fillPath(swash, amber);

    p.setFont(cjkFont(11));
    p.setPen(QColor(0xA8, 0xA8, 0xA8));
    p.drawText(QRectF(72, 49, 146, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("高清影视 · 网络直播"));
    return img;
}

QImage guestbookIcon()
{
    QImage img = canvas(20, 20, windowGround);
    QPainter p;
    begin(p, img);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xEE, 0xEE, 0xE6));
    p.drawRoundedRect(QRectF(5, 3, 12, 15), 1, 1); // pages
    QLinearGradient cover(4, 2, 16, 18);
    cover.setColorAt(0, QColor(0xF0, 0x4A, 0x4A));
    cover.setColorAt(1, QColor(0xA8, 0x16, 0x1C));
    p.setBrush(cover);
    p.drawRoundedRect(QRectF(3.5, 1.5, 12.5, 16), 1.5, 1.5);
    p.setBrush(QColor(0x7A, 0x0E, 0x12));
    p.drawRect(QRectF(3.5, 1.5, 3, 16)); // spine
    p.setPen(QPen(QColor(0xE8, 0xE8, 0xE8), 1.1));
    for (qreal y : {5.0, 9.5, 14.0})
        p.drawLine(QPointF(2, y), QPointF(5.5, y)); // rings
    p.setPen(QPen(QColor(255, 255, 255, 170), 1));
    p.drawLine(QPointF(8.5, 6.5), QPointF(13.5, 6.5));
    p.drawLine(QPointF(8.5, 9.5), QPointF(12.5, 9.5));
    return img;
}

QImage sponsorIcon()
{
    QImage img = barCrop(100, 16, 16);
    QPainter p;
    begin(p, img);
    // Speech bubble.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0xF4, 0xE0));
    p.drawRoundedRect(QRectF(7, 1, 8, 6), 2, 2);
    QPolygonF tail{{9, 6.5}, {11, 6.5}, {8, 9}};
    p.drawPolygon(tail);
    p.setBrush(amber);
    for (qreal x : {9.0, 11.0, 13.0})
        p.drawEllipse(QPointF(x, 4), 0.8, 0.8);
    // Person.
    QLinearGradient body(0, 6, 0, 16);
    body.setColorAt(0, QColor(0xF0, 0x90, 0xC0));
    body.setColorAt(1, QColor(0xB0, 0x50, 0x88));
    p.setBrush(body);
    p.drawEllipse(QPointF(5, 7.5), 2.6, 2.6);
    p.drawChord(QRectF(1, 10.5, 8, 8), 0, 180 * 16);
    return img;
}

QImage newsIcon()
{
    QImage img = barCrop(200, 16, 16);
    QPainter p;
    begin(p, img);
    p.setRenderHint(QPainter::Antialiasing, false);
    const struct {
        int x, top;
        QColor c;
    } bars[] = {{2, 9, QColor(0x6C, 0xC0, 0x3C)},
                {6, 5, QColor(0xFF, 0xC2, 0x3A)},
                {10, 2, QColor(0xFF, 0x80, 0x80)}};
    for (const auto &b : bars) {
        QLinearGradient g(b.x, 0, b.x + 3, 0);
        g.setColorAt(0, b.c.lighter(125));
        g.setColorAt(1, b.c.darker(115));
        p.fillRect(QRect(b.x, b.top, 3, 14 - b.top), g);
    }
    p.fillRect(QRect(1, 14, 14, 1), QColor(0xD0, 0xD0, 0xD0));
    return img;
}

QImage promotionClose()
{
    QImage img = canvas(40, 14, QColor(0x26, 0x26, 0x26));
    QPainter p;
    begin(p, img);
    p.setPen(QPen(closePink, 1.2));
    p.setBrush(QColor(0x3A, 0x26, 0x2E));
    p.drawEllipse(QPointF(7, 7), 5.6, 5.6);
    // Cross and caption on whole pixels: at this size smoothing only blurs them.
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing, false);
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(QPoint(5, 5), QPoint(9, 9));
    p.drawLine(QPoint(9, 5), QPoint(5, 9));
    QFont font = cjkFont(12, true);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    p.drawText(QRect(15, 0, 25, 14), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("关闭"));
    return img;
}

QImage productIcon(int size)
{
    QImage img = canvas(size, size);
    QPainter p;
    begin(p, img);
    const qreal m = size <= 16 ? 0.0 : size * 0.03;
    playSymbol(p, QRectF(m, m, size - 2 * m, size - 2 * m));
    return img;
}

namespace
{

// Shape of the hand: the index finger raised, its tip on the hot spot.
QImage handShape()
{
    QImage img = canvas(32, 32);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRect(10, 1, 5, 16), 2.5, 2.5); // index finger
    p.drawRoundedRect(QRect(14, 8, 5, 12), 2.5, 2.5);
    p.drawRoundedRect(QRect(18, 9, 5, 11), 2.5, 2.5);
    p.drawRoundedRect(QRect(22, 11, 4, 10), 2, 2);
    p.drawRoundedRect(QRect(10, 14, 16, 11), 3, 3); // palm
    p.drawRect(QRect(12, 24, 12, 4));               // wrist
    p.save();
    p.translate(8, 18);
    p.rotate(-38);
    p.drawRoundedRect(QRectF(-2.5, -5, 5, 10), 2.5, 2.5); // thumb
    p.restore();
    return img;
}

void put16(QDataStream &s, int v)
{
    s << quint16(v);
}
void put32(QDataStream &s, int v)
{
    s << quint32(v);
}

} // namespace

QByteArray handCursor()
{
    // Drawn at the current scale: 32 x 32 or, for high-DPI screens, 64 x 64
    // with the outline and shade in screen pixels, so the hand stays crisp.
    const int k = scale(), n = 32 * k;
    const QImage shape = handShape();
    auto inside = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < n && y < n && qAlpha(shape.pixel(x, y)) > 127;
    };
    // Palette index per pixel: 0 black outline, 1 white, 2 grey shade, -1 clear.
    std::vector<std::vector<int>> px(n, std::vector<int>(n));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            if (!inside(x, y)) {
                px[y][x] = -1;
                continue;
            }
            const bool edge =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            px[y][x] = edge ? 0 : (!inside(x + 2 * k, y) ? 2 : 1);
        }
    // Creases between the fingers, one screen pixel wide.
    for (auto [x, from, to] : {std::tuple{14, 9, 15}, {18, 10, 15}, {22, 12, 15}})
        for (int y = from * k; y < (to + 1) * k; ++y)
            if (px[y][x * k] >= 0)
                px[y][x * k] = 0;

    const QRgb palette[16] = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(0xB8, 0xB8, 0xB8)};
    const int xorBytes = n * n / 2, andBytes = n * n / 8;
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    QDataStream s(&buf);
    s.setByteOrder(QDataStream::LittleEndian);
    // Directory: one image of 16 colours, hot spot at (12, 1) in 1x pixels.
    put16(s, 0), put16(s, 2), put16(s, 1);
    s << quint8(n) << quint8(n) << quint8(16) << quint8(0);
    put16(s, 12 * k), put16(s, 1 * k);
    put32(s, 40 + 16 * 4 + xorBytes + andBytes), put32(s, 22);
    // Bitmap header: the height counts the colour and the mask rows.
    put32(s, 40), put32(s, n), put32(s, 2 * n), put16(s, 1), put16(s, 4);
    put32(s, 0), put32(s, xorBytes + andBytes), put32(s, 0), put32(s, 0), put32(s, 16), put32(s, 0);
    for (QRgb c : palette)
        s << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c)) << quint8(0);
    for (int y = n - 1; y >= 0; --y)
        for (int x = 0; x < n; x += 2) {
            auto nib = [&](int v) { return v < 0 ? 0 : v; };
            s << quint8(nib(px[y][x]) << 4 | nib(px[y][x + 1]));
        }
    for (int y = n - 1; y >= 0; --y)
        for (int x = 0; x < n; x += 8) {
            quint8 bits = 0;
            for (int b = 0; b < 8; ++b)
                if (px[y][x + b] < 0)
                    bits |= quint8(0x80 >> b);
            s << bits;
        }
    return out;
}

} // namespace skin
