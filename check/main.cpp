// Installs a new updater that the client staged, then starts it.
#include "commandline.h"
#include "displayplatform.h"
#include "error.h"
#include "http.h"
#include "platform.h"
#include "prepare.h"
#include "programfile.h"
#include "translations.h"
#include "updatelog.h"
#include "versioninfo.h"
#include "windowing.h"

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
    QApplication::setApplicationName(windowing::windowClass());
    translations::useChinese({QStringLiteral("qtbase")});
    windowing::nameWindows();
    const Seams seams = Seams::system();
    bool replaced = false;
    try {
        installStagedUpdater(
            seams.installFolder, stagingFolder(), seams.updateKey,
            [](const QString &url, qint64 maxBytes) {
                HttpOptions options;
                options.maxBodyBytes = maxBytes;
                return fetchBytesIfPublished(url, options);
            },
            replaced);
    } catch (const Error &error) {
        logUpdateFailure(QStringLiteral("check"), error.message());
        // Only while the old updater is still in place is nothing changed.
        const QString text =
            replaced
                ? QStringLiteral("新的更新程序已安装，但暂存文件未能清除，本次更新未能进行。\n%1")
                : QStringLiteral("无法准备更新程序，本次更新未能进行。\n%1");
        seams.message(nullptr, text.arg(error.message()), QStringLiteral("在线更新"),
                      QMessageBox::Critical, QMessageBox::Ok);
        return 1;
    }
    seams.startProgram(programFile(seams.installFolder, QStringLiteral("update")));
    return 0;
}
