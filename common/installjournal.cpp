#include "installjournal.h"

#include "error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace
{
// A journal with "steps" can be undone; one with "renames" was written by an
// earlier version of the programs, which moved nothing aside, and can only
// be finished.
const QString kSteps = QStringLiteral("steps");
const QString kLegacyRenames = QStringLiteral("renames");

struct Journal {
    QList<PlannedRename> plan;
    bool legacy = false;
};

QByteArray encoded(const QString &name)
{
    return QFile::encodeName(name);
}

QString parentOf(const QString &target)
{
    return target.contains(u'/') ? folderOf(target) : QString();
}

QByteArray journalText(const QList<PlannedRename> &plan)
{
    QJsonArray steps;
    for (const PlannedRename &r : plan)
        steps.append(QJsonArray{r.workingName, r.target, r.backupName});
    return QJsonDocument(QJsonObject{{kSteps, steps}}).toJson();
}

bool isSafeTarget(const QString &target)
{
    return !target.isEmpty() && !target.startsWith(u'/') &&
           !target.split(u'/').contains(QStringLiteral(".."));
}

// The plan a journal records; an Error when it is not one of ours.
Journal journalOf(const QByteArray &text)
{
    const QJsonObject object = QJsonDocument::fromJson(text).object();
    Journal journal;
    journal.legacy = !object.contains(kSteps);
    const QJsonArray steps = object.value(journal.legacy ? kLegacyRenames : kSteps).toArray();
    const qsizetype width = journal.legacy ? 2 : 3;
    for (const QJsonValue &value : steps) {
        const QJsonArray step = value.toArray();
        PlannedRename r{step.at(0).toString(), step.at(1).toString(), step.at(2).toString()};
        if (step.size() != width || !isWorkingName(r.workingName) || !isSafeTarget(r.target) ||
            (!r.backupName.isEmpty() && !isWorkingName(r.backupName)))
            throw Error(QStringLiteral("The install journal is damaged"));
        journal.plan.append(r);
    }
    if (journal.plan.isEmpty())
        throw Error(QStringLiteral("The install journal is damaged"));
    return journal;
}

bool exists(const FolderHandle &folder, const QString &name)
{
    struct stat st {
    };
    return ::fstatat(folder.fd(), encoded(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

void move(const FolderHandle &from, const QString &fromName, const FolderHandle &to,
          const QString &toName, const QString &target)
{
    if (::renameat(from.fd(), encoded(fromName).constData(), to.fd(),
                   encoded(toName).constData()) != 0)
        throw Error(QStringLiteral("Cannot replace %1: %2").arg(target, qt_error_string(errno)));
}

void removeIfThere(const FolderHandle &folder, const QString &name, const QString &what)
{
    if (::unlinkat(folder.fd(), encoded(name).constData(), 0) != 0 && errno != ENOENT)
        throw Error(QStringLiteral("Cannot remove %1: %2").arg(what, qt_error_string(errno)));
}

// Whether an open file carries a flag that forbids renaming it away.
bool isLockedByFlags(const FolderHandle &folder, const QString &name)
{
#ifdef __linux__
    const int fd = ::openat(folder.fd(), encoded(name).constData(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false; // unreadable to us: the rename itself will tell
    int flags = 0;
    const bool locked = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                        (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
    ::close(fd);
    return locked;
#else
    Q_UNUSED(folder);
    Q_UNUSED(name);
    return false;
#endif
}

// An Error naming target when it cannot be replaced: what a rename would
// refuse is refused here, before anything is moved.
void checkReplaceable(const FolderHandle &folder, const QString &target)
{
    const FolderHandle parent = folder.subFolder(parentOf(target));
    if (::faccessat(parent.fd(), ".", W_OK | X_OK, AT_EACCESS) != 0)
        throw Error(QStringLiteral("Cannot replace %1: %2").arg(target, qt_error_string(errno)));
    const QString name = fileNameOf(target);
    struct stat st {
    };
    if (::fstatat(parent.fd(), encoded(name).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return; // a new file
    if (S_ISDIR(st.st_mode))
        throw Error(QStringLiteral("Cannot replace %1: it is a folder").arg(target));
    struct stat folderStat {
    };
    const uid_t user = ::geteuid();
    const bool sticky = ::fstat(parent.fd(), &folderStat) == 0 && (folderStat.st_mode & S_ISVTX) &&
                        user != 0 && user != st.st_uid && user != folderStat.st_uid;
    if (sticky || (S_ISREG(st.st_mode) && isLockedByFlags(parent, name)))
        throw Error(QStringLiteral("Cannot replace %1: %2").arg(target, qt_error_string(EPERM)));
}

// One step: the replaced file aside, then the new one in its place.
void apply(const FolderHandle &folder, const PlannedRename &r, qsizetype number)
{
    const FolderHandle parent = folder.subFolder(parentOf(r.target));
    const QString name = fileNameOf(r.target);
    if (!r.backupName.isEmpty()) {
        move(parent, name, folder, r.backupName, r.target);
        faultPoint(QStringLiteral("moved-aside:%1").arg(number));
    }
    move(folder, r.workingName, parent, name, r.target);
}

// Puts back what one step replaced, from whatever point it reached. Safe to
// repeat: a step already undone is left alone.
void undo(const FolderHandle &folder, const PlannedRename &r)
{
    const FolderHandle parent = folder.subFolder(parentOf(r.target));
    const QString name = fileNameOf(r.target);
    if (!r.backupName.isEmpty()) {
        if (exists(folder, r.backupName))
            move(folder, r.backupName, parent, name, r.target);
    } else if (!exists(folder, r.workingName)) {
        removeIfThere(parent, name, r.target); // the new file, where there was none
    }
}

// One flush per folder makes its renames durable; the install folder, where
// every working file was, comes last.
void syncFolders(const FolderHandle &folder, const QList<PlannedRename> &plan)
{
    QSet<QString> subFolders;
    for (const PlannedRename &r : plan)
        if (r.target.contains(u'/'))
            subFolders.insert(folderOf(r.target));
    for (const QString &sub : subFolders)
        folder.subFolder(sub).sync();
    folder.sync();
}

void removeJournal(const FolderHandle &folder)
{
    removeIfThere(folder, QLatin1String(kJournalName), QStringLiteral("the install journal"));
    folder.sync();
}

// The last step's working file is gone once the new ClientInfor.inf is in
// place: the plan is then finished forward, else undone. An undo removes
// that working file last of all, after everything else is back, so an undo
// that was cut short is never mistaken for a finished install.
bool lastStepDone(const FolderHandle &folder, const QList<PlannedRename> &plan)
{
    return !exists(folder, plan.constLast().workingName);
}

void finishForward(const FolderHandle &folder, const QList<PlannedRename> &plan)
{
    for (qsizetype i = 0; i < plan.size(); ++i)
        if (exists(folder, plan[i].workingName))
            apply(folder, plan[i], i + 1);
    syncFolders(folder, plan);
    faultPoint(QStringLiteral("after-last"));
    for (const PlannedRename &r : plan)
        if (!r.backupName.isEmpty())
            removeIfThere(folder, r.backupName, r.target + QStringLiteral(" as it was"));
    removeJournal(folder);
}

void rollBack(const FolderHandle &folder, const QList<PlannedRename> &plan)
{
    for (qsizetype i = plan.size() - 1; i >= 0; --i)
        undo(folder, plan[i]);
    syncFolders(folder, plan);
    for (const PlannedRename &r : plan)
        removeIfThere(folder, r.workingName, r.target + QStringLiteral(" as it would have been"));
    removeJournal(folder);
}

// A journal written by an earlier version: every rename whose working file
// is still there, then the flushes.
void finishLegacy(const FolderHandle &folder, const QList<PlannedRename> &plan)
{
    for (const PlannedRename &r : plan)
        if (exists(folder, r.workingName))
            move(folder, r.workingName, folder.subFolder(parentOf(r.target)), fileNameOf(r.target),
                 r.target);
    syncFolders(folder, plan);
    removeJournal(folder);
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
} // namespace

namespace
{
FaultHook faultHook = nullptr;
} // namespace

void setFaultHook(FaultHook hook)
{
    faultHook = hook;
}

void faultPoint(const QString &point)
{
    if (faultHook)
        faultHook(point);
}

void commitPlan(const FolderHandle &folder, QList<PlannedRename> plan)
{
    try {
        for (PlannedRename &r : plan) {
            checkReplaceable(folder, r.target);
            const FolderHandle parent = folder.subFolder(parentOf(r.target));
            r.backupName = exists(parent, fileNameOf(r.target)) ? newWorkingName() : QString();
        }
        writeJournal(folder, plan);
    } catch (const Error &) {
        // Nothing was moved: the working files go, and a journal that was
        // put in place but not made durable goes with them.
        for (const PlannedRename &r : plan)
            ::unlinkat(folder.fd(), encoded(r.workingName).constData(), 0);
        ::unlinkat(folder.fd(), kJournalName, 0);
        throw;
    }

    try {
        for (qsizetype i = 0; i < plan.size(); ++i) {
            if (i + 1 == plan.size())
                faultPoint(QStringLiteral("before-last"));
            apply(folder, plan[i], i + 1);
            faultPoint(QStringLiteral("renamed:%1").arg(i + 1));
        }
    } catch (const Error &failure) {
        try {
            rollBack(folder, plan);
        } catch (const Error &undoing) {
            throw Error(QStringLiteral("%1; putting the old version back failed too (%2), the next "
                                       "start tries again")
                            .arg(failure.message(), undoing.message()));
        }
        throw;
    }

    // The new version is installed. A flush or a removal that fails here
    // leaves the journal, and the next start finishes the rest.
    try {
        finishForward(folder, plan);
    } catch (const Error &error) {
        qWarning("The update is installed, but finishing it failed: %s; the next start finishes it",
                 qPrintable(error.message()));
    }
}

QString finishInterruptedInstall(const QString &installFolder, const QString &stagingFolder)
{
    QString done;
    const FolderHandle folder(installFolder);
    // A running update or check holds the lock: their files are not
    // leftovers, nor are the player's in the staging folder while it holds it.
    if (::access(QFile::encodeName(installFolder).constData(), W_OK) != 0 || !folder.tryLock())
        return done;
    QFile file(installFolder + u'/' + QLatin1String(kJournalName));
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            throw Error(
                QStringLiteral("Cannot read %1: %2").arg(file.fileName(), file.errorString()));
        const Journal journal = journalOf(file.readAll());
        if (journal.legacy) {
            finishLegacy(folder, journal.plan);
            done = QStringLiteral("finished an interrupted update in %1").arg(installFolder);
        } else if (lastStepDone(folder, journal.plan)) {
            finishForward(folder, journal.plan);
            done = QStringLiteral("finished an interrupted update in %1").arg(installFolder);
        } else {
            rollBack(folder, journal.plan);
            done = QStringLiteral("undid an interrupted update in %1").arg(installFolder);
        }
    }
    folder.removeWorkingFiles();
    try {
        FolderHandle(stagingFolder).removeWorkingFiles();
    } catch (const Error &) {
        // No staging folder: nothing left there.
    }
    return done;
}

void finishInterruptedInstallAtStart(const QString &installFolder, const QString &stagingFolder)
{
    try {
        if (const QString done = finishInterruptedInstall(installFolder, stagingFolder);
            !done.isEmpty())
            qWarning("%s", qPrintable(done));
    } catch (const std::exception &error) {
        qWarning("An interrupted update could not be finished or undone: %s", error.what());
    }
}
