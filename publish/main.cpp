// The operators' tool: a folder of release files in, a signed update area out.
#include "commandline.h"
#include "error.h"
#include "publisher.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace
{
// As minisign asks: on the terminal without echo, else a line of stdin.
QByteArray askPassword()
{
    const bool terminal = ::isatty(STDIN_FILENO);
    termios saved{};
    if (terminal) {
        std::fputs("Password: ", stderr);
        std::fflush(stderr);
        ::tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    QFile in;
    (void)in.open(stdin, QIODevice::ReadOnly);
    QByteArray line = in.readLine();
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fputs("\n", stderr);
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}
} // namespace

int main(int argc, char *argv[])
{
    QCommandLineParser parser;
    const QCommandLineOption app({QStringLiteral("a"), QStringLiteral("app-version")},
                                 QStringLiteral("The version being published (required)."),
                                 QStringLiteral("version"));
    const QCommandLineOption updaterVersion(
        {QStringLiteral("u"), QStringLiteral("updater-version")},
        QStringLiteral("The updater's version in this release (required)."), QStringLiteral("version"));
    const QCommandLineOption updater(
        QStringLiteral("updater"),
        QStringLiteral("The release file that is a new updater; clients whose updater is older "
                       "install it first."),
        QStringLiteral("file"));
    const QCommandLineOption url(
        QStringLiteral("update-url"),
        QStringLiteral("The update address clients record after this update (required)."),
        QStringLiteral("url"));
    const QCommandLineOption key({QStringLiteral("s"), QStringLiteral("secret-key")},
                                 QStringLiteral("The minisign secret key to sign with (required); "
                                                "its password is asked for when it has one."),
                                 QStringLiteral("file"));
    const QCommandLineOption comment({QStringLiteral("t"), QStringLiteral("trusted-comment")},
                                     QStringLiteral("The signature's trusted comment."),
                                     QStringLiteral("text"));
    parser.addOptions({app, updaterVersion, updater, url, key, comment});
    parser.addPositionalArgument(QStringLiteral("release"),
                                 QStringLiteral("The folder of release files, at most ten."));
    parser.addPositionalArgument(QStringLiteral("update-area"),
                                 QStringLiteral("The folder to publish into (the update URL's)."));
    if (const auto status = commandline::parse(
            parser, argc, argv,
            QStringLiteral("Publishes a Veltaro release: UpdateInfor.inf, the files, SHA256SUMS "
                           "and its minisign signature."),
            commandline::Kind::Console))
        return *status;
    QCoreApplication application(argc, argv);

    const QStringList folders = parser.positionalArguments();
    for (const QCommandLineOption &required : {app, updaterVersion, url, key})
        if (!parser.isSet(required) || folders.size() != 2) {
            std::fprintf(stderr, "publish: give --app-version, --updater-version, --update-url, "
                                 "--secret-key, the release folder and the update area "
                                 "(see publish --help)\n");
            return 2;
        }
    try {
        QFile keyFile(parser.value(key));
        if (!keyFile.open(QIODevice::ReadOnly))
            throw Error(QStringLiteral("Cannot read %1: %2").arg(keyFile.fileName(), keyFile.errorString()));
        const minisign::SecretKey secret = minisign::parseSecretKey(keyFile.readAll(), askPassword);
        const Release release{folders[0], parser.value(app), parser.value(updaterVersion),
                              parser.value(updater), parser.value(url)};
        const QString trusted =
            parser.isSet(comment)
                ? parser.value(comment)
                : QStringLiteral("Veltaro %1, published %2")
                      .arg(release.appVersion, QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
        publishRelease(release, folders[1], secret, trusted);
        std::printf("Published %s in %s\n", qPrintable(release.appVersion), qPrintable(folders[1]));
    } catch (const Error &error) {
        std::fprintf(stderr, "publish: %s\n", qPrintable(error.message()));
        return 1;
    }
    return 0;
}
