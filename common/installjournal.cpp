#include "installjournal.h"

#include "error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
QByteArray journalText(const QList<PlannedRename> &plan)
{
    QJsonArray renames;
    for (const PlannedRename &r : plan)
        renames.append(QJsonArray{r.workingName, r.target});
    return QJsonDocument(QJsonObject{{QStringLiteral("renames"), renames}}).toJson();
}

// The plan a journal records; an Error when it is not one of ours.
QList<PlannedRename> planOf(const QByteArray &text)
{
    const QJsonArray renames =
        QJsonDocument::fromJson(text).object().value(QStringLiteral("renames")).toArray();
    QList<PlannedRename> plan;
    for (const QJsonValue &value : renames) {
        const QJsonArray pair = value.toArray();
        const QString working = pair.at(0).toString();
        const QString target = pair.at(1).toString();
        if (pair.size() != 2 || !isWorkingName(working) || target.isEmpty() ||
            target.startsWith(u'/') || target.split(u'/').contains(QStringLiteral("..")))
            throw Error(QStringLiteral("The install journal is damaged"));
        plan.append({working, target});
    }
    if (plan.isEmpty())
        throw Error(QStringLiteral("The install journal is damaged"));
    return plan;
}

bool exists(const FolderHandle &folder, const QString &name)
{
    struct stat st{};
    return ::fstatat(folder.fd(), QFile::encodeName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

void renameOne(const FolderHandle &folder, const PlannedRename &r)
{
    if (!exists(folder, r.workingName))
        return; // renamed before the run was killed
    const FolderHandle parent = folder.subFolder(r.target.contains(u'/') ? folderOf(r.target) : QString());
    if (::renameat(folder.fd(), QFile::encodeName(r.workingName).constData(), parent.fd(),
                   QFile::encodeName(fileNameOf(r.target)).constData()) != 0)
        throw Error(QStringLiteral("Cannot replace %1: %2").arg(r.target, qt_error_string(errno)));
}
} // namespace

void faultPoint(const QString &point)
{
    static const QString wanted = qEnvironmentVariable("VELTARO_TEST_KILL_AT");
    if (!wanted.isEmpty() && wanted == point)
        std::raise(SIGKILL);
}

void writeJournal(const FolderHandle &folder, const QList<PlannedRename> &plan)
{
    WorkingFile journal(folder);
    journal.write(journalText(plan));
    // One flush of the file system makes the journal durable together with
    // every file it names, all written by now; a flush per file costs
    // milliseconds each on a busy disk.
    syncFileSystem(folder);
    journal.renameTo(folder, QLatin1String(kJournalName));
    folder.sync();
    faultPoint(QStringLiteral("journal"));
}

void finishPlan(const FolderHandle &folder, const QList<PlannedRename> &plan)
{
    QSet<QString> subFolders;
    for (qsizetype i = 0; i + 1 < plan.size(); ++i) {
        renameOne(folder, plan[i]);
        if (plan[i].target.contains(u'/'))
            subFolders.insert(folderOf(plan[i].target));
        faultPoint(QStringLiteral("renamed:%1").arg(i + 1));
    }
    faultPoint(QStringLiteral("before-last"));
    renameOne(folder, plan.constLast());
    // One flush per folder makes all its renames durable. The journal stays
    // until then, so a crash before it leaves a plan the next start finishes.
    // The install folder, where every working file was, comes last: a file
    // leaves it for good only once its new folder holds it.
    for (const QString &sub : subFolders)
        folder.subFolder(sub).sync();
    folder.sync();
    faultPoint(QStringLiteral("after-last"));
    if (::unlinkat(folder.fd(), kJournalName, 0) != 0 && errno != ENOENT)
        throw Error(QStringLiteral("Cannot remove the install journal in %1: %2")
                        .arg(folder.path(), qt_error_string(errno)));
}

QString finishInterruptedInstall(const QString &installFolder, const QString &stagingFolder)
{
    QString done;
    try {
        const FolderHandle staging(stagingFolder);
        staging.removeWorkingFiles();
    } catch (const Error &) {
        // No staging folder: nothing left there.
    }
    const FolderHandle folder(installFolder);
    // A running update holds the lock: its files are not leftovers.
    if (::access(QFile::encodeName(installFolder).constData(), W_OK) != 0 || !folder.tryLock())
        return done;
    QFile journal(installFolder + u'/' + QLatin1String(kJournalName));
    if (journal.exists()) {
        if (!journal.open(QIODevice::ReadOnly))
            throw Error(QStringLiteral("Cannot read %1: %2").arg(journal.fileName(), journal.errorString()));
        const QList<PlannedRename> plan = planOf(journal.readAll());
        finishPlan(folder, plan);
        done = QStringLiteral("finished an interrupted update in %1").arg(installFolder);
    }
    folder.removeWorkingFiles();
    return done;
}

void finishInterruptedInstallAtStart(const QString &installFolder, const QString &stagingFolder)
{
    try {
        if (const QString done = finishInterruptedInstall(installFolder, stagingFolder); !done.isEmpty())
            qWarning("%s", qPrintable(done));
    } catch (const Error &error) {
        qWarning("%s", qPrintable(error.message()));
    }
}
