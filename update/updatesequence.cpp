#include "updatesequence.h"

#include "conversions.h"
#include "installer.h"
#include "versioninfo.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>

void runUpdate(const QString &installFolder, const QString &stagingFolder,
               const HttpOptions &options, const UpdateView &view)
{
    const ClientLines client = getClientInfor(installFolder);
    const UpdateLines published = getUpdateInfor(stagingFolder);
    const int n = toInt16(published[9]);
    const QStringList names = publishedFileNames(published, n);
    if (view.started)
        view.started(n);

    StagedInstall install(installFolder);
    for (int k = 1; k <= names.size(); ++k) {
        if (view.fileStarting)
            view.fileStarting(k, n);
        install.stage(names[k - 1], client[5] + u'/' + names[k - 1], options, view.waiting);
        if (view.fileArrived)
            view.fileArrived(k, n);
    }
    install.commit();
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
