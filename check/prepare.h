#pragma once

#include <QString>

// Puts the staged new updater in place: reads the name from the staged
// UpdateInfor.inf (line 6), moves that file over installFolder's updater,
// replacing it whole and executable. UpdateInfor.inf stays staged for the
// updater. Raises an Error and leaves the staged files as they are when it
// cannot.
void installStagedUpdater(const QString &installFolder, const QString &stagingFolder);
