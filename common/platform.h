#pragma once

#include "clock.h"
#include "minisign.h"

#include <QMessageBox>
#include <QRect>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// The real facilities outside the process.
namespace platform {
// The folder of the running program, without a trailing separator.
QString installFolder();
// Online when an interface other than loopback is up with an address and a
// default route exists.
bool connectionAvailable();
// Starts a program by its full path, no shell, no arguments; the result is
// not examined.
void startProgram(const QString &path);
// Opens a link with the desktop's associated program; does not wait.
void openLink(const QString &url);
// A modal message box; returns the button chosen. A box with a parent
// belongs to the parent's window, one without is centred on the screen that
// windows open on.
QMessageBox::StandardButton showMessage(QWidget *parent, const QString &text,
                                        const QString &title, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons);
// The work area of the screen that windows open on, with its offset, in twips.
QRect screenAreaTwips();
} // namespace platform

// One seam per kind of outside effect. Windows and start-up code take a
// Seams; production code passes Seams::system(), tests replace single members.
struct Seams {
    std::function<bool()> probe;
    std::function<double()> random; // uniform in [0, 1)
    std::function<QMessageBox::StandardButton(QWidget *parent, const QString &text,
                                              const QString &title, QMessageBox::Icon icon,
                                              QMessageBox::StandardButtons buttons)>
        message;
    std::function<void(const QString &path)> startProgram;
    std::function<void(const QString &url)> openLink;
    std::function<QRect()> screenAreaTwips;
    // Every timer of the windows comes from here.
    Clock *clock = &Clock::system();
    // Ends the process at once, without any window's unload handling.
    std::function<void()> endProcess;
    QString installFolder;
    // The publisher's key that updates must be signed with; none in a build
    // without one.
    std::optional<minisign::PublicKey> updateKey;
    // False in a build for a package manager, which owns the installation's
    // folder and its updates: the programs then never look for an update
    // and never write into that folder.
    bool updatesItself = true;

    static Seams system();
};
