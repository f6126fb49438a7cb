#include "error.h"
#include "gbk.h"
#include "versioninfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace
{

const QString staged = QStringLiteral("UpdateInfor.inf");

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

// "L1\r\nL2\r\n..." with the given number of lines.
QByteArray numberedLines(int count)
{
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += "L" + QByteArray::number(i) + "\r\n";
    return bytes;
}

// Caps the size of any file this process writes, the way a full disk would
// stop a write half-way; root is not exempt from it.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class TestVersionInfo : public QObject
{
    Q_OBJECT

private slots:
    void gbk_data();
    void gbk();
    void splitLines_data();
    void splitLines();
    void lineCountLimit_data();
    void lineCountLimit();
    void lfOnlyFileIsOneLine();
    void clientInforRoundTrip_data();
    void clientInforRoundTrip();
    void rewriteKeepsPermissions();
    void failedRewriteLeavesOldFile();
    void atomicWriteFailures_data();
    void atomicWriteFailures();
    void newerThan_data();
    void newerThan();
    void stagingRule_data();
    void stagingRule();
    void stagingFolderFollowsCacheHome_data();
    void stagingFolderFollowsCacheHome();
    void downloadStagesBytes_data();
    void downloadStagesBytes();
    void failedFetchLeavesFolder_data();
    void failedFetchLeavesFolder();
    void downloadIntoFileFails();
    void takeStaged_data();
    void takeStaged();
};

void TestVersionInfo::gbk_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("two characters") << QByteArray("\xc4\xe3\xba\xc3") << QStringLiteral("你好");
    QTest::newRow("last character cut off")
        << QByteArray("\xc4\xe3\xc4") << QStringLiteral("你\ufffd");
    QTest::newRow("a lead byte alone") << QByteArray("\xc4") << QStringLiteral("\ufffd");
    QTest::newRow("Latin after a character") << QByteArray("\xc4\xe3"
                                                           "a")
                                             << QStringLiteral("你a");
    QTest::newRow("ASCII only, controls and DEL")
        << QByteArray("a\t\r\n\x7f") << QStringLiteral("a\t\r\n\x7f");
    QTest::newRow("the one byte past ASCII") << QByteArray("a\x80") << QStringLiteral("a€");
}

void TestVersionInfo::gbk()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(fromGbk(bytes), text);
    // Nothing carries over from one text to the next.
    QCOMPARE(fromGbk(QByteArray("a")), QStringLiteral("a"));
}

void TestVersionInfo::splitLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("no line end") << "a" << QStringList{"a"};
    QTest::newRow("CR") << "a\rb" << QStringList{"a", "b"};
    QTest::newRow("CR LF") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("final CR LF") << "a\r\nb\r\n" << QStringList{"a", "b"};
    QTest::newRow("final CR") << "a\r" << QStringList{"a"};
    QTest::newRow("only CR LF") << "\r\n" << QStringList{""};
    QTest::newRow("lone LF") << "a\nb" << QStringList{"a\nb"};
    QTest::newRow("final lone LF") << "a\n" << QStringList{"a\n"};
    QTest::newRow("empty middle") << "a\r\n\r\nb" << QStringList{"a", "", "b"};
    QTest::newRow("CR CR") << "a\r\rb" << QStringList{"a", "", "b"};
    QTest::newRow("LF CR") << "a\n\rb" << QStringList{"a\n", "b"};
    QTest::newRow("CR LF LF") << "a\r\n\nb" << QStringList{"a", "\nb"};
    QTest::newRow("untrimmed") << " a \t\r\n B " << QStringList{" a \t", " B "};
}

void TestVersionInfo::splitLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(::splitLines(text), lines);
}

void TestVersionInfo::lineCountLimit_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("fits");

    QTest::newRow("client 11") << "client" << numberedLines(11) << true;
    QTest::newRow("client 11, no final end") << "client" << numberedLines(11).chopped(2) << true;
    QTest::newRow("client 12") << "client" << numberedLines(12) << false;
    QTest::newRow("client 11 and an empty 12th") << "client" << numberedLines(11) + "\r\n" << false;
    QTest::newRow("staged 21") << "staged" << numberedLines(21) << true;
    QTest::newRow("staged 22") << "staged" << numberedLines(22) << false;
    QTest::newRow("download 21") << "download" << numberedLines(21) << true;
    QTest::newRow("download 22") << "download" << numberedLines(22) << false;
}

void TestVersionInfo::lineCountLimit()
{
    QFETCH(QString, reader);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, fits);

    QTemporaryDir dir;
    const QString staging = dir.filePath("kinotray");
    QStringList got;
    try {
        if (reader == "client") {
            writeBytes(dir.filePath("ClientInfor.inf"), bytes);
            const ClientLines lines = getClientInfor(dir.path());
            got = QStringList(lines.begin(), lines.end());
        } else if (reader == "staged") {
            QVERIFY(QDir().mkdir(staging));
            writeBytes(staging + "/" + staged, bytes);
            const UpdateLines lines = getUpdateInfor(staging);
            got = QStringList(lines.begin(), lines.end());
        } else {
            const UpdateLines lines = downloadUpdateInfor(
                "http://h", staging, [&](const QString &, qint64) { return bytes; });
            got = QStringList(lines.begin(), lines.end());
        }
    } catch (const Error &error) {
        QVERIFY2(!fits, qPrintable(error.message()));
        QVERIFY2(error.message().contains(".inf"), qPrintable(error.message()));
        return;
    }
    QVERIFY(fits);
    QCOMPARE(got.first(), "L1");
    QCOMPARE(got.last(), "L" + QString::number(got.size()));
}

void TestVersionInfo::lfOnlyFileIsOneLine()
{
    QTemporaryDir dir;
    const QByteArray bytes = "[App Ver]\n5.1\n[Update Ver]\n2.0\n[Update Url]\nhttp://h\n";
    writeBytes(dir.filePath("ClientInfor.inf"), bytes);

    const ClientLines lines = getClientInfor(dir.path());
    QCOMPARE(lines[0], QString::fromLatin1(bytes));
    for (std::size_t i = 1; i < lines.size(); ++i)
        QVERIFY(lines[i].isEmpty());
    QVERIFY(!::newerThan("5.0", lines[1]));
}

void TestVersionInfo::clientInforRoundTrip_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("updateVer");
    QTest::addColumn<QString>("webPath");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("plain")
        << "5.1"
        << "2.0"
        << "http://h/u"
        << QByteArray("[App Ver]\r\n5.1\r\n[Update Ver]\r\n2.0\r\n[Update Url]\r\nhttp://h/u\r\n");
    QTest::newRow("chinese")
        << QString::fromUtf8("版本5") << "2.0" << QString::fromUtf8("http://h/更新完毕")
        << QByteArray("[App Ver]\r\n\xb0\xe6\xb1\xbe"
                      "5\r\n[Update Ver]\r\n2.0\r\n"
                      "[Update Url]\r\nhttp://h/\xb8\xfc\xd0\xc2\xcd\xea\xb1\xcf\r\n");
    QTest::newRow("empty values")
        << ""
        << ""
        << "" << QByteArray("[App Ver]\r\n\r\n[Update Ver]\r\n\r\n[Update Url]\r\n\r\n");
}

void TestVersionInfo::clientInforRoundTrip()
{
    QFETCH(QString, version);
    QFETCH(QString, updateVer);
    QFETCH(QString, webPath);
    QFETCH(QByteArray, bytes);

    QTemporaryDir dir;
    // A longer old file: nothing of it may survive the rewrite.
    writeBytes(dir.filePath("ClientInfor.inf"), numberedLines(11) + QByteArray(500, 'x'));

    updateClientInfor(dir.path(), version, updateVer, webPath);
    QCOMPARE(readBytes(dir.filePath("ClientInfor.inf")), bytes);
    QCOMPARE(entries(dir.path()), QStringList{"ClientInfor.inf"});

    const ClientLines lines = getClientInfor(dir.path());
    const QStringList expected{
        "[App Ver]", version, "[Update Ver]", updateVer, "[Update Url]", webPath, "", "", "",
        "",          ""};
    QCOMPARE(QStringList(lines.begin(), lines.end()), expected);
}

void TestVersionInfo::rewriteKeepsPermissions()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ClientInfor.inf");
    writeBytes(path, "old");
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(path, permissions));

    updateClientInfor(dir.path(), "5.1", "2.0", "http://h");
    QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
             permissions);
}

void TestVersionInfo::failedRewriteLeavesOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ClientInfor.inf");
    const QByteArray old =
        "[App Ver]\r\n5.0\r\n[Update Ver]\r\n1.0\r\n[Update Url]\r\nhttp://h\r\n";
    writeBytes(path, old);

    QString message;
    {
        const FileSizeLimit limit(1024);
        try {
            updateClientInfor(dir.path(), "5.1", "2.0", "http://h/" + QString(4096, 'u'));
        } catch (const Error &error) {
            message = error.message();
        }
    }
    QVERIFY2(message.contains(path), qPrintable(message));
    QCOMPARE(readBytes(path), old);
    QCOMPARE(entries(dir.path()), QStringList{"ClientInfor.inf"});

    // A version that GBK cannot write is an error, never an empty file.
    QVERIFY_THROWS_EXCEPTION(
        Error, updateClientInfor(dir.path(), QStringLiteral("5.1 \U0001F600"), "2.0", "http://h"));
    QCOMPARE(readBytes(path), old);
}

void TestVersionInfo::atomicWriteFailures_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("left");

    QTest::newRow("missing folder") << "missing/ClientInfor.inf" << QStringList{"other"};
    QTest::newRow("folder in the way") << "other" << QStringList{"other"};
    QTest::newRow("file as folder") << "plain/ClientInfor.inf" << QStringList{"other", "plain"};
}

void TestVersionInfo::atomicWriteFailures()
{
    QFETCH(QString, target);
    QFETCH(QStringList, left);

    QTemporaryDir dir;
    QVERIFY(QDir().mkdir(dir.filePath("other")));
    writeBytes(dir.filePath("other/keep"), "keep");
    if (left.contains("plain"))
        writeBytes(dir.filePath("plain"), "plain");

    QVERIFY_THROWS_EXCEPTION(Error, writeFileAtomically(dir.filePath(target), "new"));
    QCOMPARE(entries(dir.path()), left);
    QCOMPARE(entries(dir.filePath("other")), QStringList{"keep"});
}

void TestVersionInfo::newerThan_data()
{
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("published");
    QTest::addColumn<bool>("newer");

    QTest::newRow("5.0 < 5.1") << "5.0"
                               << "5.1" << true;
    QTest::newRow("5.9 vs 5.10") << "5.9"
                                 << "5.10" << true;
    QTest::newRow("5.10 vs 5.9") << "5.10"
                                 << "5.9" << false;
    QTest::newRow("5.1.9 vs 5.2") << "5.1.9"
                                  << "5.2" << true;
    QTest::newRow("5.2 vs 5.1.9") << "5.2"
                                  << "5.1.9" << false;
    QTest::newRow("5.1 vs 5.1.0") << "5.1"
                                  << "5.1.0" << false;
    QTest::newRow("leading zeros") << "5.09"
                                   << "5.10" << true;
    QTest::newRow("beyond 64 bits") << "5.18446744073709551616"
                                    << "5.18446744073709551617" << true;
    QTest::newRow("not numeric: 5.9b vs 5.10") << "5.9b"
                                               << "5.10" << false;
    QTest::newRow("not numeric: 5.10. vs 5.9") << "5.10."
                                               << "5.9" << true;
    QTest::newRow("trailing blank") << "5.0"
                                    << "5.0 " << true;
    QTest::newRow("empty installed") << ""
                                     << "1" << true;
    QTest::newRow("empty published") << "1"
                                     << "" << false;
    QTest::newRow("both empty") << ""
                                << "" << false;
    QTest::newRow("equal") << "5.0"
                           << "5.0" << false;
    QTest::newRow("case: B before a") << "B"
                                      << "a" << true;
    QTest::newRow("case: a after B") << "a"
                                     << "B" << false;
    // A surrogate (U+1F600 starts with 0xD83D) sorts before U+FF5E by code
    // unit, though its code point is higher.
    QTest::newRow("surrogate vs U+FF5E")
        << QString::fromUtf8("5.\U0001F600") << QString::fromUtf8("5.\uFF5E") << true;
    QTest::newRow("U+FF5E vs surrogate")
        << QString::fromUtf8("5.\uFF5E") << QString::fromUtf8("5.\U0001F600") << false;
}

void TestVersionInfo::newerThan()
{
    QFETCH(QString, installed);
    QFETCH(QString, published);
    QFETCH(bool, newer);
    QCOMPARE(::newerThan(installed, published), newer);
}

void TestVersionInfo::stagingRule_data()
{
    QTest::addColumn<QString>("installFolder");
    QTest::addColumn<QString>("staging");

    QTest::newRow("program files") << "C:\\Program Files\\Veltaro"
                                   << "C:\\kinotray";
    QTest::newRow("network path") << "\\\\server\\share\\x"
                                  << "\\kinotray";
    QTest::newRow("bare drive") << "D:"
                                << "D:\\kinotray";
    QTest::newRow("drive root") << "D:\\"
                                << "D:\\kinotray";
    QTest::newRow("empty") << ""
                           << "\\kinotray";
    QTest::newRow("slashes are not separators") << "E:/apps/x"
                                                << "E:/apps/x\\kinotray";
}

void TestVersionInfo::stagingRule()
{
    QFETCH(QString, installFolder);
    QFETCH(QString, staging);
    QCOMPARE(stagingFolderForWindowsPath(installFolder), staging);
}

void TestVersionInfo::stagingFolderFollowsCacheHome_data()
{
    QTest::addColumn<bool>("set");
    QTest::addColumn<QString>("cacheHome");
    QTest::addColumn<QString>("expected");

    QTest::newRow("absolute") << true << "/var/cache/me"
                              << "/var/cache/me/kinotray";
    QTest::newRow("trailing slash") << true << "/var/cache/me/"
                                    << "/var/cache/me/kinotray";
    QTest::newRow("unset") << false << ""
                           << "/home/tester/.cache/kinotray";
    QTest::newRow("empty") << true << ""
                           << "/home/tester/.cache/kinotray";
    QTest::newRow("relative") << true << "cache"
                              << "/home/tester/.cache/kinotray";
}

void TestVersionInfo::stagingFolderFollowsCacheHome()
{
    QFETCH(bool, set);
    QFETCH(QString, cacheHome);
    QFETCH(QString, expected);

    const QByteArray oldHome = qgetenv("HOME");
    const bool hadCache = qEnvironmentVariableIsSet("XDG_CACHE_HOME");
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");

    qputenv("HOME", "/home/tester");
    if (set)
        qputenv("XDG_CACHE_HOME", cacheHome.toLocal8Bit());
    else
        qunsetenv("XDG_CACHE_HOME");
    const QString got = stagingFolder();

    qputenv("HOME", oldHome);
    if (hadCache)
        qputenv("XDG_CACHE_HOME", oldCache);
    else
        qunsetenv("XDG_CACHE_HOME");
    QCOMPARE(got, expected);
}

void TestVersionInfo::downloadStagesBytes_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");

    // Names relative to the temporary folder; the staging folder is cache/kinotray.
    QTest::newRow("fresh account") << QStringList{} << QStringList{staged};
    QTest::newRow("empty folder") << QStringList{"cache/kinotray/"} << QStringList{staged};
    QTest::newRow("old staged file")
        << QStringList{"cache/kinotray/" + staged} << QStringList{staged};
    QTest::newRow("leftover stays")
        << QStringList{"cache/kinotray/" + staged, "cache/kinotray/leftover"}
        << QStringList{staged, "leftover"};
}

void TestVersionInfo::downloadStagesBytes()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);

    QTemporaryDir dir;
    const QString staging = dir.filePath("cache/kinotray");
    for (const QString &name : before) {
        QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(name)).path()));
        if (!name.endsWith('/'))
            writeBytes(dir.filePath(name), numberedLines(20) + "old");
    }

    // GBK text, a lone LF and a byte pattern that is not UTF-8: all stored as fetched.
    const QByteArray published = "[App Ver]\r\n5.1\r\n[Update Ver]\r\n2.0\r\n[File]\r\n"
                                 "\xb8\xfc\xd0\xc2.exe\r\n[Url]\r\nhttp://h/a\nb\r\n";
    // What the folder looked like while the fetch ran: nothing may be touched before.
    const QStringList beforeFetch =
        QFileInfo::exists(staging) ? entries(staging) : QStringList{"<none>"};
    QStringList urls;
    QStringList duringFetch;
    QByteArray oldStagedDuringFetch;
    const auto fetch = [&](const QString &url, qint64) {
        urls << url;
        duringFetch = QFileInfo::exists(staging) ? entries(staging) : QStringList{"<none>"};
        oldStagedDuringFetch = readBytes(staging + "/" + staged);
        return published;
    };
    const UpdateLines lines = downloadUpdateInfor("http://h/u", staging, fetch);

    QCOMPARE(urls, QStringList{"http://h/u/UpdateInfor.inf"});
    QCOMPARE(duringFetch, beforeFetch);
    if (before.contains("cache/kinotray/" + staged))
        QCOMPARE(oldStagedDuringFetch, numberedLines(20) + "old");
    QCOMPARE(readBytes(staging + "/" + staged), published);
    QCOMPARE(entries(staging), after);
    QCOMPARE(lines[5], QString::fromUtf8("更新.exe"));
    QCOMPARE(lines[7], "http://h/a\nb");
    QVERIFY(lines[8].isEmpty());
}

void TestVersionInfo::failedFetchLeavesFolder_data()
{
    QTest::addColumn<bool>("staged");
    QTest::newRow("no folder") << false;
    QTest::newRow("old staged file") << true;
}

void TestVersionInfo::failedFetchLeavesFolder()
{
    QFETCH(bool, staged);

    QTemporaryDir dir;
    const QString staging = dir.filePath("kinotray");
    if (staged) {
        QVERIFY(QDir().mkdir(staging));
        writeBytes(staging + "/UpdateInfor.inf", "old");
    }
    const auto fetch = [](const QString &, qint64) -> QByteArray { throw Error("HTTP 404"); };
    QVERIFY_THROWS_EXCEPTION(Error, downloadUpdateInfor("http://h/u", staging, fetch));

    QCOMPARE(entries(dir.path()), staged ? QStringList{"kinotray"} : QStringList{});
    if (staged)
        QCOMPARE(readBytes(staging + "/UpdateInfor.inf"), "old");
}

void TestVersionInfo::downloadIntoFileFails()
{
    QTemporaryDir dir;
    const QString staging = dir.filePath("kinotray");
    writeBytes(staging, "not a folder");

    QVERIFY_THROWS_EXCEPTION(
        Error, downloadUpdateInfor("http://h/u", staging,
                                   [](const QString &, qint64) { return QByteArray("x"); }));
    QCOMPARE(readBytes(staging), "not a folder");
    QCOMPARE(entries(dir.path()), QStringList{"kinotray"});
}

void TestVersionInfo::takeStaged_data()
{
    QTest::addColumn<bool>("discard");
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<QStringList>("after");

    for (const bool discard : {false, true}) {
        const char *how = discard ? "discard: " : "take: ";
        QTest::addRow("%sstaged file only", how)
            << discard << QStringList{staged} << false << QStringList{};
        QTest::addRow("%sleftover", how)
            << discard << QStringList{staged, "leftover"} << true << QStringList{"kinotray"};
        QTest::addRow("%smissing file", how)
            << discard << QStringList{} << true << QStringList{"kinotray"};
        QTest::addRow("%smissing file, leftover", how)
            << discard << QStringList{"leftover"} << true << QStringList{"kinotray"};
        QTest::addRow("%sa working file left by a killed run", how)
            << discard << QStringList{staged, ".veltaro-tmp-0123456789abcdef"} << false
            << QStringList{};
        QTest::addRow("%sa name like a working file's, not ours", how)
            << discard << QStringList{staged, ".veltaro-tmp-0123456789abcdeF"} << true
            << QStringList{"kinotray"};
    }
}

void TestVersionInfo::takeStaged()
{
    QFETCH(bool, discard);
    QFETCH(QStringList, before);
    QFETCH(bool, fails);
    QFETCH(QStringList, after);

    QTemporaryDir dir;
    const QString staging = dir.filePath("kinotray");
    QVERIFY(QDir().mkdir(staging));
    for (const QString &name : before)
        writeBytes(staging + "/" + name, numberedLines(10));

    bool failed = false;
    try {
        if (discard) {
            discardStagedUpdateInfor(staging);
        } else {
            const UpdateLines lines = getUpdateInfor(staging);
            QCOMPARE(lines[9], "L10");
        }
    } catch (const Error &error) {
        failed = true;
        QVERIFY2(error.message().contains(staging), qPrintable(error.message()));
    }
    QCOMPARE(failed, fails);
    QCOMPARE(entries(dir.path()), after);
    // The staged file goes in any case; anything else in the folder stays.
    if (!after.isEmpty()) {
        QStringList others = before;
        others.removeAll(QStringLiteral("UpdateInfor.inf"));
        QCOMPARE(entries(staging), others);
    }
}

QTEST_GUILESS_MAIN(TestVersionInfo)
#include "tst_versioninfo.moc"
