#include "rendering.h"

#include <QByteArrayList>
#include <QDir>
#include <QLoggingCategory>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QWebEngineProfile>
#include <QtGlobal>
#include <algorithm>

Q_LOGGING_CATEGORY(lcRendering, "veltaro.rendering")

namespace Rendering
{

bool isSoftwareRenderer(const QString &glRenderer)
{
    // Mesa's CPU drivers (llvmpipe also behind zink), Google's SwiftShader,
    // and the generic drivers of Windows.
    static const char *const cpuDrivers[] = {"llvmpipe",
                                             "softpipe",
                                             "swrast",
                                             "software rasterizer",
                                             "lavapipe",
                                             "swiftshader",
                                             "basic render driver",
                                             "gdi generic"};
    for (const char *name : cpuDrivers) {
        if (glRenderer.contains(QLatin1String(name), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

Choice choose(const Facts &facts)
{
    Choice choice;
    if (!facts.gpuDevice)
        choice.reason = QStringLiteral("no GPU device in /dev/dri");
    else if (facts.glRenderer.isEmpty())
        choice.reason = QStringLiteral("no usable OpenGL context");
    else if (isSoftwareRenderer(facts.glRenderer))
        choice.reason =
            QStringLiteral("OpenGL renderer \"%1\" draws on the CPU").arg(facts.glRenderer);
    else
        choice.reason = QStringLiteral("OpenGL renderer \"%1\"").arg(facts.glRenderer);
    choice.software =
        !facts.gpuDevice || facts.glRenderer.isEmpty() || isSoftwareRenderer(facts.glRenderer);
    choice.setQuickSoftware = choice.software && facts.userQuickBackend.isEmpty();
    choice.setChromiumFlags = facts.userChromiumFlags.isEmpty();
    return choice;
}

QByteArray chromiumFlags(const Choice &choice, const QByteArray &otherFlags)
{
    if (!choice.setChromiumFlags)
        return {};
    QByteArrayList flags;
    if (choice.software)
        flags << QByteArrayLiteral("--disable-gpu");
    if (!otherFlags.isEmpty())
        flags << otherFlags;
    return flags.join(' ');
}

bool hasGpuDevice()
{
    // Names compared by hand, as a name filter would compile a pattern.
    const QStringList devices = QDir(QStringLiteral("/dev/dri")).entryList(QDir::System);
    return std::any_of(devices.cbegin(), devices.cend(),
                       [](const QString &name) { return name.startsWith(QLatin1String("renderD")); }) ||
           QFile::exists(QStringLiteral("/dev/nvidiactl"));
}

namespace
{
// Set by prepare for this process only: programs the player starts (the
// desktop browser among them) must not inherit it.
bool glIntegrationSetHere = false;
QtMessageHandler previousHandler = nullptr;

// While the application starts, Qt WebEngine asks for an OpenGL context that
// prepare has made sure does not exist; the platform's complaint about it
// says nothing to the user.
void withoutOpenGlComplaint(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(QLatin1String("Cannot create platform OpenGL context")))
        previousHandler(type, context, message);
}
} // namespace

bool withoutOpenGl(bool gpuDevice, const QByteArray &userGlIntegration,
                   const QByteArray &userQuickBackend)
{
    return !gpuDevice && userGlIntegration.isEmpty() &&
           (userQuickBackend.isEmpty() || userQuickBackend == "software");
}

bool prepare()
{
    if (!withoutOpenGl(hasGpuDevice(), qgetenv("QT_XCB_GL_INTEGRATION"), qgetenv("QT_QUICK_BACKEND")))
        return false;
    qputenv("QT_XCB_GL_INTEGRATION", "none");
    glIntegrationSetHere = true;
    previousHandler = qInstallMessageHandler(withoutOpenGlComplaint);
    return true;
}

Facts probe()
{
    if (std::exchange(glIntegrationSetHere, false)) {
        qunsetenv("QT_XCB_GL_INTEGRATION");
        qInstallMessageHandler(previousHandler);
    }
    Facts facts;
    facts.userQuickBackend = qgetenv("QT_QUICK_BACKEND");
    facts.userChromiumFlags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    facts.gpuDevice = hasGpuDevice();
    QOpenGLContext *shared = QOpenGLContext::globalShareContext();
    if (!facts.gpuDevice || !shared || !shared->isValid())
        return facts;
    QOffscreenSurface surface;
    surface.setFormat(shared->format());
    surface.create();
    if (surface.isValid() && shared->makeCurrent(&surface)) {
        const auto *name = shared->functions()->glGetString(GL_RENDERER);
        facts.glRenderer = QString::fromLatin1(reinterpret_cast<const char *>(name));
        shared->doneCurrent();
    }
    return facts;
}

void apply(const Choice &choice, const QByteArray &otherFlags)
{
    if (choice.setQuickSoftware)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    const QByteArray flags = chromiumFlags(choice, otherFlags);
    if (!flags.isEmpty()) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
        // The engine reads its switches once, when the first profile is
        // made: make it now (the views use it anyway), then take them back,
        // so that programs the player starts, a Qt-based desktop browser
        // among them, do not inherit them.
        QWebEngineProfile::defaultProfile();
        qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    }
    qCInfo(lcRendering, "%s rendering: %s", choice.software ? "software" : "GPU",
           qUtf8Printable(choice.reason));
}

} // namespace Rendering
