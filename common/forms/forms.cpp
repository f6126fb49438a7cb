#include "forms.h"

#include "error.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

namespace forms
{

namespace
{

// The three visible control kinds share one way of turning mouse events into
// their signals: down and move carry the mask and the twips position, and a
// click is a left press followed by a left release inside the control.
template <class Control> void onPress(Control *control, bool &pressed, QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pressed = true;
    const QPoint at = event->position().toPoint();
    emit control->mouseDown(buttonMask(event), pixelsToTwips(at.x()), pixelsToTwips(at.y()));
    event->accept();
}

template <class Control> void onRelease(Control *control, bool &pressed, QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    event->accept();
    const int released = buttonBit(event->button());
    emit control->mouseUp(released, pixelsToTwips(at.x()), pixelsToTwips(at.y()));
    if (released != 1)
        return;
    const bool wasPressed = pressed;
    pressed = false;
    if (wasPressed && control->rect().contains(at))
        emit control->clicked();
}

// The second press of a double-click: QWidget would hand it on as one more
// press, which would toggle, navigate or start a move a second time.
template <class Control> void onDoubleClick(Control *control, QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit control->dblClick();
    event->accept();
}

template <class Control> void onMove(Control *control, QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    emit control->mouseMove(buttonMask(event), pixelsToTwips(at.x()), pixelsToTwips(at.y()));
    event->accept();
}

// Enter, Return or Space (held keys repeat nothing) is a left click on the
// control that has the keyboard focus; any other key goes on to the control's
// own handling (Tab moves the focus) and then to the window.
template <class Control> bool onKey(Control *control, QKeyEvent *event)
{
    const int key = event->key();
    const bool activates = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (!activates || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    event->accept();
    if (!event->isAutoRepeat())
        emit control->clicked();
    return true;
}

// One per control, watching it: the control's mouse and key events become its
// signals here, before the control's own handlers see them.
template <class Control> class Signals : public QObject
{
public:
    explicit Signals(Control *control) : QObject(control), m_control(control)
    {
        control->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_control)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            onPress(m_control, m_pressed, static_cast<QMouseEvent *>(event));
            return true;
        case QEvent::MouseButtonRelease:
            onRelease(m_control, m_pressed, static_cast<QMouseEvent *>(event));
            return true;
        case QEvent::MouseButtonDblClick:
            onDoubleClick(m_control, static_cast<QMouseEvent *>(event));
            return true;
        case QEvent::MouseMove:
            onMove(m_control, static_cast<QMouseEvent *>(event));
            return true;
        case QEvent::KeyPress:
            return onKey(m_control, static_cast<QKeyEvent *>(event));
        default:
            return false;
        }
    }

private:
    Control *m_control;
    bool m_pressed = false;
};

void drawPicture(QWidget *widget, const QPixmap &picture, const QRect &box)
{
    if (picture.isNull())
        return;
    QPainter painter(widget);
    painter.setClipRect(box);
    painter.drawPixmap(box.topLeft(), picture);
}

QSize pictureSize(const QPixmap &picture)
{
    return picture.deviceIndependentSize().toSize();
}

} // namespace

Label::Label(QWidget *parent) : QLabel(parent), Twips(this)
{
    new Signals(this);
    setAutoFillBackground(false);
    setWordWrap(false);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMouseTracking(true);
    setCursor(Qt::ArrowCursor);
    setForeColor(m_foreColor);
    setTwipsRect(twipsRect());
}

void Label::setCaption(const QString &caption)
{
    m_caption = caption;
    // One line only: each line break (CR LF, CR or LF) is drawn as a space.
    QString shown = caption;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(u'\r', u' ')
        .replace(u'\n', u' ');
    setText(shown);
    if (m_autoSize)
        fitToText();
}

void Label::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on)
        fitToText();
}

void Label::setForeColor(const QColor &color)
{
    m_foreColor = color;
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, color);
    setPalette(colors);
}

void Label::setMouseIcon(const QCursor &cursor)
{
    m_mouseIcon = cursor;
    m_hasMouseIcon = true;
    setCursor(cursor);
}

void Label::fitToText()
{
    const QFontMetrics metrics(font());
    setTwipsSizeFromPixels(QSize(metrics.horizontalAdvance(text()), metrics.height()));
}

void Label::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_autoSize)
        fitToText();
}

Image::Image(QWidget *parent) : QWidget(parent), Twips(this)
{
    new Signals(this);
    setMouseTracking(true);
    setTwipsRect(twipsRect());
}

void Image::setPicture(const QPixmap &picture)
{
    // Hover handlers assign the picture already shown on every move; an image
    // is see-through, so a repaint would redraw everything beneath it too.
    const bool changed = picture.cacheKey() != m_picture.cacheKey();
    m_picture = picture;
    if (!picture.isNull())
        setTwipsSizeFromPixels(pictureSize(picture));
    if (changed)
        update();
}

void Image::paintEvent(QPaintEvent *)
{
    drawPicture(this, m_picture, rect());
}

PictureBox::PictureBox(QWidget *parent) : QFrame(parent), Twips(this)
{
    new Signals(this);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::NoFrame);
    setMouseTracking(true);
    setTwipsRect(twipsRect());
}

QWidget *PictureBox::inside()
{
    if (!m_inside) {
        // See-through: the box's background and picture show in it.
        m_inside = new QWidget(this);
        m_inside->setMouseTracking(true);
        m_inside->setGeometry(contentsRect());
        m_inside->show();
    }
    return m_inside;
}

void PictureBox::setBackColor(const QColor &color)
{
    QPalette colors = palette();
    colors.setColor(QPalette::Window, color);
    setPalette(colors);
}

void PictureBox::setBorder(bool on)
{
    setFrameStyle(on ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    setLineWidth(1);
    if (m_inside)
        m_inside->setGeometry(contentsRect());
    setAutoSize(m_autoSize);
}

void PictureBox::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    setAutoSize(m_autoSize);
    update();
}

void PictureBox::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on && !m_picture.isNull()) {
        const int border = 2 * frameWidth();
        setTwipsSizeFromPixels(pictureSize(m_picture) + QSize(border, border));
    }
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    drawPicture(this, m_picture, contentsRect());
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (m_inside)
        m_inside->setGeometry(contentsRect());
}

Timer::Timer(QObject *parent, Clock &clock, int intervalMs, bool enabled)
    : QObject(parent), m_timer(clock.timer([this] { emit timer(); }, false)),
      m_interval(std::max(intervalMs, 0)), m_enabled(enabled)
{
    update();
}

void Timer::setInterval(int ms)
{
    if (ms < 0)
        throw Error(QStringLiteral("Invalid property value"));
    m_interval = ms;
    // A new interval starts a fresh count, even when it equals the old one.
    m_timer->stop();
    update();
}

void Timer::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    update();
}

void Timer::update()
{
    if (m_enabled && m_interval > 0)
        m_timer->start(m_interval);
    else
        m_timer->stop();
}

FocusFrame::FocusFrame(QWidget *window) : QWidget(window)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { follow(now); });
}

void FocusFrame::follow(QWidget *focused)
{
    if (m_target)
        m_target->removeEventFilter(this);
    m_target = nullptr;
    const bool control = qobject_cast<Label *>(focused) || qobject_cast<Image *>(focused) ||
                         qobject_cast<PictureBox *>(focused);
    if (!control || !parentWidget()->isAncestorOf(focused)) {
        wipe();
        hide();
        return;
    }
    m_target = focused;
    m_target->installEventFilter(this);
    place();
}

void FocusFrame::place()
{
    const QRect box(m_target->mapTo(parentWidget(), QPoint(0, 0)), m_target->size());
    wipe();
    // Within the window: at its edge the mark runs along the control's own edge.
    setGeometry(box.adjusted(-2, -2, 2, 2) & parentWidget()->rect());
    raise();
    show();
}

// Under a scale factor Qt leaves the mark where it was when the frame moves
// or hides; the window draws that place again.
void FocusFrame::wipe()
{
    if (isVisible())
        parentWidget()->update(geometry());
}

bool FocusFrame::eventFilter(QObject *watched, QEvent *event)
{
    // A ticker's width follows its caption; a layout pass moves the controls.
    if (watched == m_target && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        place();
    return QWidget::eventFilter(watched, event);
}

// Black under white dots, so the mark shows on the dark skin and on a white
// page alike; one logical pixel wide at every scale.
void FocusFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF edge = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(edge);
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawRect(edge);
}

namespace
{

bool isChildWindow(const QWidget *widget)
{
    return qobject_cast<const PictureBox *>(widget) || widget->inherits("QWebEngineView");
}

} // namespace

void applyStacking(const QList<QWidget *> &frontToBack)
{
    // raise() puts a control on top of its siblings, so the controls are raised
    // from the back: first the windowless ones, then the child windows over them.
    for (bool childWindows : {false, true}) {
        for (auto it = frontToBack.crbegin(); it != frontToBack.crend(); ++it) {
            if (*it && isChildWindow(*it) == childWindows)
                (*it)->raise();
        }
    }
}

} // namespace forms
