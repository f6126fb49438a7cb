// The least a Qt WebEngine program does to show a page, for bench/startup:
// one window of the player's size with one view, drawn the way the player
// chooses to draw (the same rendering module, so without a GPU it too starts
// Qt without OpenGL and Chromium without its GPU). It sets nothing the player
// does not set for itself. Its start-up time and memory are the floor the
// engine sets for the player.
//
//   startup-window URL

#include "startup/rendering.h"

#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    if (!Rendering::prepare())
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    Rendering::apply(Rendering::choose(Rendering::probe()));
    QWebEngineView view;
    view.resize(1013, 667);
    view.load(QUrl(app.arguments().value(1)));
    view.show();
    return QApplication::exec();
}
