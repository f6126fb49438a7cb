#include "commandline.h"
#include "displayplatform.h"
#include "error.h"
#include "installjournal.h"
#include "mainwindow/form1.h"
#include "startup/general.h"
#include "startup/rendering.h"
#include "translations.h"
#include "versioninfo.h"
#include "windowing.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QCommandLineParser options;
    if (const auto status = commandline::parse(
            options, argc, argv,
            QStringLiteral("The Veltaro portal client: films, live TV, video on demand.")))
        return *status;
    displayplatform::prepare();
    // Qt WebEngine shares OpenGL contexts with the application's, where
    // there is OpenGL to share.
    if (!Rendering::prepare())
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(windowing::windowClass());
    translations::useChinese({QStringLiteral("qtbase"), QStringLiteral("qtwebengine")});
    windowing::nameWindows();
    // The portal's views are one site, so one renderer process serves them
    // all; pages of other sites still get processes of their own. The engine
    // runs its GPU and network work inside this process, so the zygote kept
    // for unsandboxed helper processes would only cost a process at every
    // start (about 8 MB of its own); should a helper ever need one, it is
    // started directly instead. Renderers keep their sandbox and zygote.
    // The engine's own pages speak Chinese, as the rest of the program does.
    Rendering::apply(Rendering::choose(Rendering::probe()),
                     QByteArray("--process-per-site --no-unsandboxed-zygote ") +
                         translations::webEngineLanguage);
    // The process ends through Form1's unload, not when a window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    General::Session session(Seams::system());
    if (session.seams().updatesItself)
        finishInterruptedInstallAtStart(session.seams().installFolder, stagingFolder());
    try {
        General::Main(session);
    } catch (const std::exception &error) {
        // The main window failed twice: say so and end, rather than abort.
        const QString reason = QString::fromStdString(error.what());
        qWarning("%s", qPrintable(reason));
        session.seams().message(nullptr, QStringLiteral("播放器无法启动：%1").arg(reason),
                                QStringLiteral("Veltaro"), QMessageBox::Critical, QMessageBox::Ok);
        return 1;
    }
    return QApplication::exec();
}
