#pragma once

#include <Qt>

class QWidget;

namespace Module {
// Gives the frameless main window a system menu and a minimise box, so the
// taskbar can minimise and close it; a close request then takes the window's
// ordinary close path, which ends the program.
void subclassMainWindow(QWidget *window);

// Sets or clears window flags on the widget and on its native window alike.
// The native window is kept, with its position and size; QWidget's own
// setWindowFlags would re-create and hide it.
void setWindowFlags(QWidget *window, Qt::WindowFlags flags, bool on);
} // namespace Module
