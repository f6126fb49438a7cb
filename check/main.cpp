// Installs a new updater that the client staged, then starts it.
#include "commandline.h"
#include "displayplatform.h"
#include "error.h"
#include "platform.h"
#include "prepare.h"
#include "programfile.h"
#include "versioninfo.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCommandLineParser options;
    if (const auto status = commandline::parse(
            options, argc, argv,
            QStringLiteral("Installs a new updater that player staged, then starts it.")))
        return *status;
    displayplatform::prepare();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltaro"));
    const QString folder = platform::installFolder();
    try {
        installStagedUpdater(folder, stagingFolder());
    } catch (const Error &error) {
        platform::showMessage(
            nullptr,
            QStringLiteral("无法准备更新程序，本次更新未能进行。\n%1").arg(error.message()),
            QStringLiteral("在线更新"), QMessageBox::Critical, QMessageBox::Ok);
        return 1;
    }
    platform::startProgram(programFile(folder, QStringLiteral("update")));
    return 0;
}
