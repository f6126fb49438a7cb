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
    const ClientLines client = getClientInfor(installFolder);
    QByteArray staged;
    const UpdateLines published = getUpdateInfor(stagingFolder, &staged);
    const int n = toInt16(published[9]);
    const QStringList names = publishedFileNames(published, n);
    const QByteArray clientInfor = clientInforBytes(published[1], published[3], published[7]);

    const UpdateTrust trust =
        UpdateTrust::fetch(client[5], key, [&](const QString &url, qint64 maxBytes) {
            HttpOptions limited = options;
            limited.maxBodyBytes = maxBytes;
            return fetchBytesIfPublished(url, limited, view.waiting);
        });
    trust.check(QStringLiteral("UpdateInfor.inf"), sha256(staged));
    for (const QString &name : names)
        trust.requireListed(name);

    if (view.started)
        view.started(n);
    installFiles(installFolder, client[5], names, trust, clientInfor, options, view);
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
