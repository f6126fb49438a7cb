#include "displayplatform.h"

#include <QDir>
#include <QLibraryInfo>

namespace displayplatform
{

QString choose(const QProcessEnvironment &env, const QStringList &plugins)
{
    if (!env.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty() ||
        env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
        return {};
    if (!env.value(QStringLiteral("DISPLAY")).isEmpty() && plugins.contains(QLatin1String("xcb")))
        return QStringLiteral("xcb");
    if (plugins.contains(QLatin1String("wayland")))
        return QStringLiteral("wayland");
    return {};
}

QStringList installedPlugins()
{
    QStringList folders = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH")
                              .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QLatin1String("/platforms");
    QStringList names;
    // Names compared by hand: a name filter would compile a pattern, which
    // costs more than the listing itself.
    for (const QString &folder : folders)
        for (const QString &file : QDir(folder).entryList(QDir::Files)) {
            // libqxcb.so is "xcb"; libqwayland-egl.so and libqwayland-generic.so
            // both answer to "wayland".
            if (file.size() > 7 && file.startsWith(QLatin1String("libq")) &&
                file.endsWith(QLatin1String(".so")))
                names << file.mid(4).chopped(3).section(QLatin1Char('-'), 0, 0);
        }
    names.removeDuplicates();
    return names;
}

void prepare()
{
    const QString plugin = choose(QProcessEnvironment::systemEnvironment(), installedPlugins());
    if (!plugin.isEmpty())
        qputenv("QT_QPA_PLATFORM", plugin.toLatin1());
}

} // namespace displayplatform
