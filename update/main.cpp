#include "commandline.h"
#include "displayplatform.h"
#include "frmupdate.h"
#include "installjournal.h"
#include "translations.h"
#include "versioninfo.h"
#include "windowing.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCommandLineParser options;
    if (const auto status =
            commandline::parse(options, argc, argv,
                               QStringLiteral("Installs the Veltaro version that player staged.")))
        return *status;
    displayplatform::prepare();
    QApplication app(argc, argv);
    QApplication::setApplicationName(windowing::windowClass());
    translations::useChinese({QStringLiteral("qtbase")});
    windowing::nameWindows();
    const Seams seams = Seams::system();
    finishInterruptedInstallAtStart(seams.installFolder, stagingFolder());
    frmUpdate form(seams);
    form.show();
    return app.exec();
}
