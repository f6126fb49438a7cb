// Runs the updater's own code without its window, for bench/update.
//
//   update-bench stage INSTALL_FOLDER
//       fetches UpdateInfor.inf from the update URL of the installed
//       ClientInfor.inf into the staging folder, as the player does before
//       it hands over to the updater
//   update-bench update INSTALL_FOLDER
//       the updater's update: reads both version files, checks them and
//       every file against the signed SHA256SUMS as the program does, moves
//       them into place through the journal and records the new version;
//       prints the peak resident set size in kilobytes

#include "http.h"
#include "minisign.h"
#include "updatesequence.h"
#include "versioninfo.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (args.size() != 3 || (mode != u"stage" && mode != u"update")) {
        std::fprintf(stderr, "usage: update-bench stage|update INSTALL_FOLDER\n");
        return 2;
    }
    const QString folder = args[2];
    try {
        DownloadControl inetOLUpdate;
        if (mode == u"stage") {
            downloadUpdateInfor(clientInfo(folder).updateUrl, stagingFolder(),
                                [&](const QString &url, qint64 maxBytes) {
                                    return inetOLUpdate.openUrl(url, maxBytes);
                                });
            return 0;
        }
        UpdateView view;
        view.waiting = repaintWhileWaiting();
        runUpdate(folder, stagingFolder(), minisign::builtInKey(), inetOLUpdate.options, view);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "update-bench: %s\n", e.what());
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    return 0;
}
