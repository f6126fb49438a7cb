// The start-up sequence and Form1's load, against a loopback portal.
#include "error.h"
#include "gbk.h"
#include "mainwindow/form1.h"
#include "manualclock.h"
#include "minisign.h"
#include "portalserver.h"
#include "sha256sums.h"
#include "startup/general.h"
#include "startup/portalwatch.h"
#include "testfiles.h"
#include "tickers/frminf.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

QByteArray crlfLines(const QStringList &lines)
{
    return toGbk(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void offlineStartTouchesNothing();
    void drawOtherThanSixChecksNothing();
    void equalVersionsDiscardTheStagedCopy();
    void newerApplicationYesStartsUpdate();
    void newerUpdaterYesStagesItAndStartsCheck();
    void answerNoKeepsPromotionHidden();
    void unreachableServerLeavesStagingAlone();
    void leftoverInStagingLeadsToMainWindow();
    void updaterNameMustBePlain_data();
    void updaterNameMustBePlain();
    void unvouchedUpdatesAreNotTaken_data();
    void unvouchedUpdatesAreNotTaken();
    void environmentReplacesTheDraw_data();
    void environmentReplacesTheDraw();

    void onlineLoadFetchesEachOnce();
    void offlineLoadShowsLocalPage();
    void portalReturns_data();
    void portalReturns();
    void tickerFetchWithoutAnswerStillShowsWindow();

private:
    Seams makeSeams();
    void publish(const QString &appVersion, const QString &updaterVersion,
                 const QString &updaterName = QStringLiteral("update.new"));
    void install(const QString &appVersion, const QString &updaterVersion);
    QString staging() const { return m_cache->path() + QStringLiteral("/kinotray"); }

    std::unique_ptr<QTemporaryDir> m_root;    // served portal
    std::unique_ptr<QTemporaryDir> m_install; // install folder
    std::unique_ptr<QTemporaryDir> m_cache;   // XDG_CACHE_HOME
    std::unique_ptr<QTemporaryDir> m_runtime; // XDG_RUNTIME_DIR
    std::unique_ptr<PortalServer> m_server;
    std::pair<minisign::SecretKey, minisign::PublicKey> m_keys = minisign::generateKeyPair();

    bool m_online = true;
    double m_draw = 5.0 / 8; // hits 6
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;
    QStringList m_messages;
    QStringList m_started;
    int m_ended = 0;
};

Seams TestStartup::makeSeams()
{
    Seams seams = Seams::system();
    seams.probe = [this] { return m_online; };
    seams.random = [this] { return m_draw; };
    seams.message = [this](QWidget *, const QString &text, const QString &title, QMessageBox::Icon,
                           QMessageBox::StandardButtons) {
        m_messages << title + QLatin1Char('|') + text;
        return m_answer;
    };
    seams.startProgram = [this](const QString &path) { m_started << path; };
    seams.openLink = [](const QString &) {};
    seams.endProcess = [this] { ++m_ended; };
    seams.screenAreaTwips = [] { return QRect(0, 0, 15360, 11520); };
    seams.installFolder = m_install->path();
    seams.updateKey = m_keys.second;
    seams.updatesItself = true;
    return seams;
}

void TestStartup::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    m_install = std::make_unique<QTemporaryDir>();
    m_cache = std::make_unique<QTemporaryDir>();
    m_runtime = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CACHE_HOME", m_cache->path().toUtf8());
    qputenv("XDG_STATE_HOME", m_cache->path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", m_runtime->path().toUtf8());
    qunsetenv("VELTARO_UPDATE_CHECK");

    const QString portal = m_root->path() + QStringLiteral("/kinotray/");
    writeFile(portal + QStringLiteral("index.html"), "<html><body>home</body></html>");
    writeFile(portal + QStringLiteral("adv/banner.html"), "<html><body>banner</body></html>");
    writeFile(portal + QStringLiteral("adv/pop_ads.html"), "<html><body>ads</body></html>");
    writeFile(portal + QStringLiteral("marquee/Notice.txt"),
              toGbk(QStringLiteral("新闻|http://a/$$$")));
    writeFile(portal + QStringLiteral("marquee/Sponsor.txt"),
              toGbk(QStringLiteral("赞助|http://b/$$$")));
    writeFile(m_install->path() + QStringLiteral("/404.html"), "<html><body>offline</body></html>");
    m_server = std::make_unique<PortalServer>(m_root->path());
    qputenv("VELTARO_PORTAL_ROOT", m_server->url(QStringLiteral("kinotray/")).toUtf8());

    m_online = true;
    m_draw = 5.0 / 8;
    m_answer = QMessageBox::Yes;
    m_messages.clear();
    m_started.clear();
    m_ended = 0;
    install(QStringLiteral("5.0"), QStringLiteral("2.0"));
}

void TestStartup::cleanup()
{
    m_server.reset();
}

void TestStartup::install(const QString &appVersion, const QString &updaterVersion)
{
    writeFile(m_install->path() + QStringLiteral("/ClientInfor.inf"),
              crlfLines({QStringLiteral("[App Ver]"), appVersion, QStringLiteral("[Update Ver]"),
                         updaterVersion, QStringLiteral("[Update Url]"),
                         m_server->url(QStringLiteral("kinotray/update"))}));
}

void TestStartup::publish(const QString &appVersion, const QString &updaterVersion,
                          const QString &updaterName)
{
    const QString update = m_root->path() + QStringLiteral("/kinotray/update/");
    writeFile(update + QStringLiteral("UpdateInfor.inf"),
              crlfLines({QStringLiteral("[App Ver]"), appVersion, QStringLiteral("[Update Ver]"),
                         updaterVersion, QStringLiteral("[Update File]"), updaterName,
                         QStringLiteral("[Update Url]"), QStringLiteral("http://x/update"),
                         QStringLiteral("[File Count]"), QStringLiteral("1"),
                         QStringLiteral("[Files]"), QStringLiteral("player")}));
    writeFile(update + QStringLiteral("update.new"), "new updater");
    Sha256Sums sums;
    for (const QString &name : {QStringLiteral("UpdateInfor.inf"), QStringLiteral("update.new")})
        sums.add(name, sha256(readFile(update + name)));
    writeFile(update + QStringLiteral("SHA256SUMS"), sums.format());
    writeFile(update + QStringLiteral("SHA256SUMS.minisig"),
              minisign::sign(m_keys.first, sums.format(), QStringLiteral("test release")));
}

void TestStartup::offlineStartTouchesNothing()
{
    m_online = false;
    publish(QStringLiteral("6.0"), QStringLiteral("2.0"));
    General::Session session(makeSeams());
    General::Main(session);
    QCOMPARE(session.run().intOnline, qint16(0));
    QVERIFY(session.form1().isVisible());
    QVERIFY(!session.form1().frmInf());
    QVERIFY(m_messages.isEmpty());
    QVERIFY(!QFileInfo::exists(staging()));
    QVERIFY(m_server->requests().isEmpty());
}

void TestStartup::drawOtherThanSixChecksNothing()
{
    publish(QStringLiteral("6.0"), QStringLiteral("2.0"));
    m_draw = 0.0; // draws 1
    General::Session session(makeSeams());
    General::Main(session);
    QCOMPARE(session.run().intOnline, qint16(1));
    QVERIFY(session.form1().isVisible());
    QVERIFY(m_messages.isEmpty());
    QVERIFY(!QFileInfo::exists(staging()));
    QVERIFY(!m_server->requests().contains(QStringLiteral("/kinotray/update/UpdateInfor.inf")));
}

void TestStartup::equalVersionsDiscardTheStagedCopy()
{
    publish(QStringLiteral("5.0"), QStringLiteral("2.0"));
    General::Session session(makeSeams());
    General::Main(session);
    QVERIFY(m_server->requests().contains(QStringLiteral("/kinotray/update/UpdateInfor.inf")));
    QVERIFY(!QFileInfo::exists(staging()));
    QVERIFY(m_messages.isEmpty());
    QVERIFY(session.form1().isVisible());
    QTRY_VERIFY(session.form1().frmInf() && session.form1().frmInf()->isVisible());
    QCOMPARE(m_ended, 0);
}

void TestStartup::newerApplicationYesStartsUpdate()
{
    publish(QStringLiteral("5.1"), QStringLiteral("2.0"));
    General::Session session(makeSeams());
    General::Main(session);
    QCOMPARE(m_messages, QStringList{QStringLiteral("在线更新|已出最新版，是否更新?")});
    QCOMPARE(m_started, QStringList{m_install->path() + QStringLiteral("/update")});
    QCOMPARE(m_ended, 1);
    QVERIFY(QFileInfo::exists(staging() + QStringLiteral("/UpdateInfor.inf")));
    QVERIFY(!session.form1().isVisible());
    QVERIFY(!session.form1().frmInf() || !session.form1().frmInf()->isVisible());
}

void TestStartup::newerUpdaterYesStagesItAndStartsCheck()
{
    publish(QStringLiteral("5.1"), QStringLiteral("2.1"));
    General::Session session(makeSeams());
    General::Main(session);
    QCOMPARE(m_started, QStringList{m_install->path() + QStringLiteral("/check")});
    QCOMPARE(m_ended, 1);
    QCOMPARE(readFile(staging() + QStringLiteral("/update.new")), QByteArray("new updater"));
    QVERIFY(QFileInfo::exists(staging() + QStringLiteral("/UpdateInfor.inf")));
}

void TestStartup::answerNoKeepsPromotionHidden()
{
    publish(QStringLiteral("5.1"), QStringLiteral("2.1"));
    m_answer = QMessageBox::No;
    General::Session session(makeSeams());
    General::Main(session);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_started.isEmpty());
    QCOMPARE(m_ended, 0);
    QVERIFY(!QFileInfo::exists(staging()));
    QVERIFY(session.form1().isVisible());
    // Both texts in: the promotion window would have risen by now.
    QTRY_COMPARE(session.form1().labNotice->caption(), QStringLiteral("新闻"));
    QTRY_COMPARE(session.form1().labSponsor->caption(), QStringLiteral("赞助"));
    QVERIFY(!session.form1().frmInf() || !session.form1().frmInf()->isVisible());
    QVERIFY(!m_server->requests().contains(QStringLiteral("/kinotray/update/update.new")));
}

void TestStartup::unreachableServerLeavesStagingAlone()
{
    publish(QStringLiteral("5.1"), QStringLiteral("2.0"));
    m_server->setClose(QStringLiteral("/kinotray/update/UpdateInfor.inf"));
    QDir().mkpath(staging());
    writeFile(staging() + QStringLiteral("/UpdateInfor.inf"), "old staged copy");
    General::Session session(makeSeams());
    General::Main(session);
    QVERIFY(session.form1().isVisible());
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(readFile(staging() + QStringLiteral("/UpdateInfor.inf")),
             QByteArray("old staged copy"));
}

void TestStartup::leftoverInStagingLeadsToMainWindow()
{
    publish(QStringLiteral("5.0"), QStringLiteral("2.0"));
    writeFile(staging() + QStringLiteral("/leftover.bin"), "keep me");
    General::Session session(makeSeams());
    General::Main(session);
    QVERIFY(session.form1().isVisible());
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(readFile(staging() + QStringLiteral("/leftover.bin")), QByteArray("keep me"));
}

void TestStartup::updaterNameMustBePlain_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("folder part") << QStringLiteral("../escape.bin");
    QTest::newRow("nested") << QStringLiteral("sub/update.new");
    QTest::newRow("absolute") << QStringLiteral("/tmp/veltaro-escape.bin");
    QTest::newRow("backslash") << QStringLiteral("..\\escape.bin");
    QTest::newRow("dot dot") << QStringLiteral("..");
    QTest::newRow("empty") << QString();
    QTest::newRow("the staged version file") << QStringLiteral("UpdateInfor.inf");
}

void TestStartup::updaterNameMustBePlain()
{
    QFETCH(QString, name);
    publish(QStringLiteral("5.1"), QStringLiteral("2.1"), name);
    writeFile(m_root->path() + QStringLiteral("/kinotray/escape.bin"), "payload");
    General::Session session(makeSeams());
    General::Main(session);
    QVERIFY(m_started.isEmpty());
    QCOMPARE(m_ended, 0);
    QVERIFY(session.form1().isVisible());
    QVERIFY(!QFileInfo::exists(m_cache->path() + QStringLiteral("/escape.bin")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/veltaro-escape.bin")));
    QCOMPARE(QDir(staging()).entryList(QDir::Files),
             QStringList{QStringLiteral("UpdateInfor.inf")});
    QVERIFY(!m_server->requests().contains(QStringLiteral("/kinotray/escape.bin")));
}

void TestStartup::unvouchedUpdatesAreNotTaken_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("asks");
    QTest::newRow("no signature") << QStringLiteral("SHA256SUMS.minisig") << false;
    QTest::newRow("no SHA256SUMS") << QStringLiteral("SHA256SUMS") << false;
    QTest::newRow("UpdateInfor.inf changed after signing")
        << QStringLiteral("UpdateInfor.inf") << false;
    QTest::newRow("signed by another key") << QStringLiteral("key") << false;
    QTest::newRow("the new updater changed after signing") << QStringLiteral("update.new") << true;
    QTest::newRow("an older signed release: 5.9 offered to 5.10")
        << QStringLiteral("older") << false;
    QTest::newRow("endless UpdateInfor.inf") << QStringLiteral("endless UpdateInfor.inf") << false;
    QTest::newRow("endless SHA256SUMS") << QStringLiteral("endless SHA256SUMS") << false;
}

void TestStartup::unvouchedUpdatesAreNotTaken()
{
    QFETCH(QString, fault);
    QFETCH(bool, asks);
    publish(QStringLiteral("5.1"), QStringLiteral("2.1"));
    const QString update = m_root->path() + QStringLiteral("/kinotray/update/");
    if (fault == u"key") {
        const auto trusted = m_keys;
        m_keys = minisign::generateKeyPair();
        publish(QStringLiteral("5.1"), QStringLiteral("2.1"));
        m_keys = trusted;
    } else if (fault == u"older") {
        install(QStringLiteral("5.10"), QStringLiteral("2.0"));
        publish(QStringLiteral("5.9"), QStringLiteral("2.1"));
    } else if (fault.startsWith(u"endless ")) {
        QVERIFY(m_server->setEndless(QStringLiteral("kinotray/update/") + fault.mid(8)));
    } else if (fault.startsWith(u"SHA256SUMS")) {
        QVERIFY(QFile::remove(update + fault));
    } else {
        writeFile(update + fault, readFile(update + fault) + "\r\n");
    }
    General::Session session(makeSeams());
    General::Main(session);
    QCOMPARE(m_messages.size(), asks ? 1 : 0);
    QVERIFY(m_started.isEmpty());
    QCOMPARE(m_ended, 0);
    QVERIFY(session.form1().isVisible());
    QVERIFY(!QFileInfo::exists(staging() + QStringLiteral("/update.new")));
    if (!asks)
        QVERIFY(!QFileInfo::exists(staging()));
}

void TestStartup::environmentReplacesTheDraw_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<double>("draw");
    QTest::addColumn<bool>("updatesItself");
    QTest::addColumn<bool>("checks");
    QTest::newRow("always, draw misses") << QByteArray("always") << 0.0 << true << true;
    QTest::newRow("never, draw hits") << QByteArray("never") << 5.0 / 8 << true << false;
    QTest::newRow("unset, draw hits") << QByteArray() << 5.0 / 8 << true << true;
    QTest::newRow("unset, draw 7") << QByteArray() << 6.0 / 8 << true << false;
    QTest::newRow("unset, just below 6") << QByteArray() << 5.0 / 8 - 1e-9 << true << false;
    // The package manager's installation, writable by its user (root).
    QTest::newRow("always, package build") << QByteArray("always") << 5.0 / 8 << false << false;
}

void TestStartup::environmentReplacesTheDraw()
{
    QFETCH(QByteArray, mode);
    QFETCH(double, draw);
    QFETCH(bool, updatesItself);
    QFETCH(bool, checks);
    if (mode.isEmpty())
        qunsetenv("VELTARO_UPDATE_CHECK");
    else
        qputenv("VELTARO_UPDATE_CHECK", mode);
    publish(QStringLiteral("5.0"), QStringLiteral("2.0"));
    m_draw = draw;
    Seams seams = makeSeams();
    seams.updatesItself = updatesItself;
    General::Session session(std::move(seams));
    General::Main(session);
    QCOMPARE(m_server->requests().contains(QStringLiteral("/kinotray/update/UpdateInfor.inf")),
             checks);
    QCOMPARE(QFileInfo::exists(staging()), false);
}

void TestStartup::onlineLoadFetchesEachOnce()
{
    General::Session session(makeSeams());
    session.run().intOnline = 1;
    session.form1().show();
    QTRY_VERIFY_WITH_TIMEOUT(session.form1().frmInf() && session.form1().frmInf()->isVisible(),
                             20000);
    // The ticker texts go out alongside each other, so the server may see
    // either first; each of the four comes once.
    for (const char *path : {"/kinotray/", "/kinotray/adv/banner.html",
                             "/kinotray/marquee/Notice.txt", "/kinotray/marquee/Sponsor.txt"})
        QTRY_COMPARE(m_server->requests().count(path), 1);
    QVERIFY(session.form1().Picture1->isVisible());
}

void TestStartup::offlineLoadShowsLocalPage()
{
    General::Session session(makeSeams());
    // No portal to come back either.
    session.run().settings.portalRoot = QStringLiteral("http://127.0.0.1:9/kinotray/");
    session.form1().show();
    QSignalSpy loaded(session.form1().WebBrowser1, &BrowserView::documentComplete);
    QVERIFY(loaded.wait(20000));
    QCOMPARE(session.form1().WebBrowser1->url(),
             QUrl::fromLocalFile(m_install->path() + QStringLiteral("/404.html")));
    QVERIFY(!session.form1().Picture1->isVisible());
    QVERIFY(!session.form1().frmInf());
    QVERIFY(m_server->requests().isEmpty());
    // 15200 x 10000 twips centred on a 1024 x 768 screen.
    QCOMPARE(session.form1().size(), QSize(1013, 667));
    QCOMPARE(session.form1().pos(), QPoint(5, 51));
}

void TestStartup::tickerFetchWithoutAnswerStillShowsWindow()
{
    m_server->setClose(QStringLiteral("/kinotray/marquee/Notice.txt"));
    m_draw = 0.0;
    General::Session session(makeSeams());
    General::Main(session);
    QVERIFY(session.form1().isVisible());
    // The other text is fetched alongside; without both, no promotion window.
    QTRY_VERIFY(m_server->requests().contains(QStringLiteral("/kinotray/marquee/Sponsor.txt")));
    QVERIFY(!session.form1().frmInf());
}

void TestStartup::portalReturns_data()
{
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("fault"); // an HTTP status, or -1: closed without an answer
    QTest::addColumn<bool>("answers");
    QTest::newRow("offline start") << false << 0 << false;
    QTest::newRow("home page closed without an answer") << true << -1 << false;
    QTest::newRow("home page answers 500") << true << 500 << true;
}

void TestStartup::portalReturns()
{
    QFETCH(bool, online);
    QFETCH(int, fault);
    QFETCH(bool, answers);
    const QString homePath = QStringLiteral("kinotray/");
    QVERIFY(fault == 0 || (fault < 0 ? m_server->setClose(homePath)
                                     : m_server->setStatus(homePath, fault)));
    // The waits between the watch's probes are this clock's.
    ManualClock clock;
    Seams seams = makeSeams();
    seams.clock = &clock;
    General::Session session(seams);
    session.run().intOnline = online ? 1 : 0;
    Form1 &form = session.form1();
    form.show();
    const QUrl home(m_server->url(homePath));
    if (answers) {
        // An error page of the portal's own is a page like any other.
        QSignalSpy loaded(form.WebBrowser1, &BrowserView::documentComplete);
        QVERIFY(loaded.wait(20000));
        QCOMPARE(form.WebBrowser1->url(), home);
        QVERIFY(!form.portalWatch().isWatching());
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(form.WebBrowser1->url(),
                              QUrl::fromLocalFile(m_install->path() + QStringLiteral("/404.html")),
                              20000);
    QVERIFY(form.portalWatch().isWatching());
    QVERIFY(m_server->reset());
    // Back once the first wait is over, without a click: the page, the
    // banner, both texts and the promotion window.
    clock.advance(PortalWatch::firstWait.count());
    QTRY_COMPARE_WITH_TIMEOUT(form.WebBrowser1->url(), home, 20000);
    QCOMPARE(session.run().intOnline, qint16(1));
    QTRY_VERIFY(form.frmInf() && form.frmInf()->isVisible());
    QVERIFY(form.Picture1->isVisible());
    QCOMPARE(form.labNotice->caption(), QStringLiteral("新闻"));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
