#include "prepare.h"

#include "error.h"
#include "installjournal.h"
#include "programfile.h"
#include "publishednames.h"
#include "safefile.h"
#include "versioninfo.h"

#include <QFile>

void installStagedUpdater(const QString &installFolder, const QString &stagingFolder,
                          const std::optional<minisign::PublicKey> &key,
                          const FetchIfPublished &fetch, bool &replaced)
{
    replaced = false;
    // One writer at a time: the player that started check may still hold
    // the lock for the moment it takes to end.
    const FolderHandle folder(installFolder);
    if (!folder.lockWithin(10000))
        throw Error(QStringLiteral("another program is updating %1").arg(installFolder));

    const QByteArray info = readWholeFile(stagingFolder + QStringLiteral("/UpdateInfor.inf"));
    const QString name = UpdateInfo::from(readLines<21>(info)).updaterFile;
    if (const QString problem = updaterNameProblem(name); !problem.isEmpty())
        throw Error(problem);

    // The staged files are checked again here: they lay in a folder of the
    // user's for a while, and could have been swapped.
    const QString stagedProgram = stagingFolder + QLatin1Char('/') + name;
    const QByteArray program = readWholeFile(stagedProgram);
    const ClientInfo client = clientInfo(installFolder);
    const VerifiedUpdate published = verifiedUpdate(client.updateUrl, info, key, fetch);
    published.trust.check(name, sha256(program));

    // The new updater and a ClientInfor.inf that names its version go into
    // place together: should the update that follows fail, the record still
    // says which updater is installed.
    const QString updater = executableName(QStringLiteral("update"));
    const int current = regularFileMode(folder, updater);
    mode_t mode = current >= 0 ? mode_t(current) : 0755;
    mode |= 0700 | ((mode & 0044) >> 2);
    WorkingFile file(folder);
    file.write(program);
    file.setMode(mode);
    WorkingFile record(folder);
    record.write(
        clientInforBytes(client.appVersion, published.info.updaterVersion, client.updateUrl));
    if (const int recordMode = regularFileMode(folder, QStringLiteral("ClientInfor.inf"));
        recordMode >= 0)
        record.setMode(mode_t(recordMode));
    file.keep();
    record.keep();
    commitPlan(folder,
               {{file.name(), updater}, {record.name(), QStringLiteral("ClientInfor.inf")}});
    replaced = true;
    if (!QFile::remove(stagedProgram))
        throw Error(QStringLiteral("cannot remove %1").arg(stagedProgram));
}
