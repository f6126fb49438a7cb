#include "settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QUrl>
#include <cstdio>
#include <optional>

namespace
{

const QString relativePath = QStringLiteral("veltaro/veltaro.conf");

// One setting: its environment variable, its key in the files, and how a
// text becomes a value (nothing when the text is unusable).
template <class T> struct Source {
    const char *variable;
    QString key;
    std::optional<T> (*parse)(const QString &);
};

std::optional<QString> parseAddress(const QString &text)
{
    const QString trimmed = text.trimmed();
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;
    return trimmed;
}

std::optional<UpdateCheckMode> parseMode(const QString &text)
{
    const QString mode = text.trimmed().toLower();
    if (mode == QLatin1String("draw"))
        return UpdateCheckMode::Draw;
    if (mode == QLatin1String("always"))
        return UpdateCheckMode::Always;
    if (mode == QLatin1String("never"))
        return UpdateCheckMode::Never;
    return std::nullopt;
}

template <class T>
void resolve(T &value, const Source<T> &source, const QProcessEnvironment &env,
             const QStringList &files, QStringList &complaints)
{
    auto accept = [&](const QString &text, const QString &where) {
        if (const std::optional<T> parsed = source.parse(text)) {
            value = *parsed;
            return true;
        }
        complaints << QStringLiteral("%1: unusable value \"%2\", ignored").arg(where, text);
        return false;
    };
    const QString fromEnv = env.value(QLatin1String(source.variable));
    if (!fromEnv.isEmpty() && accept(fromEnv, QLatin1String(source.variable)))
        return;
    for (auto file = files.crbegin(); file != files.crend(); ++file) {
        const QSettings ini(*file, QSettings::IniFormat);
        const QVariant text = ini.value(source.key);
        if (text.isValid() && accept(text.toString(), *file + QLatin1String(": ") + source.key))
            return;
    }
}

} // namespace

Settings processSettings()
{
    // A complaint is worth one line per process, however often it is read.
    static QSet<QString> told;
    Settings s = resolveSettings(QProcessEnvironment::systemEnvironment());
    for (const QString &line : s.complaints)
        if (!told.contains(line)) {
            told.insert(line);
            std::fprintf(stderr, "veltaro: %s\n", qPrintable(line));
        }
    return s;
}

QStringList settingsFiles(const QProcessEnvironment &env)
{
    QStringList files;
    // Relative entries are invalid in both variables and are skipped.
    const QStringList dirs =
        env.value(QStringLiteral("XDG_CONFIG_DIRS")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &dir : dirs)
        if (QDir::isAbsolutePath(dir))
            files.prepend(QDir(dir).filePath(relativePath));
    if (files.isEmpty())
        files << QStringLiteral("/etc/xdg/") + relativePath;
    QString home = env.value(QStringLiteral("XDG_CONFIG_HOME"));
    if (!QDir::isAbsolutePath(home))
        home = env.value(QStringLiteral("HOME"), QDir::homePath()) + QLatin1String("/.config");
    files << QDir(home).filePath(relativePath);
    return files;
}

Settings resolveSettings(const QProcessEnvironment &env)
{
    Settings s;
    s.portalRoot = QStringLiteral(VELTARO_DEFAULT_PORTAL_ROOT);
    s.homeSiteUrl = QStringLiteral(VELTARO_DEFAULT_HOME_SITE_URL);
    QStringList files = settingsFiles(env);
    files.removeIf([](const QString &file) { return !QFileInfo(file).isFile(); });
    resolve<QString>(s.portalRoot,
                     {"VELTARO_PORTAL_ROOT", QStringLiteral("Portal/PortalRoot"), parseAddress},
                     env, files, s.complaints);
    resolve<QString>(s.homeSiteUrl,
                     {"VELTARO_HOME_SITE_URL", QStringLiteral("Portal/HomeSiteUrl"), parseAddress},
                     env, files, s.complaints);
    resolve<UpdateCheckMode>(
        s.updateCheck, {"VELTARO_UPDATE_CHECK", QStringLiteral("Update/UpdateCheck"), parseMode},
        env, files, s.complaints);
    return s;
}
