#include "general.h"

#include "../mainwindow/form1.h"
#include "error.h"
#include "http.h"
#include "programfile.h"
#include "publishednames.h"
#include "safefile.h"
#include "settings.h"
#include "sha256sums.h"
#include "updatelog.h"
#include "updatetrust.h"
#include "versioninfo.h"

#include <QDir>
#include <QFileInfo>

namespace General
{

Session::Session(Seams seams, Settings settings) : m_run(std::move(seams), std::move(settings)) {}

Session::~Session() = default;

Form1 &Session::form1()
{
    if (!m_form1) {
        m_form1 = std::make_unique<Form1>(m_run);
        m_form1->Form_Load();
    }
    return *m_form1;
}

bool checkOnline(const Seams &seams)
{
    return seams.probe();
}

namespace
{

bool drawHits(const Run &run)
{
    switch (run.settings.updateCheck) {
    case UpdateCheckMode::Always:
        return true;
    case UpdateCheckMode::Never:
        return false;
    case UpdateCheckMode::Draw:
        break;
    }
    const int draw = static_cast<int>(run.seams.random() * 8 + 1);
    return draw == 6;
}

// Streams a new updater into the staging folder as name, checked against
// trust as it arrives: however long the body, memory stays flat.
void stageProgram(const QString &url, const FolderHandle &staging, const QString &name,
                  const UpdateTrust &trust, const HttpOptions &options)
{
    WorkingFile file(staging);
    Sha256 hash;
    fetchToSink(
        url,
        [&](const char *data, std::size_t size) {
            hash.add(data, size);
            file.write(data, size);
        },
        options);
    trust.check(name, hash.finish());
    file.sync();
    file.renameTo(staging, name);
    staging.sync();
}

// Steps 1 to 7 of the start-up: true when the process was handed over to
// the updater and must not show its window.
bool checkForUpdate(Session &session)
{
    Seams &seams = session.seams();
    if (!checkOnline(seams)) {
        session.run().intOnline = 0;
        return false;
    }
    session.run().intOnline = 1;
    if (!seams.updatesItself || !drawHits(session.run()))
        return false;
    // A system-wide install belongs to the package manager: an update the
    // user cannot write would always end in the updater's error message.
    if (!QFileInfo(seams.installFolder).isWritable())
        return false;

    // The staging folder is written under the install folder's lock, so
    // another start's sweep never takes the files for leftovers, and the
    // check and update that follow wait until this process has ended.
    const FolderHandle install(seams.installFolder);
    if (!install.tryLock())
        return false;
    const ClientInfo client = clientInfo(seams.installFolder);
    const QString staging = stagingFolder();
    // The main window loads now, hidden, as on every start that asks: a
    // second instance ends here before any question, and the promotion
    // window is kept back before one is asked. The check fetches with a
    // download control of its own: the version files are small, and a
    // server that does not send them within seconds must not keep the
    // window away for a minute.
    Form1 &form1 = session.form1();
    DownloadControl inetOLUpdate;
    inetOLUpdate.options.totalTimeoutSeconds = 10;
    QByteArray fetched;
    downloadUpdateInfor(client.updateUrl, staging, [&](const QString &url, qint64 maxBytes) {
        fetched = inetOLUpdate.openUrl(url, maxBytes);
        return fetched;
    });

    // Nothing is compared, asked or started for a version file that the
    // update folder does not vouch for.
    std::optional<VerifiedUpdate> published;
    try {
        published = verifiedUpdate(
            client.updateUrl, fetched, seams.updateKey, [&](const QString &url, qint64 maxBytes) {
                return inetOLUpdate.openUrlIfPublished(url, maxBytes);
            });
    } catch (const Error &error) {
        logUpdateFailure(QStringLiteral("player"),
                         QStringLiteral("update not taken: %1").arg(error.message()));
        discardStagedUpdateInfor(staging);
        return false;
    }

    if (!newerThan(client.appVersion, published->info.appVersion)) {
        discardStagedUpdateInfor(staging);
        return false;
    }

    form1.withholdPromotion();
    const auto answer =
        seams.message(nullptr, QStringLiteral("已出最新版，是否更新?"), QStringLiteral("在线更新"),
                      QMessageBox::Information, QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        discardStagedUpdateInfor(staging);
        return false;
    }

    if (newerThan(client.updaterVersion, published->info.updaterVersion)) {
        const QString name = published->info.updaterFile;
        if (const QString problem = updaterNameProblem(name); !problem.isEmpty())
            throw Error(problem);
        stageProgram(urlForName(client.updateUrl, name), FolderHandle(staging), name,
                     published->trust, HttpOptions{});
        seams.startProgram(programFile(seams.installFolder, QStringLiteral("check")));
    } else {
        seams.startProgram(programFile(seams.installFolder, QStringLiteral("update")));
    }
    seams.endProcess();
    return true;
}

} // namespace

void Main(Session &session)
{
    try {
        if (checkForUpdate(session))
            return;
        session.form1().show();
    } catch (const std::exception &error) {
        logUpdateFailure(
            QStringLiteral("player"),
            QStringLiteral("update check: %1").arg(QString::fromStdString(error.what())));
        // Whatever failed, the user gets the main window. This second
        // attempt is not guarded: its errors go to the caller.
        session.form1().show();
    }
}

} // namespace General
