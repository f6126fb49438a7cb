#pragma once

#include "http.h"

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
    // Called during each transfer.
    HttpProgress waiting;
};

// Fetches updateUrl + "/" + name for every name into the install folder and
// moves them all into place once every one has arrived; k and n of the view
// count the names. A failure before the move leaves the installed files as
// they were and removes what was fetched.
void installFiles(const QString &installFolder, const QString &updateUrl, const QStringList &names,
                  const HttpOptions &options, const UpdateView &view);

// The update without its window: reads ClientInfor.inf and the staged
// UpdateInfor.inf (which removes the staged copy), fetches every published
// file from the installed update URL, moves them all into place once every
// one has arrived, and records the published version in ClientInfor.inf.
// Any failure is an Error (or another exception) and leaves the installed
// files as they were, unless it strikes while the files are being moved.
void runUpdate(const QString &installFolder, const QString &stagingFolder,
               const HttpOptions &options, const UpdateView &view);

// A transfer callback that keeps windows painted (at most once per interval)
// while ignoring the user's input, which must not act during an update.
HttpProgress repaintWhileWaiting(int intervalMs = 50);
