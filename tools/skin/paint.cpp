#include "paint.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace skin
{

namespace
{
int drawingScale = 1;
}

void setScale(int scale)
{
    drawingScale = scale;
}

int scale()
{
    return drawingScale;
}

QImage canvas(int w, int h, const QColor &fill)
{
    QImage img(w * drawingScale, h * drawingScale, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(drawingScale);
    img.fill(fill);
    return img;
}

QImage canvas(const QSize &size, const QColor &fill)
{
    return canvas(size.width(), size.height(), fill);
}

QSize logicalSize(const QImage &img)
{
    return img.deviceIndependentSize().toSize();
}

QImage crop(const QImage &img, const QRect &part)
{
    const int s = int(img.devicePixelRatio());
    return img.copy(QRect(part.topLeft() * s, part.size() * s));
}

void begin(QPainter &p, QImage &img)
{
    p.begin(&img);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                     QPainter::SmoothPixmapTransform);
}

QColor mix(const QColor &a, const QColor &b, qreal t)
{
    auto lerp = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  lerp(a.alpha(), b.alpha()));
}

QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

void boxBlur(QImage &img, int radius)
{
    // Three passes of a box blur approach a gaussian closely enough for glows.
    const int w = img.width(), h = img.height();
    std::vector<int> acc(4);
    for (int pass = 0; pass < 3; ++pass) {
        for (int dir = 0; dir < 2; ++dir) {
            const int len = dir == 0 ? w : h, lines = dir == 0 ? h : w;
            std::vector<QRgb> line(len);
            for (int l = 0; l < lines; ++l) {
                for (int i = 0; i < len; ++i)
                    line[i] = dir == 0 ? img.pixel(i, l) : img.pixel(l, i);
                for (int i = 0; i < len; ++i) {
                    int a = 0, r = 0, g = 0, b = 0, n = 2 * radius + 1;
                    for (int k = i - radius; k <= i + radius; ++k) {
                        if (k < 0 || k >= len)
                            continue;
                        const QRgb px = line[k];
                        a += qAlpha(px), r += qRed(px), g += qGreen(px), b += qBlue(px);
                    }
                    const QRgb out = qRgba(r / n, g / n, b / n, a / n);
                    if (dir == 0)
                        img.setPixel(i, l, out);
                    else
                        img.setPixel(l, i, out);
                }
            }
        }
    }
}

QImage glow(const QImage &src, int radius, const QColor &tint)
{
    QImage mask = canvas(logicalSize(src));
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            const int a = qAlpha(src.pixel(x, y)) * tint.alpha() / 255;
            mask.setPixel(x, y, qPremultiply(qRgba(tint.red(), tint.green(), tint.blue(), a)));
        }
    boxBlur(mask, radius * int(src.devicePixelRatio()));
    return mask;
}

void playSymbol(QPainter &p, const QRectF &r)
{
    const qreal d = r.width();
    const QPointF c = r.center();
    const bool small = d < 24;
    p.save();
    p.setPen(Qt::NoPen);
    // Dark outer ring, so the disc stands on light and dark grounds alike.
    QRadialGradient ring(c, d / 2);
    ring.setColorAt(0.80, QColor(0x2A, 0x2A, 0x2A));
    ring.setColorAt(1.0, QColor(0x10, 0x10, 0x10));
    p.setBrush(ring);
    p.drawEllipse(r);
    // The amber disc, lit from the top left.
    const qreal inset = small ? d * 0.06 : d * 0.08;
    const QRectF disc = r.adjusted(inset, inset, -inset, -inset);
    QRadialGradient fill(c - QPointF(d * 0.18, d * 0.22), d * 0.75);
    fill.setColorAt(0.0, QColor(0xFF, 0xC8, 0x5A));
    fill.setColorAt(0.45, amber);
    fill.setColorAt(1.0, amberDeep);
    p.setBrush(fill);
    p.drawEllipse(disc);
    if (!small) {
        // Glassy highlight over the upper half.
        QLinearGradient gloss(disc.topLeft(), QPointF(disc.left(), disc.center().y()));
        gloss.setColorAt(0.0, QColor(255, 255, 255, 110));
        gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.setBrush(gloss);
        p.drawEllipse(QRectF(disc.left() + disc.width() * 0.12, disc.top() + disc.height() * 0.04,
                             disc.width() * 0.76, disc.height() * 0.5));
    }
    // The play triangle, its optical centre a little right of the disc's.
    const qreal t = disc.width() * 0.26;
    QPainterPath tri;
    tri.moveTo(c.x() - t * 0.7, c.y() - t);
    tri.lineTo(c.x() + t * 1.05, c.y());
    tri.lineTo(c.x() - t * 0.7, c.y() + t);
    tri.closeSubpath();
    if (!small) {
        p.setBrush(QColor(0x80, 0x30, 0x00, 90));
        p.drawPath(tri.translated(d * 0.015, d * 0.03));
    }
    p.setBrush(Qt::white);
    p.drawPath(tri);
    p.restore();
}

void glowingPlaySymbol(QPainter &p, const QSize &device, const QRectF &rect, int radius, int alpha)
{
    QImage disc = canvas(device.width(), device.height());
    QPainter d;
    begin(d, disc);
    playSymbol(d, rect);
    d.end();
    p.drawImage(0, 0, glow(disc, radius, withAlpha(amber, alpha)));
    p.drawImage(0, 0, disc);
}

void productName(QPainter &p, const QPointF &origin, int pixelSize)
{
    QFont script(QStringLiteral("Z003"));
    script.setPixelSize(pixelSize);
    QPainterPath name;
    name.addText(origin, script, QStringLiteral("Veltaro"));
    QLinearGradient ink(0, origin.y() - pixelSize * 0.7, 0, origin.y());
    ink.setColorAt(0, Qt::white);
    ink.setColorAt(1, QColor(0xC8, 0xC8, 0xC8));
    p.fillPath(name.translated(1, 1.5), QColor(0, 0, 0, 150));
    p.fillPath(name, ink);
}

void minGlyph(QPainter &p, const QPointF &at, const QColor &c)
{
    p.fillRect(QRectF(at + QPointF(6, 13), QSizeF(10, 2)), c);
}

void maxGlyph(QPainter &p, const QPointF &at, const QColor &c)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(c, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRect((at + QPointF(6, 6)).toPoint(), QSize(9, 9)));
    p.fillRect(QRectF(at + QPointF(6, 6), QSizeF(10, 2)), c);
    p.restore();
}

void closeGlyph(QPainter &p, const QPointF &at, const QColor &c, qreal width)
{
    p.save();
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(at + QPointF(7.5, 7.5), at + QPointF(16.5, 16.5));
    p.drawLine(at + QPointF(16.5, 7.5), at + QPointF(7.5, 16.5));
    p.restore();
}

void pinGlyph(QPainter &p, const QPointF &at, bool upright, const QColor &c)
{
    p.save();
    // The pin's axis runs through pixel centres, so every edge lands on a
    // whole pixel, upright or turned.
    p.translate(at + QPointF(11.5, 11.5));
    if (!upright)
        p.rotate(90);
    // Drawn pointing down.
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(-3.5, -7.5, 7, 3), 1, 1);      // head
    p.drawRect(QRectF(-1.5, -4.5, 3, 4));                   // body
    p.drawRoundedRect(QRectF(-5.5, -0.5, 11, 2), 0.6, 0.6); // collar
    p.drawRect(QRectF(-0.5, 1.5, 1, 6));                    // needle
    p.restore();
}

void hoverFrame(QPainter &p, const QRectF &box)
{
    p.save();
    const QRectF r = box.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, QColor(255, 255, 255, 46));
    fill.setColorAt(1, QColor(255, 255, 255, 14));
    p.setBrush(fill);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    p.drawRoundedRect(r, 4, 4);
    p.restore();
}

QFont cjkFont(int pixelSize, bool sharp)
{
    QFont f(sharp ? QStringLiteral("WenQuanYi Zen Hei Sharp")
                  : QStringLiteral("WenQuanYi Zen Hei"));
    f.setPixelSize(pixelSize);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

} // namespace skin
