#pragma once

class QWidget;

namespace Module {
// Gives the frameless main window a system menu and a minimise box, so the
// taskbar can minimise and close it; a close request then takes the window's
// ordinary close path, which ends the program.
void subclassMainWindow(QWidget *window);
} // namespace Module
