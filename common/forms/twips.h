#pragma once

#include <QMouseEvent>
#include <QPoint>
#include <QRect>

class QWidget;

namespace forms {

constexpr int kTwipsPerPixel = 15;

// Rounds to the nearest pixel; the only place twips become pixels.
int twipsToPixels(double twips);
int pixelsToTwips(int pixels);
QRect twipsToPixels(const QRect &twips);

// The button state of a mouse event as a mask: 1 left, 2 right, 4 middle.
int buttonMask(const QMouseEvent *event);

// Left, Top, Width and Height in twips within the control's container,
// applied to the widget in pixels. A negative Width or Height is rejected
// with an Error and the old value kept.
class Twips
{
public:
    explicit Twips(QWidget *widget) : m_widget(widget) {}
    virtual ~Twips() = default;

    int left() const { return m_rect.x(); }
    int top() const { return m_rect.y(); }
    int width() const { return m_rect.width(); }
    int height() const { return m_rect.height(); }
    QRect twipsRect() const { return m_rect; }

    void setLeft(int twips);
    void setTop(int twips);
    void setWidth(int twips);
    void setHeight(int twips);
    void move(int left, int top);
    void setTwipsRect(const QRect &twips);

protected:
    // A control sized by its content sets its own pixel size through this.
    void setTwipsSizeFromPixels(const QSize &pixels);

private:
    void apply();
    QWidget *m_widget;
    QRect m_rect;
};

} // namespace forms
