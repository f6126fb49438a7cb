#include "commandline.h"
#include "displayplatform.h"
#include "mainwindow/form1.h"
#include "startup/general.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCommandLineParser options;
    if (const auto status = commandline::parse(
            options, argc, argv,
            QStringLiteral("The Veltaro portal client: films, live TV, video on demand.")))
        return *status;
    displayplatform::prepare();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltaro"));
    // The process ends through Form1's unload, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    General::Session session(Seams::system());
    General::Main(session);
    return QApplication::exec();
}
