// The helper that installs a staged new updater, end to end and by its rule.
#include "error.h"
#include "gbk.h"
#include "http.h"
#include "installjournal.h"
#include "minisign.h"
#include "portalserver.h"
#include "prepare.h"
#include "sha256sums.h"
#include "testfiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

QByteArray crlf(const QStringList &lines)
{
    return toGbk(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

// An install folder with the old updater, a staging folder holding what the
// player staged, and the update folder that vouches for both.
struct Setup {
    explicit Setup(const minisign::SecretKey &key,
                   const QString &updaterName = QStringLiteral("update.new"))
        : server(published.path())
    {
        QVERIFY(QDir().mkpath(staging()));
        writeFile(install.path() + QStringLiteral("/update"), "old updater");
        writeFile(install.path() + QStringLiteral("/ClientInfor.inf"),
                  crlf({"[App Ver]", "5.0", "[Update Ver]", "2.0", "[Update Url]",
                        server.url(QStringLiteral("u"))}));
        const QByteArray info =
            crlf({"[App Ver]", "5.1", "[Update Ver]", "2.1", "[Update File]", updaterName,
                  "[Update Url]", "http://x/u", "[File Count]", "0"});
        writeFile(staging() + QStringLiteral("/UpdateInfor.inf"), info);
        writeFile(published.path() + QStringLiteral("/u/UpdateInfor.inf"), info);
        if (!updaterName.isEmpty())
            writeFile(staging() + u'/' + updaterName, updater);
        writeFile(published.path() + QStringLiteral("/u/update.new"), updater);
        Sha256Sums sums;
        sums.add(QStringLiteral("UpdateInfor.inf"), sha256(info));
        sums.add(QStringLiteral("update.new"), sha256(updater));
        writeFile(published.path() + QStringLiteral("/u/SHA256SUMS"), sums.format());
        writeFile(published.path() + QStringLiteral("/u/SHA256SUMS.minisig"),
                  minisign::sign(key, sums.format(), QStringLiteral("test release")));
    }
    QString staging() const { return cache.path() + QStringLiteral("/kinotray"); }

    const QByteArray updater = "#!/bin/sh\necho started > \"$0.ran\"\n";
    QTemporaryDir install, cache, published;
    PortalServer server;
};

} // namespace

class TestCheck : public QObject
{
    Q_OBJECT

private slots:
    void installsAndStartsTheNewUpdater();
    void refusesWhatItCannotInstall_data();
    void refusesWhatItCannotInstall();
    void sweepSparesTheLockHoldersFiles();
};

void TestCheck::installsAndStartsTheNewUpdater()
{
    // The real helper checks with the key it was built with: the demo key of
    // the test builds, or none.
    const QByteArray demoKey =
        readFile(QStringLiteral(VELTARO_SOURCE_DIR "/demo/update-key/demo.key"));
    const auto builtIn = minisign::builtInKey();
    const minisign::SecretKey key = minisign::parseSecretKey(demoKey, [] { return QByteArray(); });
    if (builtIn && builtIn->keyId != key.keyId)
        QSKIP("built with a key other than the demo key");
    Setup setup(key);
    QVERIFY(QFile::copy(QStringLiteral(VELTARO_BIN_DIR "/check"),
                        setup.install.path() + QStringLiteral("/check")));

    QProcess check;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), setup.cache.path());
    check.setProcessEnvironment(env);
    check.start(setup.install.path() + QStringLiteral("/check"), {});
    QVERIFY(check.waitForFinished(30000));
    QCOMPARE(check.exitCode(), 0);

    const QString updater = setup.install.path() + QStringLiteral("/update");
    QCOMPARE(readFile(updater), setup.updater);
    QVERIFY(QFileInfo(updater).isExecutable());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(updater + QStringLiteral(".ran")), 10000);
    QCOMPARE(QDir(setup.staging()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("UpdateInfor.inf")});
    // The record names the updater now installed, whatever the update that
    // follows does.
    QCOMPARE(readFile(setup.install.path() + QStringLiteral("/ClientInfor.inf")),
             crlf({"[App Ver]", "5.0", "[Update Ver]", "2.1", "[Update Url]",
                   setup.server.url(QStringLiteral("u"))}));
}

// What a program writes under the install folder's lock (check's new
// updater, the player's staged files) is no leftover for another start.
void TestCheck::sweepSparesTheLockHoldersFiles()
{
    const Setup setup(minisign::generateKeyPair().first);
    const QStringList working{setup.install.path() +
                                  QStringLiteral("/.veltaro-tmp-0123456789abcdef"),
                              setup.staging() + QStringLiteral("/.veltaro-tmp-fedcba9876543210")};
    for (const QString &path : working)
        writeFile(path, "being written");
    {
        const FolderHandle holder(setup.install.path());
        QVERIFY(holder.tryLock());
        finishInterruptedInstall(setup.install.path(), setup.staging());
        for (const QString &path : working)
            QVERIFY2(QFile::exists(path), qPrintable(path));
    }
    finishInterruptedInstall(setup.install.path(), setup.staging());
    for (const QString &path : working)
        QVERIFY2(!QFile::exists(path), qPrintable(path));
}

void TestCheck::refusesWhatItCannotInstall_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("fault");
    QTest::newRow("missing staged file") << "update.new"
                                         << "unstaged";
    QTest::newRow("folder part") << "../update.new"
                                 << "";
    QTest::newRow("empty name") << ""
                                << "";
    QTest::newRow("absolute") << "/etc/passwd"
                              << "";
    QTest::newRow("the staged version file") << "UpdateInfor.inf"
                                             << "";
    QTest::newRow("staged updater swapped") << "update.new"
                                            << "swapped";
    QTest::newRow("signed by another key") << "update.new"
                                           << "key";
}

void TestCheck::refusesWhatItCannotInstall()
{
    QFETCH(QString, name);
    QFETCH(QString, fault);
    const auto keys = minisign::generateKeyPair();
    Setup setup(fault == u"key" ? minisign::generateKeyPair().first : keys.first, name);
    const QString staged = setup.staging() + QStringLiteral("/update.new");
    if (fault == u"unstaged")
        QFile::remove(staged);
    if (fault == u"swapped")
        writeFile(staged, "a program nobody signed");
    const QStringList stagedBefore =
        QDir(setup.staging()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    bool wasReplaced = true;
    QVERIFY_THROWS_EXCEPTION(
        Error,
        installStagedUpdater(
            setup.install.path(), setup.staging(), keys.second,
            [](const QString &url, qint64) { return fetchBytesIfPublished(url); }, wasReplaced));
    QVERIFY(!wasReplaced);
    QCOMPARE(readFile(setup.install.path() + QStringLiteral("/update")), QByteArray("old updater"));
    QCOMPARE(QDir(setup.staging()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             stagedBefore);
    QCOMPARE(QDir(setup.install.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("ClientInfor.inf"), QStringLiteral("update")}));
}

QTEST_MAIN(TestCheck)
#include "tst_check.moc"
