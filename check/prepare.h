#pragma once

#include "minisign.h"
#include "updatetrust.h"

#include <QString>
#include <optional>

// Puts the staged new updater in place: reads its name from the staged
// UpdateInfor.inf (line 6), checks both staged files against what the
// installed update URL vouches for (signed with key when one is given),
// replaces installFolder's updater whole and executable, and removes the
// staged program, so UpdateInfor.inf stays staged alone for the updater.
// Raises an Error when it cannot; replaced tells whether the new updater
// was already in place by then.
void installStagedUpdater(const QString &installFolder, const QString &stagingFolder,
                          const std::optional<minisign::PublicKey> &key,
                          const FetchIfPublished &fetch, bool &replaced);
