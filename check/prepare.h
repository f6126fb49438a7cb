#pragma once

#include "minisign.h"
#include "updatetrust.h"

#include <QString>
#include <optional>

// Puts the staged new updater in place: takes the install folder's lock
// (waiting a little for the player that started it to end), reads the
// updater's name from the staged UpdateInfor.inf (line 6), checks both staged
// files against what the installed update URL vouches for (signed with key
// when one is given), replaces installFolder's updater whole and executable
// together with ClientInfor.inf recording its version (all or nothing), and
// removes the staged program, so UpdateInfor.inf stays staged alone for the
// updater.
// Raises an Error when it cannot; replaced tells whether the new updater
// was already in place by then.
void installStagedUpdater(const QString &installFolder, const QString &stagingFolder,
                          const std::optional<minisign::PublicKey> &key,
                          const FetchIfPublished &fetch, bool &replaced);
