#include "installer.h"

#include "error.h"
#include "installjournal.h"
#include "programfile.h"
#include "publishednames.h"

#include <sys/stat.h>

namespace
{
bool isProgramName(const QString &name)
{
    for (const char *base : {"player", "update", "check"})
        if (name == executableName(QString::fromLatin1(base)))
            return true;
    return false;
}

// Read bits gain the matching execute bits, as a freshly built program has.
mode_t withExecute(mode_t mode)
{
    return mode | ((mode & 0444) >> 2);
}

mode_t creationMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

QString parentOf(const QString &name)
{
    return name.contains(u'/') ? folderOf(name) : QString();
}
} // namespace

QStringList publishedFileNames(const UpdateLines &lines, int n)
{
    constexpr int firstName = 11;
    const int places = static_cast<int>(lines.size()) - firstName;
    if (n > places)
        throw Error(QStringLiteral("%1 files listed, but UpdateInfor.inf holds at most %2 names")
                        .arg(n)
                        .arg(places));
    QStringList names;
    for (int k = 1; k <= n; ++k)
        names << lines[firstName - 1 + k];
    if (const QStringList problems = publishedNamesProblems(names); !problems.isEmpty())
        throw Error(QStringLiteral("UpdateInfor.inf lists names that cannot be installed: %1")
                        .arg(problems.join(QStringLiteral("; "))));
    QStringList normalised;
    for (const QString &name : names)
        normalised << normalisedName(name);
    return normalised;
}

StagedInstall::StagedInstall(const QString &installFolder) : m_folder(installFolder)
{
    if (!m_folder.tryLock())
        throw Error(QStringLiteral("Another update is installing into %1").arg(installFolder));
}

StagedInstall::~StagedInstall() = default;

void StagedInstall::stage(const QString &name, const QString &url, const UpdateTrust &trust,
                          const HttpOptions &options, const HttpProgress &progress, int k)
{
    auto file = std::make_unique<WorkingFile>(m_folder);
    Sha256 hash;
    bool first = true;
    fetchToSink(
        url,
        [&](const char *data, std::size_t size) {
            file->write(data, size);
            hash.add(data, size);
            if (std::exchange(first, false))
                faultPoint(QStringLiteral("during:%1").arg(k));
        },
        options, progress);
    trust.check(name, hash.finish());
    m_entries.push_back({name, std::move(file)});
    faultPoint(QStringLiteral("fetched:%1").arg(k));
}

void StagedInstall::stageClientInfor(const QByteArray &bytes)
{
    m_clientInfor = std::make_unique<WorkingFile>(m_folder);
    m_clientInfor->write(bytes);
    const int mode = regularFileMode(m_folder, QStringLiteral("ClientInfor.inf"));
    if (mode >= 0)
        m_clientInfor->setMode(mode_t(mode));
}

void StagedInstall::commit()
{
    if (!m_clientInfor)
        throw Error(QStringLiteral("No new ClientInfor.inf to install"));
    // Everything that can be checked is checked before the first rename, so
    // a refusal leaves the installation as it was: every folder on the way
    // is a real folder inside the install folder, no target is a folder.
    QList<PlannedRename> plan;
    for (Entry &e : m_entries) {
        const FolderHandle parent = m_folder.subFolder(parentOf(e.name));
        const int mode = regularFileMode(parent, fileNameOf(e.name));
        if (mode >= 0)
            e.file->setMode(mode_t(mode));
        else if (isProgramName(e.name))
            e.file->setMode(withExecute(creationMode()));
        plan.append({e.file->name(), e.name});
    }
    plan.append({m_clientInfor->name(), QStringLiteral("ClientInfor.inf")});

    // One flush of the file system makes every file's bytes durable; a
    // flush per file costs milliseconds each on a busy disk.
    syncFileSystem(m_folder);
    writeJournal(m_folder, plan);
    // From here on the journal owns the working files: a failure leaves them
    // for the next start to finish the plan with.
    for (Entry &e : m_entries)
        e.file->keep();
    m_clientInfor->keep();
    finishPlan(m_folder, plan);
}
