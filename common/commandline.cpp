#include "commandline.h"

#include "error.h"
#include "versioninfo.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace commandline
{

namespace
{

// The options QGuiApplication and QApplication take out of argv themselves;
// hidden, so that the help shows the program's own.
void addQtOptions(QCommandLineParser &parser)
{
    const char *withValue[] = {"platform",        "platformpluginpath", "platformtheme", "plugin",
                               "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
                               "display",         "geometry",           "name",          "title",
                               "style",           "stylesheet",         "qmljsdebugger"};
    const char *flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};
    for (const char *name : withValue) {
        QCommandLineOption option(QLatin1String(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : flags) {
        QCommandLineOption option{QLatin1String(name)};
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// Where the running program lies; no application object exists yet.
QString programFolder(const QString &argv0)
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    if (self.exists())
        return QFileInfo(self.canonicalFilePath()).absolutePath();
    return QFileInfo(argv0).absolutePath();
}

} // namespace

QString installedVersion(const QString &folder)
{
    if (QFileInfo::exists(QDir(folder).filePath(QStringLiteral("ClientInfor.inf")))) {
        try {
            const QString version = clientInfo(folder).appVersion.trimmed();
            if (!version.isEmpty())
                return version;
        } catch (const Error &) {
            // An unreadable file: the built-in version is still the truth.
        }
    }
    return QStringLiteral(VELTARO_VERSION);
}

Outcome parse(QCommandLineParser &parser, const QStringList &arguments, const QString &description,
              Kind kind, const QString &version)
{
    const QString program =
        arguments.isEmpty() ? QStringLiteral("veltaro") : QFileInfo(arguments.first()).fileName();
    parser.setApplicationDescription(description);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    // No -v: a console program may want it for itself.
    const QCommandLineOption showVersion(QStringLiteral("version"),
                                         QStringLiteral("Show the version and exit."));
    parser.addOption(help);
    parser.addOption(showVersion);
    if (kind == Kind::Windowed) {
        // Qt's own options are single-dash words (-platform xcb).
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        addQtOptions(parser);
    }

    QString usage = parser.helpText();
    // Qt names the program by its full path, or not at all before the
    // application object exists; the help names it as the user calls it.
    const qsizetype prefix = qsizetype(qstrlen("Usage: "));
    const qsizetype end = usage.indexOf(QLatin1String(" [options]"));
    if (usage.startsWith(QLatin1String("Usage: ")) && end > prefix)
        usage.replace(prefix, end - prefix, program);
    if (!parser.parse(arguments))
        return {2, {}, QStringLiteral("%1: %2\n\n%3").arg(program, parser.errorText(), usage)};
    if (parser.isSet(help))
        return {0, usage, {}};
    if (parser.isSet(showVersion)) {
        QString text = QStringLiteral("%1 (Veltaro) %2\n").arg(program, version);
        if (!VELTARO_SELF_UPDATE)
            text += QStringLiteral("This installation does not update itself: the package manager, "
                                   "or whoever installed it, keeps it up to date.\n");
        return {0, text, {}};
    }
    return {};
}

std::optional<int> parse(QCommandLineParser &parser, int argc, char **argv,
                         const QString &description, Kind kind)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // A start without arguments, the usual one, reads no file.
    const QString version =
        argc > 1 ? installedVersion(programFolder(arguments.first())) : QString();
    const Outcome outcome = parse(parser, arguments, description, kind, version);
    std::fputs(outcome.out.toLocal8Bit().constData(), stdout);
    std::fputs(outcome.err.toLocal8Bit().constData(), stderr);
    return outcome.status;
}

} // namespace commandline
