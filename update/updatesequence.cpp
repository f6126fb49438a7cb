#include "updatesequence.h"

#include "conversions.h"
#include "installer.h"
#include "versioninfo.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>

void installFiles(const QString &installFolder, const QString &updateUrl, const QStringList &names,
                  const UpdateTrust &trust, const QByteArray &newClientInfor,
                  const HttpOptions &options, const UpdateView &view)
{
    const int n = static_cast<int>(names.size());
    StagedInstall install(installFolder);
    for (int k = 1; k <= n; ++k) {
        if (view.fileStarting)
            view.fileStarting(k, n);
        install.stage(names[k - 1], urlForName(updateUrl, names[k - 1]), trust, options,
                      view.waiting, k);
        if (view.fileArrived)
            view.fileArrived(k, n);
    }
    install.stageClientInfor(newClientInfor);
    if (view.committing)
        view.committing();
    install.commit();
}

void runUpdate(const QString &installFolder, const QString &stagingFolder,
               const std::optional<minisign::PublicKey> &key, const HttpOptions &options,
               const UpdateView &view)
{
    const ClientInfo client = clientInfo(installFolder);
    QByteArray staged;
    const UpdateInfo info = UpdateInfo::from(getUpdateInfor(stagingFolder, &staged));
    const int n = toInt16(info.fileCount);
    const QStringList names = publishedFileNames(info, n);

    const VerifiedUpdate published =
        verifiedUpdate(client.updateUrl, staged, key, [&](const QString &url, qint64 maxBytes) {
            HttpOptions limited = options;
            limited.maxBodyBytes = maxBytes;
            return fetchBytesIfPublished(url, limited, view.waiting);
        });
    for (const QString &name : names)
        published.trust.requireListed(name);
    const QByteArray clientInfor =
        clientInforBytes(info.appVersion, info.updaterVersion, info.updateUrl);

    if (view.started)
        view.started(n);
    installFiles(installFolder, client.updateUrl, names, published.trust, clientInfor, options,
                 view);
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
