#include "prepare.h"

#include "error.h"
#include "installjournal.h"
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
    // One writer at a time: the player that started check may still hold
    // the lock for the moment it takes to end.
    const FolderHandle folder(installFolder);
    if (!folder.lockWithin(10000))
        throw Error(QStringLiteral("another program is updating %1").arg(installFolder));

    const QByteArray info = readAll(stagingFolder + QStringLiteral("/UpdateInfor.inf"));
    const UpdateLines published = readLines<21>(info);
    const QString name = published[5];
    if (const QString problem = updaterNameProblem(name); !problem.isEmpty())
        throw Error(problem);

    // The staged files are checked again here: they lay in a folder of the
    // user's for a while, and could have been swapped.
    const QString stagedProgram = stagingFolder + QLatin1Char('/') + name;
    const QByteArray program = readAll(stagedProgram);
    const ClientLines client = getClientInfor(installFolder);
    const UpdateTrust trust = UpdateTrust::fetch(client[5], key, fetch);
    trust.check(QStringLiteral("UpdateInfor.inf"), sha256(info));
    trust.check(name, sha256(program));

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
    record.write(clientInforBytes(client[1], published[3], client[5]));
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
