#include "windowing.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>

#ifdef VELTARO_HAVE_XCB
#include <xcb/randr.h>
#include <xcb/xcb.h>
#endif

namespace windowing
{

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

#else

bool x11NamesPrimary(void *)
{
    return true;
}

void *x11()
{
    return nullptr;
}

#endif

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

} // namespace windowing
