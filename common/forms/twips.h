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
// One button in the same bits: 1 left, 2 right, 4 middle, 0 any other.
int buttonBit(Qt::MouseButton button);

// Left, Top, Width and Height in twips within the control's container,
// applied to the widget in pixels. A negative Width or Height is rejected
// with an Error and the old value kept.
class Twips
{
public:
    explicit Twips(QWidget *widget) : m_widget(widget) {}
    virtual ~Twips() = default;

    // Named apart from QWidget's pixel x(), width(), move() and the like, so
    // that a control's twips and its pixels cannot be taken for each other.
    int leftTwips() const { return m_rect.x(); }
    int topTwips() const { return m_rect.y(); }
    int widthTwips() const { return m_rect.width(); }
    int heightTwips() const { return m_rect.height(); }
    QRect twipsRect() const { return m_rect; }

    void setLeftTwips(int twips);
    void setTopTwips(int twips);
    void setWidthTwips(int twips);
    void setHeightTwips(int twips);
    void moveTwips(int left, int top);
    void setTwipsRect(const QRect &twips);

    // On a control these meet QWidget's of the same names and the call is
    // ambiguous: say widthTwips() for twips, size().width() for pixels.
    int width() const = delete;
    int height() const = delete;
    void move(int, int) = delete;

protected:
    // A control sized by its content sets its own pixel size through this.
    void setTwipsSizeFromPixels(const QSize &pixels);

private:
    void apply();
    QWidget *m_widget;
    QRect m_rect;
};

} // namespace forms
