#pragma once

#include <QByteArray>
#include <QString>

// How the player draws its web views. Qt WebEngine composites every view
// through OpenGL; without a GPU that is Mesa's llvmpipe, which costs start-up
// time and memory for nothing. There Qt Quick's software back end and
// Chromium's software path draw the same pages faster.
namespace Rendering
{

// What the machine and the user's environment say.
struct Facts {
    // A DRI render node (or NVIDIA's device) exists: hardware OpenGL is possible.
    bool gpuDevice = false;
    // GL_RENDERER of the application's shared OpenGL context; empty when no
    // context could be made current.
    QString glRenderer;
    // The user's own QT_QUICK_BACKEND or QTWEBENGINE_CHROMIUM_FLAGS, if set.
    QByteArray userQuickBackend;
    QByteArray userChromiumFlags;
};

struct Choice {
    bool software = false;
    // Each is applied only when the user did not set it.
    bool setQuickSoftware = false;
    bool setChromiumFlags = false;
    QString reason;
};

// True for renderers that draw on the CPU (llvmpipe, softpipe, swrast, ...).
bool isSoftwareRenderer(const QString &glRenderer);

Choice choose(const Facts &facts);

// Whether the machine has a device for hardware OpenGL: a DRI render node
// or NVIDIA's device.
bool hasGpuDevice();

// Whether Qt should start without OpenGL: no GPU device, and the user set
// neither an OpenGL integration nor a Quick back end other than software.
bool withoutOpenGl(bool gpuDevice, const QByteArray &userGlIntegration,
                   const QByteArray &userQuickBackend);

// Runs before the QApplication exists. Where there is no GPU device the
// software path is certain, so Qt is kept from loading OpenGL (Mesa and its
// compiler, tens of megabytes) at all, unless the user chose an integration
// or a back end of their own. Returns whether it did; probe then takes the
// setting back, so programs the player starts do not inherit it.
bool prepare();

// Looks at /dev/dri and the shared OpenGL context. Needs the QGuiApplication
// (created with Qt::AA_ShareOpenGLContexts) and runs before any web view.
Facts probe();

// The Chromium switches for the choice: the software path's, then
// otherFlags (the program's own, about more than drawing). Empty when the
// user's QTWEBENGINE_CHROMIUM_FLAGS stands.
QByteArray chromiumFlags(const Choice &choice, const QByteArray &otherFlags);

// Applies the choice and logs it under "veltaro.rendering". Must run after
// the QApplication is created and before the first web view; it starts the
// engine, which reads its switches then, and leaves no variable behind.
void apply(const Choice &choice, const QByteArray &otherFlags = {});

} // namespace Rendering
