#include "rendering.h"

#include <QByteArrayList>
#include <QDir>
#include <QLoggingCategory>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QtGlobal>

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

Facts probe()
{
    Facts facts;
    facts.userQuickBackend = qgetenv("QT_QUICK_BACKEND");
    facts.userChromiumFlags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    facts.gpuDevice = !QDir(QStringLiteral("/dev/dri"))
                           .entryList({QStringLiteral("renderD*")}, QDir::System)
                           .isEmpty() ||
                      QFile::exists(QStringLiteral("/dev/nvidiactl"));
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
    if (!flags.isEmpty())
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    qCInfo(lcRendering, "%s rendering: %s", choice.software ? "software" : "GPU",
           qUtf8Printable(choice.reason));
}

} // namespace Rendering
