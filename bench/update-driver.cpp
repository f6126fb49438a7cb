// Runs the updater's own update sequence without its window, for bench/update.
//
//   update-bench INSTALL_FOLDER UPDATE_URL NAME...
//
// The names are installed in rounds of at most ten (the most one
// UpdateInfor.inf lists): each round stages an UpdateInfor.inf in the staging
// folder and runs the full sequence, as the updater does after its click.
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
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: update-bench INSTALL_FOLDER UPDATE_URL NAME...\n");
        return 2;
    }
    const QString folder = args[1];
    const QString url = args[2];
    const QStringList names = args.mid(3);
    try {
        writeCrLf(folder + QStringLiteral("/ClientInfor.inf"),
                  {QStringLiteral("[App Ver]"), QStringLiteral("5.0"),
                   QStringLiteral("[Update Ver]"), QStringLiteral("2.0"),
                   QStringLiteral("[Update Url]"), url});
        UpdateView view;
        view.waiting = repaintWhileWaiting();
        for (qsizetype first = 0; first < names.size(); first += 10) {
            const QStringList round = names.mid(first, 10);
            QDir().mkpath(stagingFolder());
            QStringList published{QStringLiteral("[App Ver]"),     QStringLiteral("5.1"),
                                  QStringLiteral("[Update Ver]"),  QStringLiteral("2.0"),
                                  QStringLiteral("[Update File]"), QString(),
                                  QStringLiteral("[Update Url]"),  url,
                                  QStringLiteral("[File Count]"),  QString::number(round.size()),
                                  QStringLiteral("[Files]")};
            writeCrLf(stagingFolder() + QStringLiteral("/UpdateInfor.inf"), published + round);
            runUpdate(folder, stagingFolder(), {}, view);
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
