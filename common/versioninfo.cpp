#include "versioninfo.h"

#include "error.h"
#include "gbk.h"
#include "safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace
{

const QString clientFileName = QStringLiteral("ClientInfor.inf");
const QString updateFileName = QStringLiteral("UpdateInfor.inf");

template <std::size_t N>
std::array<QString, N> toArray(const QStringList &lines, const QString &source)
{
    std::array<QString, N> result;
    std::size_t index = 0;
    for (const QString &line : lines) {
        if (index == N)
            throw Error(QStringLiteral("%1 has more than %2 lines").arg(source).arg(N));
        result[index++] = line;
    }
    return result;
}

template <std::size_t N> std::array<QString, N> readFileLines(const QString &path)
{
    return toArray<N>(splitLines(fromGbk(readWholeFile(path))), path);
}

void removeFile(const QString &path)
{
    QFile file(path);
    if (!file.remove())
        throw Error(QStringLiteral("Cannot delete %1: %2").arg(path, file.errorString()));
}

// A plain rmdir on purpose: whatever else lies in the folder was not put there
// by us, so it is not ours to delete. Our own working files, left by a run
// that was killed while it wrote, are ours, and never block it.
void removeFolder(const QString &path)
{
    try {
        FolderHandle(path).removeWorkingFiles();
    } catch (const Error &) {
        // No folder to open: rmdir below says what is wrong.
    }
    if (QDir().rmdir(path))
        return;
    const QDir folder(path);
    if (folder.exists() && !folder.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System))
        throw Error(QStringLiteral("Cannot remove the folder %1: it is not empty").arg(path));
    throw Error(QStringLiteral("Cannot remove the folder %1").arg(path));
}

// One level, as the folder is meant to be; the cache folder that holds it may
// still be missing on a fresh account, so that is made first.
void createFolder(const QString &path)
{
    const QString parent = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(parent))
        throw Error(QStringLiteral("Cannot create the folder %1").arg(parent));
    if (!QDir().mkdir(path))
        throw Error(QStringLiteral("Cannot create the folder %1").arg(path));
}

QString stagedFile(const QString &stagingFolder)
{
    return stagingFolder + QLatin1Char('/') + updateFileName;
}

} // namespace

QStringList splitLines(const QString &text)
{
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            lines.append(current);
            current.clear();
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            current.append(c);
        }
    }
    // A line end at the very end leaves nothing behind, so no extra line.
    if (!current.isEmpty())
        lines.append(current);
    return lines;
}

template <std::size_t N> std::array<QString, N> readLines(const QByteArray &gbkBytes)
{
    return toArray<N>(splitLines(fromGbk(gbkBytes)), QStringLiteral("The text"));
}

template std::array<QString, 11> readLines<11>(const QByteArray &);
template std::array<QString, 21> readLines<21>(const QByteArray &);

ClientLines getClientInfor(const QString &installFolder)
{
    return readFileLines<11>(installFolder + QLatin1Char('/') + clientFileName);
}

ClientInfo ClientInfo::from(const ClientLines &lines)
{
    return {lines[1], lines[3], lines[5]};
}

UpdateInfo UpdateInfo::from(const UpdateLines &lines)
{
    UpdateInfo info{lines[1], lines[3], lines[5], lines[7], lines[9], {}};
    std::copy(lines.begin() + 11, lines.end(), info.fileNames.begin());
    return info;
}

ClientInfo clientInfo(const QString &installFolder)
{
    return ClientInfo::from(getClientInfor(installFolder));
}

VerifiedUpdate verifiedUpdate(const QString &updateUrl, const QByteArray &updateInfor,
                              const std::optional<minisign::PublicKey> &key,
                              const FetchIfPublished &fetch)
{
    VerifiedUpdate verified{UpdateInfo::from(readLines<21>(updateInfor)),
                            UpdateTrust::fetch(updateUrl, key, fetch)};
    verified.trust.check(updateFileName, sha256(updateInfor));
    return verified;
}

UpdateLines downloadUpdateInfor(const QString &updateUrl, const QString &stagingFolder,
                                const FetchBytes &fetch)
{
    // Fetch first: a failed download must leave the staging folder as it was.
    const QByteArray bytes =
        fetch(updateUrl + QLatin1Char('/') + updateFileName, kUpdateInforMaxBytes);

    const QFileInfo folder(stagingFolder);
    const QString staged = stagedFile(stagingFolder);
    if (!folder.exists() && !folder.isSymLink())
        createFolder(stagingFolder);
    else if (QFileInfo(staged).exists() || QFileInfo(staged).isSymLink())
        removeFile(staged);

    writeFileAtomically(staged, bytes);
    return readFileLines<21>(staged);
}

UpdateLines getUpdateInfor(const QString &stagingFolder, QByteArray *bytes)
{
    const QString staged = stagedFile(stagingFolder);
    const QByteArray read = readWholeFile(staged);
    const UpdateLines lines = toArray<21>(splitLines(fromGbk(read)), staged);
    if (bytes)
        *bytes = read;
    removeFile(staged);
    removeFolder(stagingFolder);
    return lines;
}

void discardStagedUpdateInfor(const QString &stagingFolder)
{
    removeFile(stagedFile(stagingFolder));
    removeFolder(stagingFolder);
}

QByteArray clientInforBytes(const QString &strVersion, const QString &strUpdateVer,
                            const QString &strWebPath)
{
    const QString lines[] = {QStringLiteral("[App Ver]"),    strVersion,
                             QStringLiteral("[Update Ver]"), strUpdateVer,
                             QStringLiteral("[Update Url]"), strWebPath};
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1String("\r\n");
    return toGbk(text);
}

void updateClientInfor(const QString &installFolder, const QString &strVersion,
                       const QString &strUpdateVer, const QString &strWebPath)
{
    writeFileAtomically(installFolder + QLatin1Char('/') + clientFileName,
                        clientInforBytes(strVersion, strUpdateVer, strWebPath));
}

namespace
{
// One or more groups of ASCII digits with one dot between each two.
bool isDottedNumber(QStringView text)
{
    if (text.isEmpty() || text.front() == u'.' || text.back() == u'.')
        return false;
    QChar previous;
    for (const QChar c : text) {
        if (c == u'.' ? previous == u'.' : !(c >= u'0' && c <= u'9'))
            return false;
        previous = c;
    }
    return true;
}

// Compares two groups of digits by value, however long they are.
int compareNumbers(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == u'0')
        a = a.mid(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}
} // namespace

bool newerThan(const QString &installed, const QString &published)
{
    if (!isDottedNumber(installed) || !isDottedNumber(published))
        return QString::compare(installed, published, Qt::CaseSensitive) < 0;
    // Part by part as numbers, a missing part counting as 0: 5.10 follows
    // 5.9, 5.2 follows 5.1.9, and 5.1 equals 5.1.0.
    const QList<QStringView> mine = QStringView(installed).split(u'.');
    const QList<QStringView> theirs = QStringView(published).split(u'.');
    for (qsizetype i = 0; i < std::max(mine.size(), theirs.size()); ++i) {
        const QStringView a = i < mine.size() ? mine[i] : u"0";
        const QStringView b = i < theirs.size() ? theirs[i] : u"0";
        if (const int order = compareNumbers(a, b); order != 0)
            return order < 0;
    }
    return false;
}

QString stagingFolderForWindowsPath(const QString &installFolder)
{
    return installFolder.section(QLatin1Char('\\'), 0, 0) + QStringLiteral("\\kinotray");
}

QString stagingFolder()
{
    // A relative or empty XDG_CACHE_HOME is to be ignored.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || QDir::isRelativePath(cache))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    return QDir::cleanPath(cache + QStringLiteral("/kinotray"));
}

void writeFileAtomically(const QString &path, const QByteArray &data, int mode)
{
    try {
        const FolderHandle folder(folderOf(path));
        const QString name = fileNameOf(path);
        const int current = regularFileMode(folder, name);
        WorkingFile file(folder);
        file.write(data);
        if (mode >= 0 || current >= 0)
            file.setMode(mode_t(mode >= 0 ? mode : current));
        file.sync();
        file.renameTo(folder, name);
        folder.sync();
    } catch (const Error &error) {
        throw Error(QStringLiteral("Cannot write %1: %2").arg(path, error.message()));
    }
}
