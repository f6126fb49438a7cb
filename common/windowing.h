#pragma once

#include <QRect>
#include <QString>

class QWidget;

// How the programs' windows meet the desktop: which screen they open on,
// which window owns which, and the name the desktop shows for them.
namespace windowing
{

// The name of the program's menu entry (Name[zh_CN] of veltaro.desktop). Every
// window carries it as its icon name, and the menu entry's StartupWMClass is
// the application name every program sets.
QString menuEntryName();
QString windowClass();

// Where a window of size lies centred in area. A window larger than the area
// in either direction is cut to the area's size in that direction, so that it
// never begins off the area.
QRect centredIn(const QRect &area, const QSize &size);

// The screen a program opens its windows on, as far as the window system
// tells: its work area (without panels), with its offset on the desktop.
// That is the primary screen's, or, where no screen is marked primary, the
// screen under the pointer's.
QRect screenArea();

// Makes window belong to owner, before window is first shown: the window
// manager keeps it above its owner and minimises it with it, and the taskbar
// and the pager list only the owner.
void own(QWidget *window, QWidget *owner);

// From now on, every window of the program carries the menu entry's name as
// its icon name when it is shown. Call once the application object exists.
void nameWindows();

} // namespace windowing
