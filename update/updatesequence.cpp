#include "updatesequence.h"

#include "conversions.h"
#include "installer.h"
#include "versioninfo.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>

void installFiles(const QString &installFolder, const QString &updateUrl, const QStringList &names,
                  const HttpOptions &options, const UpdateView &view)
{
    const int n = static_cast<int>(names.size());
    StagedInstall install(installFolder);
    for (int k = 1; k <= n; ++k) {
        if (view.fileStarting)
            view.fileStarting(k, n);
        install.stage(names[k - 1], updateUrl + u'/' + names[k - 1], options, view.waiting);
        if (view.fileArrived)
            view.fileArrived(k, n);
    }
    install.commit();
}

void runUpdate(const QString &installFolder, const QString &stagingFolder,
               const HttpOptions &options, const UpdateView &view)
{
    const ClientLines client = getClientInfor(installFolder);
    const UpdateLines published = getUpdateInfor(stagingFolder);
    const int n = toInt16(published[9]);
    const QStringList names = publishedFileNames(published, n);
    if (view.started)
        view.started(n);
    installFiles(installFolder, client[5], names, options, view);
    updateClientInfor(installFolder, published[1], published[3], published[7]);
}

HttpProgress repaintWhileWaiting(int intervalMs)
{
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    return [since, intervalMs] {
        if (since->elapsed() < intervalMs)
            return;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        since->restart();
    };
}
