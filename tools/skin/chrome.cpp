#include "paint.h"
#include "pictures.h"

#include <QPainterPath>

namespace skin
{

namespace
{

// The strip's ground: a panel hanging from the top edge, its lower left
// corner rounded off into the window's ground.
QImage stripGround()
{
    QImage img = canvas(131, 37, windowGround);
    QPainter p;
    begin(p, img);
    QPainterPath panel;
    panel.moveTo(0, 0);
    panel.cubicTo(5, 0, 7, 2, 7, 8);
    panel.lineTo(7, 22);
    panel.quadTo(7, 35, 20, 35);
    panel.lineTo(131, 35);
    panel.lineTo(131, 0);
    panel.closeSubpath();
    QLinearGradient fill(0, 0, 0, 35);
    fill.setColorAt(0, QColor(0x31, 0x31, 0x31));
    fill.setColorAt(1, QColor(0x23, 0x23, 0x23));
    p.fillPath(panel, fill);
    // Rim along the left and lower edge: a faint highlight inside a dark edge.
    QPainterPath rim;
    rim.moveTo(7, 6);
    rim.lineTo(7, 22);
    rim.quadTo(7, 35, 20, 35);
    rim.lineTo(131, 35);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x12, 0x12, 0x12), 1));
    p.drawPath(rim.translated(-0.5, 0.5));
    p.setPen(QPen(QColor(255, 255, 255, 26), 1));
    p.drawPath(rim.translated(0.5, -0.5));
    // The window's top hairline runs across the strip too.
    p.fillRect(QRect(0, 1, 131, 1), hairline);
    p.end();
    return img;
}

QImage cropAt(int left, int size)
{
    return crop(stripGround(), QRect(left, buttonTop, size, size));
}

// A glyph drawn white with an amber glow around it, over what is on img.
template <typename Draw>
void glowingGlyph(QImage &img, Draw draw, const QColor &glowTint, int radius = 2)
{
    QImage shape = canvas(logicalSize(img));
    QPainter g;
    begin(g, shape);
    draw(g, Qt::white);
    g.end();
    QPainter p;
    begin(p, img);
    p.drawImage(0, 0, glow(shape, radius, glowTint));
    p.drawImage(0, 0, shape);
}

} // namespace

QImage captionStrip()
{
    QImage img = stripGround();
    QPainter p;
    begin(p, img);
    pinGlyph(p, QPointF(pinLeft, buttonTop), false, restingGrey);
    minGlyph(p, QPointF(minLeft, buttonTop), restingGrey);
    maxGlyph(p, QPointF(maxLeft, buttonTop), restingGrey);
    closeGlyph(p, QPointF(closeLeft, buttonTop), closePink);
    return img;
}

QImage pinPicture(bool upright, bool framed)
{
    QImage img = cropAt(pinLeft, buttonSize);
    if (framed) {
        QPainter p;
        begin(p, img);
        hoverFrame(p, QRect(QPoint(), logicalSize(img)));
    }
    // A pinned window shows the pin in amber; a loose one in white.
    if (upright)
        glowingGlyph(
            img, [](QPainter &g, QColor) { pinGlyph(g, QPointF(0, 0), true, amber); },
            withAlpha(amber, framed ? 200 : 120), framed ? 2 : 1);
    else
        glowingGlyph(
            img, [](QPainter &g, QColor c) { pinGlyph(g, QPointF(0, 0), false, c); },
            withAlpha(amber, 170));
    return img;
}

namespace
{

// A button under the pointer: framed, its glyph glowing.
template <typename Glyph> QImage framedLit(int left, Glyph glyph)
{
    QImage img = cropAt(left, buttonSize);
    QPainter p;
    begin(p, img);
    hoverFrame(p, QRect(QPoint(), logicalSize(img)));
    p.end();
    glowingGlyph(
        img, [glyph](QPainter &g, QColor c) { glyph(g, QPointF(0, 0), c); }, withAlpha(amber, 200));
    return img;
}

} // namespace

QImage minLit()
{
    return framedLit(minLeft, minGlyph);
}

QImage maxLit()
{
    return framedLit(maxLeft, maxGlyph);
}

QImage closeLit()
{
    QImage img = cropAt(closeLeft, closeSize);
    QPainter p;
    begin(p, img);
    const QRectF r = QRectF(QPointF(), logicalSize(img)).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, QColor(0xF0, 0x50, 0x58));
    fill.setColorAt(1, QColor(0xB8, 0x1E, 0x28));
    p.setBrush(fill);
    p.setPen(QPen(QColor(0xFF, 0x8C, 0x94), 1));
    p.drawRoundedRect(r, 4, 4);
    closeGlyph(p, QPointF(0, 0), Qt::white, 2.2);
    return img;
}

} // namespace skin
