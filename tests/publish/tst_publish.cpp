// Signatures against the real minisign tool, and the publish program as an
// operator runs it.
#include "error.h"
#include "minisign.h"
#include "testfiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// Runs a program in folder with input on stdin; its exit code, or -1.
int run(const QString &folder, const QString &program, const QStringList &arguments,
        const QByteArray &input = {})
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// A key pair made by the minisign tool in folder (k.pub, k.key).
void makeKeys(const QString &folder, const QByteArray &password)
{
    const QStringList arguments{"-G", "-p", "k.pub", "-s", "k.key"};
    QCOMPARE(run(folder, "minisign", password.isEmpty() ? arguments + QStringList{"-W"} : arguments,
                 password + "\n" + password + "\n"),
             0);
}

QByteArray flipped(QByteArray bytes, qsizetype at)
{
    bytes[at] = char(bytes[at] ^ 0x01);
    return bytes;
}

} // namespace

class TestPublish : public QObject
{
    Q_OBJECT

private slots:
    void signatures_data();
    void signatures();
    void publishes_data();
    void publishes();
};

void TestPublish::signatures_data()
{
    QTest::addColumn<QString>("signer");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("valid");

    for (const char *signer : {"minisign", "minisign -l", "ours", "ours, older form"})
        QTest::addRow("%s", signer) << signer << "" << true;
    for (const char *damage : {"message", "signature", "trusted comment", "global signature",
                               "other key", "cut short", "not base64", "empty"})
        QTest::addRow("minisign, %s", damage) << "minisign" << damage << false;
}

void TestPublish::signatures()
{
    QFETCH(QString, signer);
    QFETCH(QString, damage);
    QFETCH(bool, valid);
    QTemporaryDir dir;
    makeKeys(dir.path(), {});
    const QByteArray message = "the list of sums\n";
    writeFile(dir.filePath("m"), message);
    const minisign::PublicKey key = minisign::parsePublicKey(readFile(dir.filePath("k.pub")));
    const minisign::SecretKey secret =
        minisign::parseSecretKey(readFile(dir.filePath("k.key")), [] { return QByteArray(); });
    QByteArray signature;
    if (signer.startsWith(u"minisign")) {
        QCOMPARE(run(dir.path(), "minisign",
                     QStringList{"-S", "-s", "k.key", "-m", "m", "-t", "release"} +
                         (signer.endsWith(u"-l") ? QStringList{"-l"} : QStringList{})),
                 0);
        signature = readFile(dir.filePath("m.minisig"));
    } else {
        signature = minisign::sign(secret, message, "release", !signer.contains(u"older"));
        writeFile(dir.filePath("m.minisig"), signature);
        QCOMPARE(run(dir.path(), "minisign", {"-V", "-p", "k.pub", "-m", "m"}), 0);
    }

    QByteArray signed_ = message;
    minisign::PublicKey checkWith = key;
    const QList<QByteArray> lines = signature.split('\n');
    const qsizetype line2 = lines[0].size() + 1, line4 = signature.lastIndexOf("\n", -2) + 1;
    if (damage == u"message")
        signed_ = flipped(message, 3);
    else if (damage == u"signature")
        signature = flipped(signature, line2 + 30);
    else if (damage == u"trusted comment")
        signature = flipped(signature, signature.indexOf("release"));
    else if (damage == u"global signature")
        signature = flipped(signature, line4 + 10);
    else if (damage == u"other key")
        checkWith = minisign::generateKeyPair().second;
    else if (damage == u"cut short")
        signature.chop(20);
    else if (damage == u"not base64")
        signature[line2 + 5] = '!';
    else if (damage == u"empty")
        signature.clear();

    if (valid)
        QCOMPARE(minisign::verify(checkWith, signed_, signature), QStringLiteral("release"));
    else
        QVERIFY_THROWS_EXCEPTION(Error, minisign::verify(checkWith, signed_, signature));
}

void TestPublish::publishes_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("before"); // the version the area already publishes

    const QStringList release{"player", "skin/logo.gif", "新版说明.txt"};
    QTest::newRow("a release, key without password")
        << release << QByteArray() << QByteArray() << 0 << QByteArray();
    QTest::newRow("key with password")
        << release << QByteArray("pw") << QByteArray("pw") << 0 << QByteArray();
    QTest::newRow("wrong password")
        << release << QByteArray("pw") << QByteArray("nope") << 1 << QByteArray();
    QStringList eleven;
    for (int i = 1; i <= 11; ++i)
        eleven << QStringLiteral("f%1").arg(i);
    QTest::newRow("eleven files") << eleven << QByteArray() << QByteArray() << 1 << QByteArray();
    QTest::newRow("a name the updater refuses")
        << QStringList{"player", "sha256sums"} << QByteArray() << QByteArray() << 1 << QByteArray();
    QTest::newRow("over 5.0.9") << release << QByteArray() << QByteArray() << 0
                                << QByteArray("5.0.9");
    QTest::newRow("over 5.1: not newer")
        << release << QByteArray() << QByteArray() << 1 << QByteArray("5.1");
    QTest::newRow("over 5.10: older")
        << release << QByteArray() << QByteArray() << 1 << QByteArray("5.10");
}

void TestPublish::publishes()
{
    QFETCH(QStringList, files);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, typed);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, before);
    QTemporaryDir dir;
    const QByteArray earlier = "[App Ver]\r\n" + before + "\r\n";
    if (!before.isEmpty())
        writeFile(dir.filePath("area/UpdateInfor.inf"), earlier);
    makeKeys(dir.path(), password);
    for (const QString &name : files)
        writeFile(dir.filePath("release/" + name), name.toUtf8());
    writeFile(dir.filePath("release/update.new"), "the new updater");

    QCOMPARE(run(dir.path(), VELTARO_BIN_DIR "/publish",
                 {"--app-version", "5.1", "--updater-version", "2.1", "--updater", "update.new",
                  "--update-url", "http://x/u", "-s", "k.key", "release", "area"},
                 typed + "\n"),
             exitCode);
    const QString area = dir.filePath("area");
    if (exitCode != 0) {
        if (before.isEmpty())
            QVERIFY(!QFileInfo::exists(area));
        else
            QCOMPARE(readFile(area + "/UpdateInfor.inf"), earlier);
        return;
    }
    QCOMPARE(run(area, "sha256sum", {"-c", "--strict", "SHA256SUMS"}), 0);
    QCOMPARE(run(area, "minisign", {"-V", "-p", dir.filePath("k.pub"), "-m", "SHA256SUMS"}), 0);
    QCOMPARE(readFile(area + "/UpdateInfor.inf"),
             QByteArray("[App Ver]\r\n5.1\r\n[Update Ver]\r\n2.1\r\n[Update File]\r\nupdate.new\r\n"
                        "[Update Url]\r\nhttp://x/u\r\n[File Count]\r\n3\r\n[Files]\r\nplayer\r\n"
                        "skin/logo.gif\r\n\xd0\xc2\xb0\xe6\xcb\xb5\xc3\xf7.txt\r\n"));
}

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_publish.moc"
