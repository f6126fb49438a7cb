#include "paint.h"
#include "pictures.h"

#include <QPainterPath>

namespace skin
{

namespace
{

// One petal or sepal, its base at the origin, pointing up.
QPainterPath petal(qreal length, qreal width)
{
    QPainterPath path;
    path.moveTo(0, 0);
    path.cubicTo(-width * 0.62, -length * 0.22, -width * 0.58, -length * 0.96, 0, -length);
    path.cubicTo(width * 0.58, -length * 0.96, width * 0.62, -length * 0.22, 0, 0);
    return path;
}

void fillPetal(QPainter &p, const QPainterPath &path, qreal reach)
{
    QRadialGradient fill(QPointF(0, 0), reach);
    fill.setColorAt(0.0, QColor(0xE8, 0xB8, 0xD4));
    fill.setColorAt(0.35, QColor(0xF8, 0xEE, 0xF5));
    fill.setColorAt(1.0, QColor(0xFF, 0xFF, 0xFF));
    p.setBrush(fill);
    p.setPen(QPen(QColor(0xB0, 0x98, 0xB0, 110), 0.6));
    p.drawPath(path);
}

// A moth orchid facing the viewer: three sepals, two broad petals and a
// magenta lip with a yellow crest.
void flower(QPainter &p, const QPointF &centre, qreal size, qreal turn)
{
    p.save();
    p.translate(centre);
    p.rotate(turn);
    for (qreal angle : {0.0, 128.0, -128.0}) {
        p.save();
        p.rotate(angle);
        fillPetal(p, petal(size * 0.95, size * 0.42), size);
        p.restore();
    }
    for (qreal angle : {-78.0, 78.0}) {
        p.save();
        p.rotate(angle);
        fillPetal(p, petal(size * 0.98, size * 0.92), size);
        p.restore();
    }
    // Lip.
    p.setPen(Qt::NoPen);
    QRadialGradient lip(QPointF(0, size * 0.3), size * 0.32);
    lip.setColorAt(0, QColor(0xD0, 0x3A, 0x88));
    lip.setColorAt(1, QColor(0x8E, 0x1C, 0x5E));
    p.setBrush(lip);
    p.drawEllipse(QPointF(0, size * 0.32), size * 0.17, size * 0.24);
    p.setBrush(QColor(0xC8, 0x48, 0x90));
    p.drawEllipse(QPointF(-size * 0.17, size * 0.14), size * 0.1, size * 0.13);
    p.drawEllipse(QPointF(size * 0.17, size * 0.14), size * 0.1, size * 0.13);
    // Crest and column.
    p.setBrush(QColor(0xF6, 0xC8, 0x3A));
    p.drawEllipse(QPointF(0, size * 0.12), size * 0.09, size * 0.07);
    p.setBrush(QColor(0xFF, 0xFA, 0xF0));
    p.drawEllipse(QPointF(0, -size * 0.03), size * 0.08, size * 0.1);
    p.restore();
}

void bud(QPainter &p, const QPointF &at, qreal size, qreal turn)
{
    p.save();
    p.translate(at);
    p.rotate(turn);
    QRadialGradient fill(QPointF(-size * 0.2, -size * 0.2), size);
    fill.setColorAt(0, QColor(0xF4, 0xF4, 0xE4));
    fill.setColorAt(1, QColor(0xA8, 0xB8, 0x80));
    p.setBrush(fill);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(0, 0), size * 0.55, size * 0.75);
    p.restore();
}

} // namespace

QImage orchid()
{
    QImage img = canvas(110, 90, windowGround);
    QImage art = canvas(110, 90);
    QPainter p;
    begin(p, art);

    // The arching spray, entering from the top right corner.
    QPainterPath stem;
    stem.moveTo(108, -2);
    stem.cubicTo(100, 12, 84, 18, 70, 22);
    stem.cubicTo(54, 27, 40, 34, 30, 48);
    stem.cubicTo(22, 58, 18, 68, 20, 78);
    p.setPen(QPen(QColor(0x5A, 0x6A, 0x38), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(stem);
    p.setPen(QPen(QColor(0x5A, 0x6A, 0x38), 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(88, 16), QPointF(84, 26));
    p.drawLine(QPointF(36, 38), QPointF(42, 46));
    p.drawLine(QPointF(19, 66), QPointF(14, 70));

    bud(p, QPointF(22, 82), 7, 10);
    bud(p, QPointF(15, 73), 5, -20);
    flower(p, QPointF(82, 38), 17, 12);
    flower(p, QPointF(44, 57), 23, -6);
    bud(p, QPointF(101, 10), 5, -40);
    p.end();

    // A faint halo behind the flowers lifts them off the ground.
    QPainter out;
    begin(out, img);
    out.drawImage(0, 0, glow(art, 4, QColor(255, 255, 255, 40)));
    out.drawImage(0, 0, art);
    return img;
}

} // namespace skin
