#include "installer.h"

#include "error.h"
#include "programfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
fs::path fsPath(const QString &path)
{
    return QFileInfo(path).filesystemFilePath();
}

bool isProgramName(const QString &name)
{
    for (const char *base : {"player", "update", "check"})
        if (name == executableName(QString::fromLatin1(base)))
            return true;
    return false;
}

// Read bits gain the matching execute bits, as a freshly built program has.
fs::perms withExecute(fs::perms p)
{
    using enum fs::perms;
    if ((p & owner_read) != none)
        p |= owner_exec;
    if ((p & group_read) != none)
        p |= group_exec;
    if ((p & others_read) != none)
        p |= others_exec;
    return p;
}
} // namespace

bool isSafeFileName(const QString &name)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    if (name.isEmpty() || name.startsWith(u'/') || name.startsWith(u'\\'))
        return false;
    // A colon names a drive ("C:x" is relative to that drive's current folder)
    // or an alternate data stream on Windows; no published name needs one.
    if (name.contains(u':') || name.contains(QChar(0)))
        return false;
    const QStringList parts = name.split(separators);
    if (parts.contains(QStringLiteral("..")))
        return false;
    const QString last = parts.constLast();
    return !last.isEmpty() && last != u".";
}

QStringList publishedFileNames(const UpdateLines &lines, int n)
{
    constexpr int firstName = 11;
    const int places = static_cast<int>(lines.size()) - firstName;
    if (n > places)
        throw Error(QStringLiteral("%1 files listed, but UpdateInfor.inf holds at most %2 names")
                        .arg(n)
                        .arg(places));
    QStringList names;
    for (int k = 1; k <= n; ++k) {
        const QString &name = lines[firstName - 1 + k];
        if (!isSafeFileName(name))
            throw Error(QStringLiteral("file %1 has no usable name: \"%2\"").arg(k).arg(name));
        names << name;
    }
    return names;
}

StagedInstall::StagedInstall(const QString &installFolder)
    : m_folder(installFolder), m_canonicalFolder(QFileInfo(installFolder).canonicalFilePath())
{
    if (m_canonicalFolder.isEmpty())
        throw Error(QStringLiteral("no install folder: %1").arg(installFolder));
}

StagedInstall::~StagedInstall()
{
    for (const Entry &e : m_entries)
        if (!e.committed)
            QFile::remove(e.temporary);
}

StagedInstall::Entry &StagedInstall::entryFor(const QString &name)
{
    const QString target = m_folder + u'/' + name;
    for (Entry &e : m_entries)
        if (e.target == target)
            return e;

    // A folder part must exist already and must not lead outside the
    // install folder through a link. A plain name lies in the install folder
    // itself, which the constructor has resolved; most names are plain, and
    // resolving costs a system call per level of the path.
    const QFileInfo info(target);
    if (name.contains(u'/') || name.contains(u'\\')) {
        const QString parent = QFileInfo(info.absolutePath()).canonicalFilePath();
        if (parent.isEmpty())
            throw Error(QStringLiteral("no folder for %1").arg(name));
        if (parent != m_canonicalFolder && !parent.startsWith(m_canonicalFolder + u'/'))
            throw Error(QStringLiteral("%1 lies outside the install folder").arg(name));
    }

    const QString temporary = info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                              QStringLiteral(".veltaro-new");
    m_entries.push_back({name, target, temporary});
    return m_entries.back();
}

void StagedInstall::stage(const QString &name, const QString &url, const HttpOptions &options,
                          const HttpProgress &progress)
{
    const Entry &entry = entryFor(name);
    QFile file(entry.temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(QStringLiteral("cannot write %1: %2").arg(entry.temporary, file.errorString()));
    fetchToSink(
        url,
        [&file](const char *data, std::size_t size) {
            if (file.write(data, static_cast<qint64>(size)) != static_cast<qint64>(size))
                throw Error(
                    QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString()));
        },
        options, progress);
    if (!file.flush())
        throw Error(QStringLiteral("cannot write %1: %2").arg(entry.temporary, file.errorString()));
    file.close();
}

void StagedInstall::commit()
{
    std::error_code ec;
    // Everything that can be checked is checked before the first rename, so
    // a refusal leaves the installation as it was.
    for (const Entry &e : m_entries) {
        const fs::path target = fsPath(e.target);
        const fs::file_status status = fs::status(target, ec);
        if (fs::is_directory(status))
            throw Error(QStringLiteral("%1 is a folder").arg(e.target));
        fs::perms mode = status.permissions();
        if (!fs::exists(status)) {
            // A new file keeps the default mode it was created with.
            if (!isProgramName(e.name))
                continue;
            mode = withExecute(fs::status(fsPath(e.temporary), ec).permissions());
        }
        fs::permissions(fsPath(e.temporary), mode, fs::perm_options::replace, ec);
        if (ec)
            throw Error(QStringLiteral("cannot set the mode of %1: %2")
                            .arg(e.temporary, QString::fromStdString(ec.message())));
    }
    // No fsync per file: on a busy disk it costs several milliseconds a file,
    // more than the transfer of a small one. The rename is what must be
    // atomic; ext4 and btrfs write the data of a file renamed over another
    // before the rename itself, and the flush of ClientInfor.inf, written
    // after these renames, commits them.
    for (Entry &e : m_entries) {
        fs::rename(fsPath(e.temporary), fsPath(e.target), ec);
        if (ec)
            throw Error(QStringLiteral("cannot replace %1: %2")
                            .arg(e.target, QString::fromStdString(ec.message())));
        e.committed = true;
    }
}
