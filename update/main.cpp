#include "frmupdate.h"
#include "installjournal.h"
#include "versioninfo.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const Seams seams = Seams::system();
    finishInterruptedInstallAtStart(seams.installFolder, stagingFolder());
    frmUpdate form(seams);
    form.show();
    return app.exec();
}
