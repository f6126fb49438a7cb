#include "general.h"

#include "../mainwindow/form1.h"
#include "../tickers/frminf.h"
#include "error.h"
#include "programfile.h"
#include "settings.h"
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
    if (!drawHits(seams))
        return false;
    // A system-wide install belongs to the package manager: an update the
    // user cannot write would always end in the updater's error message.
    if (!QFileInfo(seams.installFolder).isWritable())
        return false;

    const ClientLines client = getClientInfor(seams.installFolder);
    const QString staging = stagingFolder();
    const UpdateLines published = downloadUpdateInfor(
        client[5], staging, [&](const QString &url) { return session.form1().inetOLUpdate.openUrl(url); });

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
        if (!isPlainFileName(name))
            throw Error(QStringLiteral("UpdateInfor.inf names the new updater \"%1\", which is not a plain file name").arg(name));
        const QByteArray program = session.form1().inetOLUpdate.openUrl(client[5] + QLatin1Char('/') + name);
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
