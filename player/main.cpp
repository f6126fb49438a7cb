#include "mainwindow/form1.h"
#include "startup/general.h"
#include "startup/rendering.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltaro"));
    // The portal's views are one site, so one renderer process serves them
    // all; pages of other sites still get processes of their own.
    Rendering::apply(Rendering::choose(Rendering::probe()), "--process-per-site");
    // The process ends through Form1's unload, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    General::Session session(Seams::system());
    General::Main(session);
    return QApplication::exec();
}
