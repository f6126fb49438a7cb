#include "module.h"

#include <QWidget>
#include <QWindow>

void Module::subclassMainWindow(QWidget *window)
{
    setWindowFlags(window, Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint, true);
}

void Module::setWindowFlags(QWidget *window, Qt::WindowFlags flags, bool on)
{
    const Qt::WindowFlags now = window->windowFlags();
    window->overrideWindowFlags(on ? now | flags : now & ~flags);
    if (QWindow *handle = window->windowHandle())
        handle->setFlags(window->windowFlags());
}
