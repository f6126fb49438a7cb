#include "general.h"

#include "../mainwindow/form1.h"
#include "../tickers/frminf.h"
#include "error.h"
#include "programfile.h"
#include "publishednames.h"
#include "settings.h"
#include "updatetrust.h"
#include "versioninfo.h"

#include <QDir>
#include <QFileInfo>

qint16 General::intOnline = 0;

namespace General {

Session::Session(Seams seams) : m_seams(std::move(seams)) {}

Session::~Session() = default;

Form1 &Session::form1()
{
    if (!m_form1) {
        m_form1 = std::make_unique<Form1>(m_seams);
        m_form1->Form_Load();
    }
    return *m_form1;
}

bool checkOnline(const Seams &seams)
{
    return seams.probe();
}

namespace {

bool drawHits(Seams &seams)
{
    switch (updateCheckMode()) {
    case UpdateCheckMode::Always:
        return true;
    case UpdateCheckMode::Never:
        return false;
    case UpdateCheckMode::Draw:
        break;
    }
    const int draw = static_cast<int>(seams.random() * 8 + 1);
    return draw == 6;
}

// Steps 1 to 7 of the start-up: true when the process was handed over to
// the updater and must not show its window.
bool checkForUpdate(Session &session)
{
    Seams &seams = session.seams();
    if (!checkOnline(seams)) {
        intOnline = 0;
        return false;
    }
    intOnline = 1;
    if (!seams.updatesItself || !drawHits(seams))
        return false;
    // A system-wide install belongs to the package manager: an update the
    // user cannot write would always end in the updater's error message.
    if (!QFileInfo(seams.installFolder).isWritable())
        return false;

    const ClientLines client = getClientInfor(seams.installFolder);
    const QString staging = stagingFolder();
    QByteArray fetched;
    const UpdateLines published = downloadUpdateInfor(client[5], staging, [&](const QString &url) {
        fetched = session.form1().inetOLUpdate.openUrl(url);
        return fetched;
    });

    // Nothing is compared, asked or started for a version file that the
    // update folder does not vouch for.
    UpdateTrust trust;
    try {
        trust = UpdateTrust::fetch(client[5], seams.updateKey, [&](const QString &url) {
            return session.form1().inetOLUpdate.openUrlIfPublished(url);
        });
        trust.check(QStringLiteral("UpdateInfor.inf"), sha256(fetched));
    } catch (const Error &error) {
        qWarning("Update not taken: %s", qPrintable(error.message()));
        discardStagedUpdateInfor(staging);
        return false;
    }

    if (!newerThan(client[1], published[1])) {
        discardStagedUpdateInfor(staging);
        return false;
    }

    if (FrmInf *promotion = session.form1().frmInf())
        promotion->hide();
    const auto answer = seams.message(nullptr, QStringLiteral("已出最新版，是否更新?"),
                                      QStringLiteral("在线更新"), QMessageBox::Information,
                                      QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        discardStagedUpdateInfor(staging);
        return false;
    }

    if (newerThan(client[3], published[3])) {
        const QString name = published[5];
        if (const QString problem = updaterNameProblem(name); !problem.isEmpty())
            throw Error(problem);
        const QByteArray program = session.form1().inetOLUpdate.openUrl(urlForName(client[5], name));
        trust.check(name, sha256(program));
        writeFileAtomically(staging + QLatin1Char('/') + name, program);
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
    } catch (const std::exception &) {
        // Whatever failed, the user gets the main window. This second
        // attempt is not guarded: its errors go to the caller.
        session.form1().show();
    }
}

} // namespace General
