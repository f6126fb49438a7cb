#include "prepare.h"

#include "error.h"
#include "programfile.h"
#include "versioninfo.h"

#include <QFile>
#include <QFileInfo>

void installStagedUpdater(const QString &installFolder, const QString &stagingFolder)
{
    QFile info(stagingFolder + QStringLiteral("/UpdateInfor.inf"));
    if (!info.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("cannot read %1: %2").arg(info.fileName(), info.errorString()));
    const UpdateLines lines = readLines<21>(info.readAll());
    info.close();

    const QString name = lines[5];
    if (!isPlainFileName(name))
        throw Error(QStringLiteral("UpdateInfor.inf names the new updater \"%1\", which is not a plain file name").arg(name));
    QFile staged(stagingFolder + QLatin1Char('/') + name);
    if (!staged.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("cannot read %1: %2").arg(staged.fileName(), staged.errorString()));
    const QByteArray program = staged.readAll();
    staged.close();

    // Copy through a temporary sibling and a rename, so the installed
    // updater is either the old one or the new one, never half of each.
    const QString target = programFile(installFolder, QStringLiteral("update"));
    writeFileAtomically(target, program);
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::ExeOwner
                                      | QFileDevice::ExeUser | QFileDevice::ExeGroup
                                      | QFileDevice::ExeOther | QFileDevice::ReadOwner
                                      | QFileDevice::WriteOwner);
    if (!QFile::remove(staged.fileName()))
        throw Error(QStringLiteral("cannot remove %1").arg(staged.fileName()));
}
