// Form1's title bar: drag handles, caption buttons, pin, minimise, maximise, exit.
#include "../tickers/frminf.h"
#include "form1.h"
#include "forms/accessible.h"
#include "layout.h"
#include "module.h"

#include <QCursor>
#include <QGuiApplication>
#include <QWindow>

namespace
{

// Only a window that is neither minimised nor maximised counts as normal.
bool isNormal(const QWidget &window)
{
    return !(window.windowState() &
             (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

} // namespace

void Form1::connectChrome()
{
    connect(ImgControl, &forms::Image::mouseMove, this, &Form1::ImgControl_MouseMove);
    connect(ImgTop, &forms::Image::mouseDown, this, &Form1::ImgTop_MouseDown);
    connect(ImgTop, &forms::Image::mouseMove, this, &Form1::ImgTop_MouseMove);
    connect(Image12, &forms::Image::clicked, this, &Form1::Image12_Click);
    connect(Image9, &forms::Image::clicked, this, &Form1::Image9_Click);
    connect(Image11, &forms::Image::clicked, this, &Form1::Image11_Click);
    // The drag handles.
    for (forms::Image *handle : {ImgControl, Image14, ImLogo, Image4}) {
        connect(handle, &forms::Image::mouseDown, this,
                [this, handle](int button, int x, int y) { pressDrag(button, handle, x, y); });
        connect(handle, &forms::Image::mouseMove, this,
                [this](int button, int, int) { followDrag(button); });
        connect(handle, &forms::Image::mouseUp, this, &Form1::endDrag);
    }
}

// A left press alone readies a move and moves nothing; the window moves
// with the pointer once the pointer moves with the button still down.
// x and y are the pressed point on the control, in twips.
void Form1::pressDrag(int button, const QWidget *control, int x, int y)
{
    if (button == 1)
        m_dragGrab = control->mapTo(this, QPoint(forms::twipsToPixels(x), forms::twipsToPixels(y)));
    else
        m_dragGrab.reset();
}

// The window follows the pointer itself, so the grabbed point stays under
// the pointer from the first pixel of motion. Only where the compositor
// alone may move windows (Wayland), and for a window the window manager
// holds in place (maximised), its own move loop takes over; it starts from
// wherever the pointer is then, so a move never starts on a press alone: a
// release that comes before the window manager grabs the pointer (a quick
// click, a tap on a touchpad) would leave the window following the pointer.
// The pressed handle gets every move until the release.
void Form1::followDrag(int button)
{
    if (!m_dragGrab || button != 1)
        return;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) || !isNormal(*this)) {
        m_dragGrab.reset();
        if (QWindow *handle = windowHandle())
            handle->startSystemMove();
        return;
    }
    // Where the pointer is now, not where the event saw it: the window may
    // have moved since, and the grabbed point goes where the pointer is.
    const QPoint target = QCursor::pos() - *m_dragGrab;
    if (target != pos())
        move(target);
}

void Form1::endDrag()
{
    m_dragGrab.reset();
}

void Form1::Form_MouseDown(int button, int x, int y)
{
    pressDrag(button, this, x, y);
}

// A lit button shows only while the pointer is over its zone of the strip.
void Form1::ImgControl_MouseMove(int, int x, int y)
{
    const layout::CaptionZones zones = layout::captionZones(x, y);

    Image9->setVisible(zones.exit);

    if (zones.maximise) {
        Image11->setToolTipText(maximiseTip());
        Image11->show();
    } else {
        Image11->hide();
    }

    Image12->setVisible(zones.minimise);

    if (zones.pin) {
        if (intTopmost == 0) {
            ImgTop->setPicture(ImgTop0->picture());
            ImgTop->show();
            ImgTop->setToolTipText(QStringLiteral("窗口置顶"));
        }
    } else if (intTopmost == 0) {
        ImgTop->hide();
    } else {
        ImgTop->setPicture(ImgTop1->picture());
        ImgTop->show();
    }
}

QString Form1::maximiseTip() const
{
    return isNormal(*this) ? QStringLiteral("最大化") : QStringLiteral("向下还原");
}

void Form1::ImgTop_MouseDown(int button, int, int)
{
    if (button != 1 && button != 2)
        return;
    if (intTopmost == 0) {
        Module::setWindowFlags(this, Qt::WindowStaysOnTopHint, true);
        ImgTop->setPicture(ImgTop2->picture());
        intTopmost = 1;
    } else {
        Module::setWindowFlags(this, Qt::WindowStaysOnTopHint, false);
        ImgTop->setPicture(ImgTop0->picture());
        intTopmost = 0;
    }
    forms::accessible::nameChanged(ImgTopKey);
    QAccessible::State pinned;
    pinned.checked = true;
    forms::accessible::stateChanged(ImgTopKey, pinned);
}

void Form1::ImgTop_MouseMove(int, int, int)
{
    if (intTopmost != 1)
        return;
    ImgTop->setPicture(ImgTop2->picture());
    ImgTop->show();
    ImgTop->setToolTipText(QStringLiteral("取消置顶"));
}

void Form1::Image12_Click()
{
    // Hidden first, so the lit button is not there when the window comes back.
    Image12->hide();
    showMinimized();
}

void Form1::Image9_Click()
{
    m_seams.endProcess();
}

void Form1::Image11_Click()
{
    Image11->hide();
    if (isNormal(*this))
        showMaximized();
    else
        showNormal();
    // The window system may report the new size later; lay out for the size
    // the window has now, and the resize notification repeats it if it changes.
    layout::apply(*this, false);
}
