#pragma once

#include <QString>

// Why an update failed, for whoever is asked for help: the message the user
// sees is the same for every cause. Each reason is one line on stderr and
// appended to update.log in $XDG_STATE_HOME/veltaro (default
// ~/.local/state/veltaro), which keeps its newest lines under 1 MB.
void logUpdateFailure(const QString &program, const QString &reason);

// The log's path on this system.
QString updateLogPath();
