#include "twips.h"

#include "error.h"

#include <QWidget>
#include <cmath>

namespace forms
{

int twipsToPixels(double twips)
{
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

QRect twipsToPixels(const QRect &twips)
{
    return QRect(twipsToPixels(twips.x()), twipsToPixels(twips.y()), twipsToPixels(twips.width()),
                 twipsToPixels(twips.height()));
}

int buttonBit(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int buttonMask(const QMouseEvent *event)
{
    int mask = 0;
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        if (event->buttons() & button)
            mask |= buttonBit(button);
    }
    return mask;
}

namespace
{

void requireSize(int twips)
{
    // The window system refuses a negative extent; the caller's error trap decides what follows.
    if (twips < 0)
        throw Error(QStringLiteral("Invalid property value"));
}

} // namespace

void Twips::setLeftTwips(int twips)
{
    m_rect.moveLeft(twips);
    apply();
}

void Twips::setTopTwips(int twips)
{
    m_rect.moveTop(twips);
    apply();
}

void Twips::setWidthTwips(int twips)
{
    requireSize(twips);
    m_rect.setWidth(twips);
    apply();
}

void Twips::setHeightTwips(int twips)
{
    requireSize(twips);
    m_rect.setHeight(twips);
    apply();
}

void Twips::moveTwips(int left, int top)
{
    m_rect.moveTo(left, top);
    apply();
}

void Twips::setTwipsRect(const QRect &twips)
{
    requireSize(twips.width());
    requireSize(twips.height());
    m_rect = twips;
    apply();
}

void Twips::setTwipsSizeFromPixels(const QSize &pixels)
{
    m_rect.setSize(QSize(pixelsToTwips(pixels.width()), pixelsToTwips(pixels.height())));
    apply();
}

void Twips::apply()
{
    m_widget->setGeometry(twipsToPixels(m_rect));
}

} // namespace forms
