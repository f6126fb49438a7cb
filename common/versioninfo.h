#pragma once

#include "minisign.h"
#include "updatetrust.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

// ClientInfor.inf (install folder) and UpdateInfor.inf (published under the
// update URL, staged in the staging folder). Plain GBK text, one value a line.

using ClientLines = std::array<QString, 11>;
using UpdateLines = std::array<QString, 21>;

// What the programs use of ClientInfor.inf; the other lines are labels.
struct ClientInfo {
    QString appVersion;     // line 2
    QString updaterVersion; // line 4
    QString updateUrl;      // line 6: where every published file is fetched
    static ClientInfo from(const ClientLines &lines);
};

// What the programs use of UpdateInfor.inf.
struct UpdateInfo {
    QString appVersion;                // line 2
    QString updaterVersion;            // line 4
    QString updaterFile;               // line 6: the new updater, under the update URL
    QString updateUrl;                 // line 8: recorded in the new ClientInfor.inf
    QString fileCount;                 // line 10, as written
    std::array<QString, 10> fileNames; // lines 12 to 21
    static UpdateInfo from(const UpdateLines &lines);
};

// Fetch as bytes, as the download control of the calling window does it; a
// body longer than maxBytes fails the fetch.
using FetchBytes = std::function<QByteArray(const QString &url, qint64 maxBytes)>;

// 21 short lines: an UpdateInfor.inf longer than this is not one.
inline constexpr qint64 kUpdateInforMaxBytes = 64 * 1024;

// The line rule: a line ends at CR, a LF right after that CR belongs to the
// line end, a lone LF stays inside the line; a line end at the very end of the
// data makes no extra line. Nothing is trimmed.
QStringList splitLines(const QString &text);

// Reads GBK bytes into a fixed array; one line more than the array holds is
// an Error, raised before it is stored.
template <std::size_t N> std::array<QString, N> readLines(const QByteArray &gbkBytes);
extern template std::array<QString, 11> readLines<11>(const QByteArray &);
extern template std::array<QString, 21> readLines<21>(const QByteArray &);

// installFolder/ClientInfor.inf into 11 elements.
ClientLines getClientInfor(const QString &installFolder);
// The same, as the programs use it.
ClientInfo clientInfo(const QString &installFolder);

// Fetches updateUrl + "/UpdateInfor.inf" first, then creates the staging
// folder (one level) or deletes a staged UpdateInfor.inf, writes the bytes
// unchanged and reads them back into 21 elements.
UpdateLines downloadUpdateInfor(const QString &updateUrl, const QString &stagingFolder,
                                const FetchBytes &fetch);

// Reads the staged UpdateInfor.inf, deletes it, removes the staging folder
// (an Error when the folder is not empty; the lines read are lost then).
// The bytes read are handed back through bytes when it is given.
UpdateLines getUpdateInfor(const QString &stagingFolder, QByteArray *bytes = nullptr);

// Deletes the staged UpdateInfor.inf (an Error when missing), then removes the
// staging folder (an Error when not empty).
void discardStagedUpdateInfor(const QString &stagingFolder);

// Rewrites installFolder/ClientInfor.inf with six CR LF lines (clientInforBytes
// makes them; an Error when a value cannot be written in GBK). The new text
// goes to a temporary sibling that is renamed over the old file, so a failed
// write leaves the old file whole.
QByteArray clientInforBytes(const QString &strVersion, const QString &strUpdateVer,
                            const QString &strWebPath);
void updateClientInfor(const QString &installFolder, const QString &strVersion,
                       const QString &strUpdateVer, const QString &strWebPath);

// A published value is newer than the installed one. Two versions made of
// digits and dots compare part by part as numbers (5.10 is newer than 5.9);
// any other pair compares by UTF-16 code units, the installed one sorting
// strictly first.
bool newerThan(const QString &installed, const QString &published);

// An UpdateInfor.inf (its bytes, as fetched or staged) as the update folder
// at updateUrl vouches for it: the SHA256SUMS (signed with key when one is
// given) lists these bytes. The one check that player, check and update make
// before they take a published version; an Error otherwise. The sums come
// with it, for the files that follow.
struct VerifiedUpdate {
    UpdateInfo info;
    UpdateTrust trust;
};
VerifiedUpdate verifiedUpdate(const QString &updateUrl, const QByteArray &updateInfor,
                              const std::optional<minisign::PublicKey> &key,
                              const FetchIfPublished &fetch);

// The drive-root rule over a Windows-style install folder path: the first
// piece before "\" followed by "\kinotray" ("C:\Program Files\X" -> "C:\kinotray").
QString stagingFolderForWindowsPath(const QString &installFolder);

// The staging folder on this system: kinotray inside $XDG_CACHE_HOME
// (default ~/.cache). The path only; nothing is created here.
QString stagingFolder();

// Writes data to path through a working file beside it, flushed and renamed
// over it, so a crash or a full disk never leaves a half-written file where a
// whole one stood. The file gets mode when one is given, else keeps the mode
// of the file it replaces.
void writeFileAtomically(const QString &path, const QByteArray &data, int mode = -1);
