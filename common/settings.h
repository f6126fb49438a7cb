#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The client's three settings. Each is looked up, most important first, in
// the environment (VELTARO_PORTAL_ROOT, VELTARO_HOME_SITE_URL,
// VELTARO_UPDATE_CHECK), the user's veltaro/veltaro.conf under
// $XDG_CONFIG_HOME (~/.config), the system's under each of $XDG_CONFIG_DIRS
// (/etc/xdg), and last the built-in value from the CMake cache. The files are
// INI: PortalRoot and HomeSiteUrl in [Portal], UpdateCheck in [Update].

// How often the client looks for a newer version at start-up: on one online
// start in eight (the draw), on every one, or never.
enum class UpdateCheckMode { Draw, Always, Never };

struct Settings {
    QString portalRoot;
    QString homeSiteUrl;
    UpdateCheckMode updateCheck = UpdateCheckMode::Draw;
    // One line for each value that was set but unusable, and so skipped.
    QStringList complaints;
};

// The settings files that env points at, least important first.
QStringList settingsFiles(const QProcessEnvironment &env);
Settings resolveSettings(const QProcessEnvironment &env);

// The settings of this process, read from its environment and files at each
// call: a program reads them once at start and passes them on. A skipped
// value is reported on stderr, once per process.
Settings processSettings();
