// Runs the updater's own code without its window, for bench/update.
//
//   update-bench updates|install INSTALL_FOLDER UPDATE_URL NAME...
//
// "updates" installs the names as the updater does, in rounds of at most ten
// (the most one UpdateInfor.inf lists): each round stages an UpdateInfor.inf
// in the staging folder, as the player does, and runs the full update.
// "install" hands all names to the updater's install step at once, then
// records the version in ClientInfor.inf, as one update of that many files
// would.
// Prints the peak resident set size in kilobytes.

#include "updatesequence.h"
#include "versioninfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <cstdio>
#include <sys/resource.h>

namespace
{
void writeCrLf(const QString &path, const QStringList &lines)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + path.toStdString());
    for (const QString &line : lines)
        file.write(line.toUtf8() + "\r\n");
}

void updateInRounds(const QString &folder, const QString &url, const QStringList &names,
                    const UpdateView &view)
{
    for (qsizetype first = 0; first < names.size(); first += 10) {
        const QStringList round = names.mid(first, 10);
        QDir().mkpath(stagingFolder());
        const QStringList published{QStringLiteral("[App Ver]"),     QStringLiteral("5.1"),
                                    QStringLiteral("[Update Ver]"),  QStringLiteral("2.0"),
                                    QStringLiteral("[Update File]"), QString(),
                                    QStringLiteral("[Update Url]"),  url,
                                    QStringLiteral("[File Count]"),  QString::number(round.size()),
                                    QStringLiteral("[Files]")};
        writeCrLf(stagingFolder() + QStringLiteral("/UpdateInfor.inf"), published + round);
        runUpdate(folder, stagingFolder(), {}, view);
    }
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (args.size() < 4 || (mode != u"updates" && mode != u"install")) {
        std::fprintf(stderr,
                     "usage: update-bench updates|install INSTALL_FOLDER UPDATE_URL NAME...\n");
        return 2;
    }
    const QString folder = args[2];
    const QString url = args[3];
    const QStringList names = args.mid(4);
    try {
        writeCrLf(folder + QStringLiteral("/ClientInfor.inf"),
                  {QStringLiteral("[App Ver]"), QStringLiteral("5.0"),
                   QStringLiteral("[Update Ver]"), QStringLiteral("2.0"),
                   QStringLiteral("[Update Url]"), url});
        UpdateView view;
        view.waiting = repaintWhileWaiting();
        if (mode == u"updates") {
            updateInRounds(folder, url, names, view);
        } else {
            installFiles(folder, url, names, {}, view);
            updateClientInfor(folder, QStringLiteral("5.1"), QStringLiteral("2.0"), url);
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "update-bench: %s\n", e.what());
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    return 0;
}
