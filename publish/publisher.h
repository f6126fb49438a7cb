#pragma once

#include "minisign.h"

#include <QString>
#include <QStringList>

// What an operator publishes: the release's files, the versions, and
// optionally a new updater among them.
struct Release {
    QString folder;         // the release files, in folders as they install
    QString appVersion;     // UpdateInfor.inf line 2
    QString updaterVersion; // line 4
    QString updater;        // line 6: a file of the release that is the new updater, or empty
    QString updateUrl;      // line 8
};

// The names of the release's files as the update area lists them ("/"
// between folders, sorted), the new updater left out; an Error when there
// are none it could publish.
QStringList releaseFileNames(const Release &release);

// Turns the release into an update area in target: the files, UpdateInfor.inf
// (GBK, CR LF, at most ten files), SHA256SUMS over it, every file and the new
// updater, and SHA256SUMS.minisig signed with key. An Error, before anything
// is written, for a name or a count the updater would refuse, or for a
// version that is not newer than the one target already publishes.
void publishRelease(const Release &release, const QString &target, const minisign::SecretKey &key,
                    const QString &trustedComment);
