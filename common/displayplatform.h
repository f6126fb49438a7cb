#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Which of Qt's window system plugins the programs run on. They place their
// windows themselves (the updater centred, the promotion window sliding up
// from the screen's edge, the main window pinned on top), which a Wayland
// compositor does not allow its clients. In a Wayland session they therefore
// run through XWayland when it is there; without it they run on Wayland,
// where the compositor places the windows and pinning has no effect.
namespace displayplatform
{

// The plugin to ask for ("xcb", "wayland"), or nothing to leave the choice
// to Qt: outside a Wayland session, or when the user named one in
// QT_QPA_PLATFORM. plugins are the plugins installed, by name.
QString choose(const QProcessEnvironment &env, const QStringList &plugins);

// The window system plugins Qt can load here, by name.
QStringList installedPlugins();

// Makes the choice for this process; call before the application object
// exists. Programs it starts inherit the choice.
void prepare();

} // namespace displayplatform
