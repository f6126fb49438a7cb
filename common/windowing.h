#pragma once

#include <QRect>
#include <QString>

class QWidget;

// How the programs' windows meet the desktop: which screen they open on and
// which window owns which.
namespace windowing
{

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

} // namespace windowing
