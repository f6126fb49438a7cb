// Shared drawing kit of the skin generator: colours, canvases, blur and the
// glyphs that several pictures reuse.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>

namespace skin
{

// The skin's palette.
inline const QColor windowGround(0x1A, 0x1A, 0x1A);
inline const QColor hairline(0x40, 0x40, 0x40);
inline const QColor amber(0xFF, 0x9A, 0x1F);
inline const QColor amberDeep(0xE0, 0x5A, 0x0C);
inline const QColor restingGrey(0xB4, 0xB4, 0xB4);
inline const QColor closePink(0xF2, 0x8A, 0xB0);

// The scale the pictures are drawn at: 1, or 2 for the "@2x" pictures that
// high-DPI screens show. Sizes and positions stay in 1x pixels everywhere; a
// canvas carries the scale as its device pixel ratio, so painters draw on it
// sharp at either scale.
void setScale(int scale);
int scale();

// A premultiplied ARGB canvas of w x h 1x pixels, filled with the given colour.
QImage canvas(int w, int h, const QColor &fill = Qt::transparent);
QImage canvas(const QSize &size, const QColor &fill = Qt::transparent);
// The size and a part of a canvas, in 1x pixels.
QSize logicalSize(const QImage &img);
QImage crop(const QImage &img, const QRect &part);
// An antialiased painter on the image.
void begin(QPainter &p, QImage &img);
QColor mix(const QColor &a, const QColor &b, qreal t);
QColor withAlpha(QColor c, int alpha);

// Soft glow: the opaque parts of src, blurred by radius (1x pixels) and tinted.
QImage glow(const QImage &src, int radius, const QColor &tint);
void boxBlur(QImage &img, int radius);

// The product's play symbol inside rect: a lit amber disc with a dark ring
// and a white play triangle. Small sizes drop the fine detail.
void playSymbol(QPainter &p, const QRectF &rect);

// The play symbol with a soft amber glow around it, drawn onto p's device
// of the given size (1x pixels).
void glowingPlaySymbol(QPainter &p, const QSize &device, const QRectF &rect, int radius, int alpha);
// The product's name in script lettering with a light drop shadow; the
// baseline starts at origin.
void productName(QPainter &p, const QPointF &origin, int pixelSize);

// Caption-button glyphs, drawn in a button box of 22 x 22 (close: 24 x 24).
void minGlyph(QPainter &p, const QPointF &at, const QColor &c);
void maxGlyph(QPainter &p, const QPointF &at, const QColor &c);
void closeGlyph(QPainter &p, const QPointF &at, const QColor &c, qreal width = 2.0);
// The pin, lying flat (pointing left) or upright (pointing down).
void pinGlyph(QPainter &p, const QPointF &at, bool upright, const QColor &c);
// The light frame of a caption button under the pointer.
void hoverFrame(QPainter &p, const QRectF &box);

// Chinese text in WenQuanYi at a pixel size.
QFont cjkFont(int pixelSize, bool sharp = false);

} // namespace skin
