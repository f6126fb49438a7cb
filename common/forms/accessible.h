#pragma once

#include <QAccessible>
#include <QList>
#include <functional>

class QObject;
class QWidget;

// What screen readers and other assistive technology learn of picture-drawn
// controls, through Qt's accessibility (AT-SPI on Linux, UI Automation on
// Windows). A picture or a label says nothing of what it does; a described
// control tells its role, a name that follows its state, and its click as
// its first action. Controls that are not described keep Qt's defaults.
namespace forms::accessible
{

struct Description {
    QAccessible::Role role = QAccessible::Client;
    // The name as it reads now; Qt's own name when not set.
    std::function<QString()> name = {};
    // The first action (press), run from the event loop so that the caller
    // gets its answer first; no action when not set.
    std::function<void()> press = {};
    // Checkable, and whether it is checked now.
    std::function<bool()> checked = {};
    // Selectable, and whether it is selected now.
    std::function<bool()> selected = {};
};

// Describes control (a window too) from now on, for as long as it lives.
void describe(QWidget *control, Description description);

// A node of the given role that holds members, in that order, in place of
// their own place in their parent: a row of tabs drawn as labels becomes a
// tab list of tabs. The node goes with window.
QObject *group(QWidget *window, QAccessible::Role role, const QList<QWidget *> &members);

// Tells assistive technology that a control's name, or the given states, changed.
void nameChanged(QWidget *control);
void stateChanged(QWidget *control, QAccessible::State changed);

} // namespace forms::accessible
