#include "prepare.h"

#include "error.h"
#include "programfile.h"
#include "publishednames.h"
#include "safefile.h"
#include "versioninfo.h"

#include <QFile>

namespace
{
QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    return file.readAll();
}
} // namespace

void installStagedUpdater(const QString &installFolder, const QString &stagingFolder,
                          const std::optional<minisign::PublicKey> &key,
                          const FetchIfPublished &fetch, bool &replaced)
{
    replaced = false;
    const QByteArray info = readAll(stagingFolder + QStringLiteral("/UpdateInfor.inf"));
    const QString name = readLines<21>(info)[5];
    if (const QString problem = updaterNameProblem(name); !problem.isEmpty())
        throw Error(problem);

    // The staged files are checked again here: they lay in a folder of the
    // user's for a while, and could have been swapped.
    const QString stagedProgram = stagingFolder + QLatin1Char('/') + name;
    const QByteArray program = readAll(stagedProgram);
    const UpdateTrust trust = UpdateTrust::fetch(getClientInfor(installFolder)[5], key, fetch);
    trust.check(QStringLiteral("UpdateInfor.inf"), sha256(info));
    trust.check(name, sha256(program));

    // Written beside the installed updater, made executable on its own
    // descriptor and renamed over it: the updater is either the old one or
    // the new one, never half of each.
    const FolderHandle folder(installFolder);
    const QString updater = executableName(QStringLiteral("update"));
    const int current = regularFileMode(folder, updater);
    mode_t mode = current >= 0 ? mode_t(current) : 0755;
    mode |= 0700 | ((mode & 0044) >> 2);
    WorkingFile file(folder);
    file.write(program);
    file.setMode(mode);
    file.sync();
    file.renameTo(folder, updater);
    replaced = true;
    folder.sync();
    if (!QFile::remove(stagedProgram))
        throw Error(QStringLiteral("cannot remove %1").arg(stagedProgram));
}
