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

int buttonMask(const QMouseEvent *event)
{
    const Qt::MouseButtons buttons = event->buttons();
    int mask = 0;
    if (buttons & Qt::LeftButton)
        mask |= 1;
    if (buttons & Qt::RightButton)
        mask |= 2;
    if (buttons & Qt::MiddleButton)
        mask |= 4;
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

void Twips::setLeft(int twips)
{
    m_rect.moveLeft(twips);
    apply();
}

void Twips::setTop(int twips)
{
    m_rect.moveTop(twips);
    apply();
}

void Twips::setWidth(int twips)
{
    requireSize(twips);
    m_rect.setWidth(twips);
    apply();
}

void Twips::setHeight(int twips)
{
    requireSize(twips);
    m_rect.setHeight(twips);
    apply();
}

void Twips::move(int left, int top)
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
