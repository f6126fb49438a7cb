#include "module.h"

#include <QWidget>
#include <QWindow>

void Module::subclassMainWindow(QWidget *window)
{
    const Qt::WindowFlags added = Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint;
    if (QWindow *handle = window->windowHandle()) {
        // Keeps the native window, its position and size.
        handle->setFlags(handle->flags() | added);
    } else {
        window->setWindowFlags(window->windowFlags() | added);
    }
}
