#pragma once

#include "http.h"
#include "minisign.h"
#include "updatetrust.h"

#include <QString>
#include <QStringList>
#include <functional>

// What the window shows while the update runs; every member may be empty.
struct UpdateView {
    // Both version files are read and the file list is sound.
    std::function<void(int n)> started;
    // Before the fetch of file k of n.
    std::function<void(int k, int n)> fileStarting;
    // File k of n has arrived whole.
    std::function<void(int k, int n)> fileArrived;
    // Called during each transfer; an exception thrown here ends the update.
    HttpProgress waiting;
    // Every file has arrived; the files are about to be moved into place.
    // An exception thrown here ends the update with nothing moved.
    std::function<void()> committing;
};

// Fetches every name under updateUrl into the install folder, each checked
// against trust as it streams, and once every one has arrived moves them
// all into place with newClientInfor last, all or nothing even across a
// crash; k and n of the view count the names. A failure before the move
// leaves the installation as it was and removes what was fetched.
void installFiles(const QString &installFolder, const QString &updateUrl, const QStringList &names,
                  const UpdateTrust &trust, const QByteArray &newClientInfor,
                  const HttpOptions &options, const UpdateView &view);

// The update without its window: reads ClientInfor.inf and the staged
// UpdateInfor.inf (which removes the staged copy), checks the staged file
// and every name against what the update folder vouches for (signed with
// key when one is given), fetches every published file from the installed
// update URL and installs them with the published version recorded in
// ClientInfor.inf. Any failure is an Error (or another exception) and leaves
// the installation as it was.
void runUpdate(const QString &installFolder, const QString &stagingFolder,
               const std::optional<minisign::PublicKey> &key, const HttpOptions &options,
               const UpdateView &view);

// A transfer callback that keeps windows painted (at most once per interval)
// while ignoring the user's input, which must not act during an update.
HttpProgress repaintWhileWaiting(int intervalMs = 50);
