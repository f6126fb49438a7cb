#include "publisher.h"

#include "error.h"
#include "gbk.h"
#include "publishednames.h"
#include "safefile.h"
#include "sha256sums.h"
#include "versioninfo.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace
{
// An UpdateInfor.inf names at most this many files.
constexpr qsizetype kMaxFiles = 10;

QByteArray updateInfor(const Release &release, const QStringList &names)
{
    QStringList lines{QStringLiteral("[App Ver]"),     release.appVersion,
                      QStringLiteral("[Update Ver]"),  release.updaterVersion,
                      QStringLiteral("[Update File]"), release.updater,
                      QStringLiteral("[Update Url]"),  release.updateUrl,
                      QStringLiteral("[File Count]"),  QString::number(names.size()),
                      QStringLiteral("[Files]")};
    lines += names;
    return toGbk(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}
} // namespace

QStringList releaseFileNames(const Release &release)
{
    const QDir root(QFileInfo(release.folder).absoluteFilePath());
    if (!root.exists())
        throw Error(QStringLiteral("No release folder %1").arg(release.folder));
    QStringList names;
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString name = root.relativeFilePath(it.next());
        if (name != release.updater)
            names << name;
    }
    names.sort();
    return names;
}

void publishRelease(const Release &release, const QString &target, const minisign::SecretKey &key,
                    const QString &trustedComment)
{
    const QStringList names = releaseFileNames(release);
    if (names.size() > kMaxFiles)
        throw Error(QStringLiteral("%1 files in the release, but an update lists at most %2")
                        .arg(names.size())
                        .arg(kMaxFiles));
    if (const QStringList problems = publishedNamesProblems(names, release.updater);
        !problems.isEmpty())
        throw Error(QStringLiteral("The updater would refuse this release: %1")
                        .arg(problems.join(QStringLiteral("; "))));
    for (const QString &line : {release.appVersion, release.updaterVersion, release.updateUrl})
        if (line.contains(u'\r') || line.contains(u'\n'))
            throw Error(QStringLiteral("A version or address is one line"));
    // A client never takes a version that is not newer than its own, so
    // such a release would reach nobody; and replacing the area's version
    // with an older one is how a rollback starts.
    if (QFile::exists(target + QStringLiteral("/UpdateInfor.inf"))) {
        const QString current =
            UpdateInfo::from(
                readLines<21>(readWholeFile(target + QStringLiteral("/UpdateInfor.inf"))))
                .appVersion;
        if (!newerThan(current, release.appVersion))
            throw Error(QStringLiteral("%1 already publishes version %2; %3 is not newer")
                            .arg(target, current, release.appVersion));
    }
    const QByteArray info = updateInfor(release, names);

    Sha256Sums sums;
    sums.add(QStringLiteral("UpdateInfor.inf"), sha256(info));
    QStringList published = names;
    if (!release.updater.isEmpty())
        published << release.updater;
    for (const QString &name : published) {
        const QByteArray bytes = readWholeFile(release.folder + u'/' + name);
        const QString path = target + u'/' + name;
        if (!QDir().mkpath(folderOf(path)))
            throw Error(QStringLiteral("Cannot create the folder %1").arg(folderOf(path)));
        writeFileAtomically(path, bytes);
        sums.add(name, sha256(bytes));
    }
    // The version file, then the list that vouches for it, then the
    // signature: a client that comes in between sees a mismatch, never a
    // forged file.
    writeFileAtomically(target + QStringLiteral("/UpdateInfor.inf"), info);
    writeFileAtomically(target + QStringLiteral("/SHA256SUMS"), sums.format());
    writeFileAtomically(target + QStringLiteral("/SHA256SUMS.minisig"),
                        minisign::sign(key, sums.format(), trustedComment));
}
