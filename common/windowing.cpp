#include "windowing.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>

#ifdef VELTARO_HAVE_XCB
#include <xcb/randr.h>
#include <xcb/xcb.h>
#endif

namespace windowing
{

QString menuEntryName()
{
    return QStringLiteral("Veltaro 影视客户端");
}

QString windowClass()
{
    return QStringLiteral("Veltaro");
}

QRect centredIn(const QRect &area, const QSize &size)
{
    const QSize fitted = size.boundedTo(area.size());
    return {area.x() + (area.width() - fitted.width()) / 2,
            area.y() + (area.height() - fitted.height()) / 2, fitted.width(), fitted.height()};
}

namespace
{

#ifdef VELTARO_HAVE_XCB

xcb_connection_t *x11()
{
    const auto *native =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return native ? native->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, false, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return found;
}

xcb_window_t rootWindow(xcb_connection_t *connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

// Whether the X server names a primary monitor. Qt calls the first one
// primary when none is, which is no reason to open windows there.
bool x11NamesPrimary(xcb_connection_t *connection)
{
    xcb_randr_get_monitors_reply_t *monitors = xcb_randr_get_monitors_reply(
        connection, xcb_randr_get_monitors(connection, rootWindow(connection), true), nullptr);
    if (!monitors)
        return true;
    bool primary = false;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors); it.rem && !primary;
         xcb_randr_monitor_info_next(&it))
        primary = it.data->primary;
    free(monitors);
    return primary;
}

// Adds states to a window the window manager has not seen yet; Qt merges its
// own into them when it maps the window.
void addNetWmStates(QWindow *window, std::initializer_list<const char *> names)
{
    xcb_connection_t *connection = x11();
    if (!connection)
        return;
    const xcb_window_t id = xcb_window_t(window->winId());
    const xcb_atom_t property = atom(connection, "_NET_WM_STATE");
    QList<xcb_atom_t> states;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, false, id, property, XCB_ATOM_ATOM, 0, 64),
        nullptr);
    if (reply && reply->format == 32) {
        const auto *values = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
        states = QList<xcb_atom_t>(values, values + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    for (const char *name : names) {
        const xcb_atom_t state = atom(connection, name);
        if (!states.contains(state))
            states << state;
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, property, XCB_ATOM_ATOM, 32,
                        uint32_t(states.size()), states.constData());
    xcb_flush(connection);
}

// Says again whose window it is. A window manager learns the owner only when
// it manages the owner already; the promotion window appears before its
// owner does.
void setTransientFor(QWindow *window, QWindow *owner)
{
    xcb_connection_t *connection = x11();
    if (!connection)
        return;
    const xcb_window_t id = xcb_window_t(owner->winId());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()),
                        XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &id);
}

void setIconName(QWindow *window, const QString &name)
{
    xcb_connection_t *connection = x11();
    if (!connection)
        return;
    const QByteArray utf8 = name.toUtf8();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()),
                        atom(connection, "_NET_WM_ICON_NAME"), atom(connection, "UTF8_STRING"), 8,
                        uint32_t(utf8.size()), utf8.constData());
}

#else

bool x11NamesPrimary(void *)
{
    return true;
}

void *x11()
{
    return nullptr;
}

void addNetWmStates(QWindow *, std::initializer_list<const char *>) {}

void setTransientFor(QWindow *, QWindow *) {}

void setIconName(QWindow *, const QString &) {}

#endif

// Names each window as it is about to appear.
class WindowNamer : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            const Qt::WindowType type = widget->windowType();
            if (widget->isWindow() && type != Qt::Popup && type != Qt::ToolTip &&
                widget->windowHandle())
                setIconName(widget->windowHandle(), menuEntryName());
        }
        return false;
    }
};

// Once the owner is on the screen, the owned window is told again whose it is
// and put back above it, where it belongs.
class Ownership : public QObject
{
public:
    Ownership(QWidget *window, QWidget *owner) : QObject(window), m_window(window)
    {
        owner->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *owner, QEvent *event) override
    {
        // The owner's show event comes before its map request; what is sent
        // from the event loop afterwards reaches the window manager after it.
        if (event->type() == QEvent::Show) {
            QTimer::singleShot(0, m_window,
                               [window = m_window, owner = static_cast<QWidget *>(owner)] {
                                   if (!window->isVisible() || !owner->windowHandle())
                                       return;
                                   setTransientFor(window->windowHandle(), owner->windowHandle());
                                   window->raise();
                               });
        }
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

QRect screenArea()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (QGuiApplication::screens().size() > 1 && x11() && !x11NamesPrimary(x11())) {
        if (const QScreen *underPointer = QGuiApplication::screenAt(QCursor::pos()))
            screen = underPointer;
    }
    return screen ? screen->availableGeometry() : QRect();
}

void own(QWidget *window, QWidget *owner)
{
    // The owner's native window must exist for the window manager to learn
    // whose the window is.
    owner->winId();
    window->winId();
    window->windowHandle()->setTransientParent(owner->windowHandle());
    addNetWmStates(window->windowHandle(),
                   {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"});
    new Ownership(window, owner);
}

void nameWindows()
{
    qApp->installEventFilter(new WindowNamer(qApp));
}

} // namespace windowing
