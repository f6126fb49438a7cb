// The helper that installs a staged new updater, end to end and by its rule.
#include "testfiles.h"
#include "error.h"
#include "gbk.h"
#include "prepare.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray updateInfor(const QString &updaterName)
{
    const QStringList lines{QStringLiteral("[App Ver]"),    QStringLiteral("5.1"),
                            QStringLiteral("[Update Ver]"), QStringLiteral("2.1"),
                            QStringLiteral("[Update File]"), updaterName,
                            QStringLiteral("[Update Url]"), QStringLiteral("http://x/u"),
                            QStringLiteral("[File Count]"), QStringLiteral("0")};
    return toGbk(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

} // namespace

class TestCheck : public QObject
{
    Q_OBJECT

private slots:
    void installsAndStartsTheNewUpdater();
    void refusesWhatItCannotInstall_data();
    void refusesWhatItCannotInstall();
};

void TestCheck::installsAndStartsTheNewUpdater()
{
    QTemporaryDir install, cache;
    const QString staging = cache.path() + QStringLiteral("/kinotray");
    QVERIFY(QDir().mkpath(staging));
    QVERIFY(QFile::copy(QStringLiteral(VELTARO_BIN_DIR "/check"), install.path() + QStringLiteral("/check")));
    writeFile(install.path() + QStringLiteral("/update"), "old updater, longer than the new one");
    const QByteArray newUpdater = "#!/bin/sh\necho started > \"$0.ran\"\n";
    writeFile(staging + QStringLiteral("/update.new"), newUpdater);
    writeFile(staging + QStringLiteral("/UpdateInfor.inf"), updateInfor(QStringLiteral("update.new")));

    QProcess check;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
    check.setProcessEnvironment(env);
    check.start(install.path() + QStringLiteral("/check"), {});
    QVERIFY(check.waitForFinished(30000));
    QCOMPARE(check.exitCode(), 0);

    const QString updater = install.path() + QStringLiteral("/update");
    QCOMPARE(readFile(updater), newUpdater);
    QVERIFY(QFileInfo(updater).isExecutable());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(updater + QStringLiteral(".ran")), 10000);
    QCOMPARE(QDir(staging).entryList(QDir::Files), QStringList{QStringLiteral("UpdateInfor.inf")});
}

void TestCheck::refusesWhatItCannotInstall_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("stageFile");
    QTest::newRow("missing staged file") << QStringLiteral("update.new") << false;
    QTest::newRow("folder part") << QStringLiteral("../update.new") << true;
    QTest::newRow("empty name") << QString() << true;
    QTest::newRow("absolute") << QStringLiteral("/etc/passwd") << true;
}

void TestCheck::refusesWhatItCannotInstall()
{
    QFETCH(QString, name);
    QFETCH(bool, stageFile);
    QTemporaryDir install, cache;
    const QString staging = cache.path() + QStringLiteral("/kinotray");
    QVERIFY(QDir().mkpath(staging));
    writeFile(install.path() + QStringLiteral("/update"), "old updater");
    if (stageFile)
        writeFile(staging + QStringLiteral("/update.new"), "new updater");
    writeFile(staging + QStringLiteral("/UpdateInfor.inf"), updateInfor(name));
    const QStringList stagedBefore = QDir(staging).entryList(QDir::Files);

    QVERIFY_THROWS_EXCEPTION(Error, installStagedUpdater(install.path(), staging));
    QCOMPARE(readFile(install.path() + QStringLiteral("/update")), QByteArray("old updater"));
    QCOMPARE(QDir(staging).entryList(QDir::Files), stagedBefore);
    QCOMPARE(QDir(install.path()).entryList(QDir::Files), QStringList{QStringLiteral("update")});
}

QTEST_MAIN(TestCheck)
#include "tst_check.moc"
