#include "conversions.h"
#include "error.h"
#include "frmupdate.h"
#include "installer.h"
#include "minisign.h"
#include "portalserver.h"
#include "publishednames.h"
#include "settings.h"
#include "sha256sums.h"
#include "testfiles.h"
#include "updatelog.h"
#include "versioninfo.h"

#include <QDirIterator>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace
{
const QString kHomeSite = QStringLiteral("http://home.veltaro.test/");
const QString kFailure = QStringLiteral("更新出错，请到官网下载新版");
const QString kSuccess = QStringLiteral("更新完毕,谢谢您的支持!");

struct Shown {
    QString text;
    QString title;
    QMessageBox::Icon icon;
};

int modeOf(const QString &path)
{
    return static_cast<int>(fs::status(QFileInfo(path).filesystemFilePath()).permissions());
}

void setMode(const QString &path, int mode)
{
    fs::permissions(QFileInfo(path).filesystemFilePath(), static_cast<fs::perms>(mode));
}

QByteArray crlf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

// Every entry under a folder, hidden ones included: kind, mode and content.
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const bool folder = it.fileInfo().isDir();
        entries[path.mid(root.size())] = (folder ? QByteArray("dir ") : QByteArray("file ")) +
                                         QByteArray::number(modeOf(path), 8) + ' ' +
                                         (folder ? QByteArray() : readFile(path));
    }
    return entries;
}

// An installed copy in root/app, the published files in their own folder,
// the staging folder in a cache folder of its own, and a window whose seams
// record what would have reached the user.
class Installation
{
public:
    Installation() : server(published.path())
    {
        qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
        qputenv("XDG_STATE_HOME", cache.path().toUtf8());
        QDir(root.path()).mkdir(QStringLiteral("app"));
        QDir(folder()).mkdir(QStringLiteral("sub"));
        writeFile(folder() + QStringLiteral("/ClientInfor.inf"), clientInfor());
        writeFile(folder() + QStringLiteral("/player"), "old player program");
        setMode(folder() + QStringLiteral("/player"), 0755);
        for (const char *name : {"a.dat", "b.dat", "c.dat", "sub/d.dat"})
            writeFile(folder() + u'/' + QLatin1String(name),
                      QByteArray("old copy of ") + name + QByteArray(5000, 'o'));
        QDir(published.path()).mkpath(QStringLiteral("files/sub"));
        for (const char *name : {"a.dat", "b.dat", "c.dat", "sub/d.dat", "player", "new.dat"})
            publish(QLatin1String(name), QByteArray("new ") + name + QByteArray(300000, 'n'));

        seams = Seams::system();
        seams.installFolder = folder();
        seams.updateKey = keys.second;
        seams.message = [this](QWidget *, const QString &text, const QString &title,
                               QMessageBox::Icon icon, QMessageBox::StandardButtons) {
            shown.append({text, title, icon});
            return icon == QMessageBox::Question ? QMessageBox::Yes : QMessageBox::Ok;
        };
        seams.startProgram = [this](const QString &path) { started << path; };
        seams.openLink = [this](const QString &url) { opened << url; };
        seams.endProcess = [this] { ++ended; };
    }

    QString folder() const { return root.path() + QStringLiteral("/app"); }
    QString updateUrl() const { return server.url(QStringLiteral("files")); }
    QByteArray clientInfor() const
    {
        return crlf({QStringLiteral("[App Ver]"), QStringLiteral("5.0"),
                     QStringLiteral("[Update Ver]"), QStringLiteral("2.0"),
                     QStringLiteral("[Update Url]"), updateUrl()});
    }
    void publish(const QString &name, const QByteArray &bytes)
    {
        writeFile(published.filePath(QStringLiteral("files/") + name), bytes);
    }
    QByteArray publishedFile(const QString &name) const
    {
        return readFile(published.filePath(QStringLiteral("files/") + name));
    }
    // Stages an UpdateInfor.inf as the player does, publishes the same file,
    // and vouches for everything published with a signed SHA256SUMS.
    void stage(const QString &count, const QStringList &names,
               const QString &version = QStringLiteral("5.1"), bool vouched = true)
    {
        const QByteArray info =
            crlf(QStringList{QStringLiteral("[App Ver]"), version, QStringLiteral("[Update Ver]"),
                             QStringLiteral("2.1"), QStringLiteral("[Update File]"),
                             QStringLiteral("update"), QStringLiteral("[Update Url]"),
                             QStringLiteral("http://elsewhere.test/u"),
                             QStringLiteral("[File Count]"), count, QStringLiteral("[Files]")} +
                 names);
        QDir().mkpath(stagingFolder());
        writeFile(stagingFolder() + QStringLiteral("/UpdateInfor.inf"), info);
        publish(QStringLiteral("UpdateInfor.inf"), info);
        if (vouched)
            vouch();
    }
    void vouch(const QStringList &leaveOut = {})
    {
        const QString files = published.filePath(QStringLiteral("files"));
        Sha256Sums sums;
        QDirIterator it(files, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString name = it.next().mid(files.size() + 1);
            if (!name.startsWith(u"SHA256SUMS") && !leaveOut.contains(name))
                sums.add(name, sha256(readFile(it.filePath())));
        }
        publish(QStringLiteral("SHA256SUMS"), sums.format());
        publish(QStringLiteral("SHA256SUMS.minisig"),
                minisign::sign(keys.first, sums.format(), QStringLiteral("release 5.1")));
    }
    // Changes one byte of a published (or staged) file in place.
    static void flipByte(const QString &path, qsizetype at)
    {
        QByteArray bytes = readFile(path);
        bytes[at < 0 ? bytes.size() + at : at] ^= 0x01;
        writeFile(path, bytes);
    }
    // The published files fetched, in order (not the checksums).
    QStringList fetched() const
    {
        QStringList paths = server.requests();
        paths.removeIf([](const QString &p) {
            return p.startsWith(u"/__control") || p.startsWith(u"/files/SHA256SUMS");
        });
        return paths;
    }

    std::pair<minisign::SecretKey, minisign::PublicKey> keys = minisign::generateKeyPair();
    QTemporaryDir root;
    QTemporaryDir cache;
    QTemporaryDir published;
    PortalServer server;
    Seams seams;
    QList<Shown> shown;
    QStringList started;
    QStringList opened;
    int ended = 0;
};

// Runs the update the way a user does, by a click on the update-now box.
void clickUpdate(frmUpdate &window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.Picture3, Qt::LeftButton);
}
} // namespace

class tst_update : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void toInt16_data();
    void toInt16();
    void sumsLines_data();
    void sumsLines();
    void progressDisplay_data();
    void progressDisplay();
    void fileNames_data();
    void fileNames();

    void window();
    void closeBeforeTheClickTouchesNothing();
    void updateWithoutFiles();
    void updateWithThreeFiles();
    void replacedAndNewFiles_data();
    void replacedAndNewFiles();
    void faultsLeaveTheInstallationAlone_data();
    void faultsLeaveTheInstallationAlone();
};

void tst_update::initTestCase()
{
    qputenv("VELTARO_HOME_SITE_URL", kHomeSite.toUtf8());
    umask(022);
    // A write beyond the file-size limit must fail, not end the test.
    std::signal(SIGXFSZ, SIG_IGN);
}

void tst_update::toInt16_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    QTest::newRow("plain") << "3" << true << 3;
    QTest::newRow("blanks around") << "  7 \t" << true << 7;
    QTest::newRow("line feed at the end") << "-05 \n" << true << -5;
    QTest::newRow("line feed inside") << "5\n " << false << 0;
    QTest::newRow("plus sign") << "+12" << true << 12;
    QTest::newRow("minus sign") << "-12" << true << -12;
    QTest::newRow("leading zeros") << "000010" << true << 10;
    QTest::newRow("half down to even") << "2.5" << true << 2;
    QTest::newRow("half up to even") << "3.5" << true << 4;
    QTest::newRow("negative half to even") << "-2.5" << true << -2;
    QTest::newRow("just above half") << "2.5000001" << true << 3;
    QTest::newRow("below half") << "2.4999" << true << 2;
    QTest::newRow("bare fraction") << ".6" << true << 1;
    QTest::newRow("trailing point") << "4." << true << 4;
    QTest::newRow("largest") << "32767" << true << 32767;
    QTest::newRow("smallest") << "-32768" << true << -32768;
    QTest::newRow("rounds down into range") << "32767.4" << true << 32767;
    QTest::newRow("half to even stays in range") << "-32768.5" << true << -32768;
    QTest::newRow("one too many") << "32768" << false << 0;
    QTest::newRow("half to even leaves range") << "32767.5" << false << 0;
    QTest::newRow("one too few") << "-32769" << false << 0;
    QTest::newRow("huge") << "99999999999999999999" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("number then letters") << "3 files" << false << 0;
    QTest::newRow("sign alone") << "-" << false << 0;
    QTest::newRow("point alone") << "." << false << 0;
    QTest::newRow("blank after sign") << "- 3" << false << 0;
    QTest::newRow("exponent") << "1e2" << false << 0;
    QTest::newRow("hexadecimal") << "0x10" << false << 0;
    QTest::newRow("comma") << "1,5" << false << 0;
    QTest::newRow("full-width digit") << "３" << false << 0;
}

void tst_update::toInt16()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    if (valid)
        QCOMPARE(::toInt16(text), value);
    else
        QVERIFY_THROWS_EXCEPTION(Error, ::toInt16(text));
}

void tst_update::sumsLines_data()
{
    const QByteArray hex(64, 'a');
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("name"); // empty: the line is malformed

    QTest::newRow("text mode") << hex + "  a.dat"
                               << "a.dat";
    QTest::newRow("binary mode") << hex + " *a.dat"
                                 << "a.dat";
    QTest::newRow("upper-case digits, blank in the name") << QByteArray(64, 'F') + "  a b.dat"
                                                          << "a b.dat";
    QTest::newRow("escaped name") << "\\" + hex + "  a\\nb\\\\c"
                                  << "a\nb\\c";
    QTest::newRow("63 digits") << hex.left(63) + "  a.dat"
                               << "";
    QTest::newRow("65 digits") << hex + "a  a.dat"
                               << "";
    QTest::newRow("not a hex digit") << "g" + hex.mid(1) + "  a.dat"
                                     << "";
    QTest::newRow("no name") << hex + "  "
                             << "";
    QTest::newRow("tab for blank") << hex + "\t a.dat"
                                   << "";
    QTest::newRow("unknown escape") << "\\" + hex + "  a\\t"
                                    << "";
}

void tst_update::sumsLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, name);
    if (name.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(Error, Sha256Sums::parse(line + '\n'));
        return;
    }
    const Sha256Sums sums = Sha256Sums::parse(line + '\n');
    QCOMPARE(sums.digestOf(name), QByteArray::fromHex(line.mid(line.indexOf(' ') - 64, 64)));
}

void tst_update::progressDisplay_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<int>("fill");

    QTest::newRow("1 of 3") << 1 << 3 << "正在更新3个文件中的第1个文件!"
                            << "33.33%" << 1750;
    QTest::newRow("2 of 3") << 2 << 3 << "正在更新3个文件中的第2个文件!"
                            << "66.67%" << 3500;
    QTest::newRow("3 of 3") << 3 << 3 << "正在更新3个文件中的第3个文件!"
                            << "100.00%" << 5250;
    QTest::newRow("2 of 5") << 2 << 5 << "正在更新5个文件中的第2个文件!"
                            << "40.00%" << 2100;
    QTest::newRow("1 of 8") << 1 << 8 << "正在更新8个文件中的第1个文件!"
                            << "12.50%" << 656;
    QTest::newRow("1 of 7") << 1 << 7 << "正在更新7个文件中的第1个文件!"
                            << "14.29%" << 750;
    QTest::newRow("10 of 10") << 10 << 10 << "正在更新10个文件中的第10个文件!"
                              << "100.00%" << 5250;
}

void tst_update::progressDisplay()
{
    QFETCH(int, k);
    QFETCH(int, n);
    QFETCH(QString, caption);
    QFETCH(QString, percent);
    QFETCH(int, fill);
    QCOMPARE(progressCaption(k, n), caption);
    QCOMPARE(percentCaption(k, n), percent);
    QCOMPARE(fillWidth(k, n, 5250), fill);
}

void tst_update::fileNames_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("updater");
    QTest::addColumn<bool>("sound");

    const auto row = [](const char *what, const QStringList &names, bool sound,
                        const QString &updater = {}) {
        QTest::newRow(what) << names << updater << sound;
    };
    row("plain", {"player"}, true);
    row("in a sub-folder", {"skin/logo.gif"}, true);
    row("backslash separates folders", {"skin\\logo.gif"}, true);
    row("dots inside a name", {"a..b.dat"}, true);
    row("255-byte name", {QString(255, u'n')}, true);
    row("one name in two folders", {"a/x", "b/x"}, true);
    row("plain updater", {"a"}, true, "update.new");
    row("empty", {""}, false);
    row("absolute", {"/usr/bin/player"}, false);
    row("backslash-rooted", {"\\Windows\\x.dll"}, false);
    row("drive letter", {"C:player.exe"}, false);
    row("parent", {"../player"}, false);
    row("parent with backslashes", {"skin\\..\\..\\player"}, false);
    row("the folder itself", {"."}, false);
    row("dot component", {"./player"}, false);
    row("a folder", {"skin/"}, false);
    row("empty component", {"sub//d.dat"}, false);
    row("empty component by backslashes", {"sub\\\\d.dat"}, false);
    row("control character", {"a\nb"}, false);
    row("NUL", {QStringLiteral("a") + QChar(0) + QStringLiteral("b")}, false);
    row("256-byte name", {QString(256, u'n')}, false);
    row("256 bytes of Chinese", {QString(86, u'新')}, false);
    row("ClientInfor.inf in any case", {"clientinfor.INF"}, false);
    row("UpdateInfor.inf", {"UpdateInfor.inf"}, false);
    row("SHA256SUMS", {"SHA256SUMS"}, false);
    row("the signature", {"sha256sums.minisig"}, false);
    row("the journal", {".veltaro-journal"}, false);
    row("a working file in a folder", {"sub/.veltaro-tmp-0123456789abcdef"}, false);
    row("twice through a backslash", {"sub/d.dat", "sub\\d.dat"}, false);
    row("twice by case", {"a.dat", "A.DAT"}, false);
    row("updater named UpdateInfor.inf", {"a"}, false, "UpdateInfor.inf");
    row("updater in a folder", {"a"}, false, "sub/update");
}

void tst_update::fileNames()
{
    QFETCH(QStringList, names);
    QFETCH(QString, updater);
    QFETCH(bool, sound);
    QCOMPARE(publishedNamesProblems(names, updater).isEmpty(), sound);
}

void tst_update::window()
{
    Installation inst;
    inst.stage(QStringLiteral("0"), {});
    frmUpdate w(inst.seams);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QCOMPARE(w.windowTitle(), QStringLiteral("在线更新程序2.0"));
    QVERIFY(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(w.size(), QSize(350, 236));
    QCOMPARE(w.grab().toImage().size(), QSize(350, 236));
    QVERIFY(w.windowIcon().availableSizes().contains(QSize(32, 32)));
    QCOMPARE(QPixmap(QStringLiteral(":/skin/update_background.jpg")).size(), QSize(350, 236));
    QCOMPARE(w.Picture3->twipsRect(), QRect(4080, 3000, 975, 375));
    QCOMPARE(w.Picture2->twipsRect(), QRect(0, 2640, 5250, 255));
    QCOMPARE(w.Picture1->twipsRect(), QRect(0, 0, 15, 255));
    QCOMPARE(w.Label1->parentWidget(), w.Picture3);
    QCOMPARE(w.Picture1->parentWidget(), w.Picture2);
    QCOMPARE(w.Label1->caption(), QStringLiteral("立即更新"));
    QCOMPARE(w.lblNumber->caption(), QStringLiteral("更新进度"));
    QCOMPARE(w.lblScale->caption(), QString());
    QVERIFY(w.Label3->isHidden());
    QVERIFY(w.Label3->font().bold());

    const QList<QWidget *> tabOrder{w.Picture2, w.Picture1,  w.lblScale, w.Picture3,
                                    w.Label1,   w.lblNumber, w.Label2,   w.Label3};
    QList<QWidget *> chain;
    QWidget *next = w.Picture2;
    for (int step = 0; step < 100 && chain.size() < tabOrder.size(); ++step) {
        if (tabOrder.contains(next))
            chain << next;
        next = next->nextInFocusChain();
    }
    QCOMPARE(chain, tabOrder);
    QVERIFY(w.Picture3->isEnabled());
    // Nothing is read or fetched before the click.
    QVERIFY(inst.fetched().isEmpty());
    QVERIFY(QFile::exists(stagingFolder() + QStringLiteral("/UpdateInfor.inf")));
    QCOMPARE(readFile(inst.folder() + QStringLiteral("/ClientInfor.inf")), inst.clientInfor());
}

void tst_update::closeBeforeTheClickTouchesNothing()
{
    Installation inst;
    inst.stage(QStringLiteral("1"), {QStringLiteral("a.dat")});
    const QMap<QString, QByteArray> before = snapshot(inst.root.path());
    frmUpdate w(inst.seams);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.close());
    QVERIFY(!w.isVisible());
    QVERIFY(inst.shown.isEmpty());
    QVERIFY(inst.fetched().isEmpty());
    QCOMPARE(snapshot(inst.root.path()), before);
    QVERIFY(QFile::exists(stagingFolder() + QStringLiteral("/UpdateInfor.inf")));
}

void tst_update::updateWithoutFiles()
{
    // A build without a key, from a folder that publishes no sums: taken as
    // it is.
    Installation inst;
    inst.seams.updateKey.reset();
    inst.stage(QStringLiteral("0"), {}, QStringLiteral("5.1"), false);
    frmUpdate w(inst.seams);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // The caption of the box starts the update as the box does.
    QTest::mouseClick(w.Label1, Qt::LeftButton);

    QVERIFY(inst.fetched().isEmpty());
    QCOMPARE(readFile(inst.folder() + QStringLiteral("/ClientInfor.inf")),
             crlf({QStringLiteral("[App Ver]"), QStringLiteral("5.1"),
                   QStringLiteral("[Update Ver]"), QStringLiteral("2.1"),
                   QStringLiteral("[Update Url]"), QStringLiteral("http://elsewhere.test/u")}));
    QVERIFY(!QFileInfo::exists(stagingFolder()));
    QCOMPARE(inst.shown.size(), 1);
    QCOMPARE(inst.shown[0].text, kSuccess);
    QCOMPARE(inst.shown[0].title, QStringLiteral("在线更新"));
    QCOMPARE(inst.shown[0].icon, QMessageBox::Information);
    QCOMPARE(inst.started, QStringList{inst.folder() + QStringLiteral("/player")});
    QCOMPARE(inst.ended, 1);
    QVERIFY(inst.opened.isEmpty());
    QVERIFY(!w.isVisible());

    // The update runs once per process.
    w.Picture3_Click();
    QCOMPARE(inst.shown.size(), 1);
    QCOMPARE(inst.ended, 1);
}

void tst_update::updateWithThreeFiles()
{
    Installation inst;
    // A backslash separates folders, as on the system the format comes from.
    inst.stage(QStringLiteral("3"),
               {QStringLiteral("a.dat"), QStringLiteral("sub\\d.dat"), QStringLiteral("new.dat")});
    frmUpdate w(inst.seams);
    QStringList captions, percents;
    QList<int> fills;
    QList<bool> statusShown;
    connect(&w, &frmUpdate::fileArrived, &w, [&](int) {
        captions << w.lblNumber->caption();
        percents << w.lblScale->caption();
        fills << w.Picture1->widthTwips();
        statusShown << w.Label3->isVisibleTo(&w);
    });
    clickUpdate(w);

    QCOMPARE(captions, QStringList({QStringLiteral("正在更新3个文件中的第1个文件!"),
                                    QStringLiteral("正在更新3个文件中的第2个文件!"),
                                    QStringLiteral("正在更新3个文件中的第3个文件!")}));
    QCOMPARE(percents, QStringList({QStringLiteral("33.33%"), QStringLiteral("66.67%"),
                                    QStringLiteral("100.00%")}));
    QCOMPARE(fills, QList<int>({1750, 3500, 5250}));
    QCOMPARE(statusShown, QList<bool>({true, true, true}));
    QVERIFY(w.Label3->isHidden());
    // Fetched in order from the installed update URL, not the published one.
    QCOMPARE(inst.fetched(),
             QStringList({QStringLiteral("/files/a.dat"), QStringLiteral("/files/sub/d.dat"),
                          QStringLiteral("/files/new.dat")}));
    for (const char *name : {"a.dat", "sub/d.dat", "new.dat"})
        QCOMPARE(readFile(inst.folder() + u'/' + QLatin1String(name)),
                 inst.publishedFile(QLatin1String(name)));
    QVERIFY(readFile(inst.folder() + QStringLiteral("/ClientInfor.inf")).contains("5.1"));
    QCOMPARE(inst.shown.size(), 1);
    QCOMPARE(inst.shown[0].text, kSuccess);
    QCOMPARE(inst.started.size(), 1);
    QCOMPARE(inst.ended, 1);
}

void tst_update::replacedAndNewFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("oldMode"); // 0: no installed copy, -1: a link to outside
    QTest::addColumn<QByteArray>("oldContent");
    QTest::addColumn<QByteArray>("newContent");
    QTest::addColumn<int>("newMode");

    QByteArray counted; // 1.3 MB, no two blocks of it alike
    for (int i = 0; counted.size() < 1300000; ++i)
        counted += QByteArray::number(i) + ' ';
    QTest::newRow("longer than several write blocks")
        << "a.dat" << 0644 << QByteArray("old") << counted << 0644;
    QTest::newRow("shorter replaces longer")
        << "a.dat" << 0644 << QByteArray(100000, 'L') << QByteArray("short") << 0644;
    QTest::newRow("empty replaces longer")
        << "a.dat" << 0644 << QByteArray(1000, 'L') << QByteArray() << 0644;
    QTest::newRow("executable stays executable")
        << "player" << 0755 << QByteArray("old") << QByteArray("new program") << 0755;
    QTest::newRow("private stays private")
        << "a.dat" << 0600 << QByteArray("old") << QByteArray("new") << 0600;
    QTest::newRow("new program") << "player" << 0 << QByteArray() << QByteArray("prog") << 0755;
    QTest::newRow("new updater") << "update" << 0 << QByteArray() << QByteArray("prog") << 0755;
    QTest::newRow("new helper") << "check" << 0 << QByteArray() << QByteArray("prog") << 0755;
    QTest::newRow("new data file") << "new.dat" << 0 << QByteArray() << QByteArray("x") << 0644;
    QTest::newRow("program name in a sub-folder")
        << "sub/player" << 0 << QByteArray() << QByteArray("x") << 0644;
    QTest::newRow("a name as long as the file system allows")
        << QString(251, u'n') + ".dat" << 0644 << QByteArray("old") << QByteArray("new") << 0644;
    QTest::newRow("a link where the file was")
        << "a.dat" << -1 << QByteArray() << QByteArray("new") << 0644;
}

void tst_update::replacedAndNewFiles()
{
    QFETCH(QString, name);
    QFETCH(int, oldMode);
    QFETCH(QByteArray, oldContent);
    QFETCH(QByteArray, newContent);
    QFETCH(int, newMode);

    Installation inst;
    const QString target = inst.folder() + u'/' + name;
    const QString outside = inst.root.path() + QStringLiteral("/outside");
    writeFile(outside, "not the updater's");
    QFile::remove(target);
    if (oldMode > 0) {
        writeFile(target, oldContent);
        setMode(target, oldMode);
    }
    // A planted link is replaced, never written through.
    if (oldMode < 0) {
        QVERIFY(QFile::link(outside, target));
        QVERIFY(QFile::link(outside, inst.folder() + QStringLiteral("/.veltaro-journal")));
    }
    inst.publish(name, newContent);
    inst.stage(QStringLiteral("1"), {name});
    frmUpdate w(inst.seams);
    clickUpdate(w);

    QCOMPARE(inst.shown.size(), 1);
    QCOMPARE(inst.shown[0].text, kSuccess);
    QCOMPARE(readFile(target), newContent);
    QVERIFY(!QFileInfo(target).isSymLink());
    QCOMPARE(modeOf(target), newMode);
    QCOMPARE(readFile(outside), QByteArray("not the updater's"));
    // No working file and no journal is left behind.
    QCOMPARE(QDir(inst.folder())
                 .entryList(QDir::Files | QDir::Hidden)
                 .filter(QStringLiteral(".veltaro")),
             QStringList());
}

void tst_update::faultsLeaveTheInstallationAlone_data()
{
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("fetches");

    const QStringList three{"a.dat", "b.dat", "c.dat"};
    QTest::newRow("404 on the second file") << "3" << three << "404" << true;
    QTest::newRow("connection dropped in a file") << "3" << three << "drop" << true;
    QTest::newRow("connection closed before an answer") << "3" << three << "close" << true;
    QTest::newRow("stall") << "3" << three << "stall" << true;
    QTest::newRow("install folder refuses writes in a file") << "3" << three << "full" << true;
    QTest::newRow("a file where a folder part should be")
        << "3" << QStringList{"b.dat", "c.dat", "plain/inner.dat"} << "plain" << true;
    QTest::newRow("a name that is an installed folder")
        << "2" << QStringList{"a.dat", "plugins"} << "folder" << true;
    QTest::newRow("folder part linked outside the install folder")
        << "2" << QStringList{"a.dat", "linked/d.dat"} << "linked" << true;
    QTest::newRow("folder part missing")
        << "2" << QStringList{"a.dat", "nowhere/x.dat"} << "nowhere" << true;
    QTest::newRow("12 with 10 names")
        << "12" << QStringList{"a.dat", "b.dat", "c.dat", "a.dat", "b.dat",
                               "c.dat", "a.dat", "b.dat", "c.dat", "a.dat"}
        << "" << false;
    QTest::newRow("3 with two names") << "3" << QStringList{"a.dat", "b.dat"} << "" << false;
    QTest::newRow("count not a number") << "three" << three << "" << false;
    QTest::newRow("name with ..") << "2" << QStringList{"a.dat", "../outside.dat"} << "" << false;
    QTest::newRow("absolute name")
        << "2" << QStringList{"a.dat", "/tmp/outside.dat"} << "" << false;
    QTest::newRow("no staged UpdateInfor.inf") << "3" << three << "unstaged" << false;
    // What the update folder vouches for, tampered with on the way.
    QTest::newRow("a byte changed in a listed file") << "3" << three << "flip file" << true;
    QTest::newRow("a byte changed in UpdateInfor.inf") << "3" << three << "flip staged" << false;
    QTest::newRow("a byte changed in SHA256SUMS") << "3" << three << "flip sums" << false;
    QTest::newRow("a byte changed in the signature") << "3" << three << "flip signature" << false;
    QTest::newRow("a byte changed in the trusted comment")
        << "3" << three << "flip comment" << false;
    QTest::newRow("signed by another key") << "3" << three << "other key" << false;
    QTest::newRow("SHA256SUMS leaves out a listed file") << "3" << three << "unlisted" << false;
    QTest::newRow("no signature") << "3" << three << "unsigned" << false;
    QTest::newRow("an old signed SHA256SUMS with a newer UpdateInfor.inf")
        << "3" << three << "replayed" << false;
    QTest::newRow("a body cut short without a length") << "3" << three << "unsized" << true;
    QTest::newRow("unsigned build: a body cut short without a length")
        << "3" << three << "unsized, no key" << true;
    // Names that are two names for one file, or names of the updater's own.
    QTest::newRow("x y ./x") << "3" << QStringList{"a.dat", "b.dat", "./a.dat"} << "" << false;
    QTest::newRow("sub/z and sub//z")
        << "2" << QStringList{"sub/d.dat", "sub//d.dat"} << "" << false;
    QTest::newRow("names that differ by case")
        << "2" << QStringList{"a.dat", "A.dat"} << "" << false;
    QTest::newRow("a working file's name")
        << "2" << QStringList{".veltaro-tmp-0123456789abcdef", "a.dat"} << "" << false;
    QTest::newRow("UpdateInfor.inf as a file")
        << "1" << QStringList{"UpdateInfor.inf"} << "" << false;
    QTest::newRow("staging folder holds another file") << "3" << three << "crowded" << false;
    QTest::newRow("endless SHA256SUMS") << "3" << three << "endless sums" << false;
    QTest::newRow("SHA256SUMS longer than a list of sums") << "3" << three << "large sums" << false;
    QTest::newRow("endless signature") << "3" << three << "endless signature" << false;
    QTest::newRow("window closed during a transfer, cancel") << "3" << three << "cancel" << true;
}

void tst_update::faultsLeaveTheInstallationAlone()
{
    QFETCH(QString, count);
    QFETCH(QStringList, names);
    QFETCH(QString, fault);
    QFETCH(bool, fetches);

    Installation inst;
    if (fault != u"unstaged")
        inst.stage(count, names);
    if (fault == u"crowded")
        writeFile(stagingFolder() + QStringLiteral("/other.txt"), "left by someone");
    if (fault == u"404")
        QVERIFY(inst.server.setStatus(QStringLiteral("files/b.dat"), 404));
    if (fault == u"drop")
        QVERIFY(inst.server.setDropAfter(QStringLiteral("files/b.dat"), 100000));
    if (fault == u"close")
        QVERIFY(inst.server.setClose(QStringLiteral("files/b.dat")));
    if (fault == u"stall")
        QVERIFY(inst.server.setDelay(QStringLiteral("files/b.dat"), 5000));
    if (fault == u"linked") {
        // Published too, so only the install folder's own check can stop it.
        QDir(inst.root.path()).mkdir(QStringLiteral("outside"));
        QVERIFY(
            QFile::link(QStringLiteral("../outside"), inst.folder() + QStringLiteral("/linked")));
        QDir(inst.published.path()).mkpath(QStringLiteral("files/linked"));
        inst.publish(QStringLiteral("linked/d.dat"), "written through a link");
        inst.vouch();
    }
    // Published and vouched for, so only the install folder's own checks
    // can stop these.
    if (fault == u"plain" || fault == u"nowhere") {
        if (fault == u"plain")
            writeFile(inst.folder() + QStringLiteral("/plain"), "a file, not a folder");
        inst.publish(names.constLast(), "published");
        inst.vouch();
    }
    const QString files = inst.published.filePath(QStringLiteral("files/"));
    if (fault == u"flip file")
        Installation::flipByte(files + QStringLiteral("b.dat"), 299000);
    if (fault == u"flip staged")
        Installation::flipByte(stagingFolder() + QStringLiteral("/UpdateInfor.inf"), 2);
    if (fault == u"flip sums")
        Installation::flipByte(files + QStringLiteral("SHA256SUMS"), 3);
    if (fault == u"flip signature")
        Installation::flipByte(
            files + QStringLiteral("SHA256SUMS.minisig"),
            readFile(files + QStringLiteral("SHA256SUMS.minisig")).indexOf('\n') + 20);
    if (fault == u"flip comment")
        Installation::flipByte(
            files + QStringLiteral("SHA256SUMS.minisig"),
            readFile(files + QStringLiteral("SHA256SUMS.minisig")).indexOf("release"));
    if (fault == u"other key") {
        inst.keys = minisign::generateKeyPair();
        inst.vouch();
    }
    if (fault == u"unlisted")
        inst.vouch({QStringLiteral("c.dat")});
    if (fault == u"unsigned")
        QFile::remove(files + QStringLiteral("SHA256SUMS.minisig"));
    if (fault == u"replayed") {
        inst.stage(count, names, QStringLiteral("5.0"));
        inst.stage(count, names, QStringLiteral("5.1"), false);
    }
    if (fault.startsWith(u"unsized")) {
        QVERIFY(inst.server.setUnsized(QStringLiteral("files/b.dat")));
        QVERIFY(inst.server.setDropAfter(QStringLiteral("files/b.dat"), 100000));
    }
    if (fault.endsWith(u"no key"))
        inst.seams.updateKey.reset();
    if (fault == u"endless sums")
        QVERIFY(inst.server.setEndless(QStringLiteral("files/SHA256SUMS")));
    if (fault == u"endless signature")
        QVERIFY(inst.server.setEndless(QStringLiteral("files/SHA256SUMS.minisig")));
    if (fault == u"large sums")
        inst.publish(QStringLiteral("SHA256SUMS"), QByteArray(70000, 'x'));
    if (fault == u"cancel")
        QVERIFY(inst.server.setDrip(QStringLiteral("files/b.dat"), 20));
    if (fault == u"folder") {
        QDir(inst.folder()).mkdir(QStringLiteral("plugins"));
        inst.publish(QStringLiteral("plugins"), "a file where a folder is installed");
        inst.vouch();
    }

    const QMap<QString, QByteArray> before = snapshot(inst.root.path());
    frmUpdate w(inst.seams);
    w.inetOLUpdate.options.stallTimeoutSeconds = 1;
    // Closed once the first file is in, while the second one drips.
    if (fault == u"cancel")
        connect(&w, &frmUpdate::fileArrived, &w, [&w](int k) {
            if (k == 1)
                QTimer::singleShot(0, &w, &QWidget::close);
        });
    rlimit oldLimit{};
    if (fault == u"full") {
        // A write limit below the size of the published files, as a full
        // disk would set one; it holds for root too.
        getrlimit(RLIMIT_FSIZE, &oldLimit);
        rlimit limit = oldLimit;
        limit.rlim_cur = 200000;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    clickUpdate(w);
    if (fault == u"full")
        setrlimit(RLIMIT_FSIZE, &oldLimit);

    QCOMPARE(snapshot(inst.root.path()), before);
    if (fault == u"cancel")
        QCOMPARE(inst.shown.takeFirst().text, QStringLiteral("是否取消本次更新?"));
    QCOMPARE(inst.shown.size(), 1);
    QCOMPARE(inst.shown[0].text, kFailure);
    QCOMPARE(inst.shown[0].title, QStringLiteral("在线更新"));
    QCOMPARE(inst.shown[0].icon, QMessageBox::Critical);
    QCOMPARE(inst.opened, QStringList{kHomeSite});
    QVERIFY(inst.started.isEmpty());
    QCOMPARE(inst.ended, 0);
    QVERIFY(!w.isVisible());
    QCOMPARE(!inst.fetched().isEmpty(), fetches);
    QVERIFY(!QFile::exists(stagingFolder() + QStringLiteral("/UpdateInfor.inf")));

    // One line for whoever is asked for help, with the cause where it is one
    // of those named to users of the log.
    const QList<QByteArray> logged = readFile(updateLogPath()).split('\n');
    QCOMPARE(logged.size(), 2);
    const QMap<QString, QString> causes{
        {"flip file", "b.dat: hash mismatch"}, {"flip signature", "bad signature"},
        {"other key", "bad signature"},        {"endless sums", "too large"},
        {"large sums", "too large"},           {"endless signature", "too large"},
        {"cancel", "cancelled by the user"}};
    QVERIFY2(logged[0].contains(causes.value(fault, QString()).toUtf8()), logged[0].constData());
}

QTEST_MAIN(tst_update)
#include "tst_update.moc"
