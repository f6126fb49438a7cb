#include "mainwindow/form1.h"
#include "startup/general.h"
#include "startup/rendering.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltaro"));
    Rendering::apply(Rendering::choose(Rendering::probe()));
    // The process ends through Form1's unload, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    General::Session session(Seams::system());
    General::Main(session);
    return QApplication::exec();
}
