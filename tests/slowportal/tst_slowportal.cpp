// A portal that answers slowly: the tickers rotate through the published
// items once their files are in; the promotion window waits for both, and for
// the portal page up to its limit.
#include "gbk.h"
#include "mainwindow/form1.h"
#include "portalserver.h"
#include "startup/general.h"
#include "tickers/tickers.h"

#include <QTemporaryDir>
#include <QtTest>

class TestSlowPortal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tickersRotateAfterSlowLoad_data();
    void tickersRotateAfterSlowLoad();

private:
    QTemporaryDir m_runtime;
    QTemporaryDir m_install;
};

namespace
{

// Item index of a ticker file of the demo portal, read straight from disk.
QString publishedCaption(const QString &file, qint16 index)
{
    QFile source(PortalServer::demoPortalRoot() + QStringLiteral("/kinotray/marquee/") + file);
    if (!source.open(QIODevice::ReadOnly))
        return QString();
    const auto item = tickers::item(fromGbk(source.readAll()), index);
    return item ? item->caption : QString();
}

} // namespace

void TestSlowPortal::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    QVERIFY(m_install.isValid());
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
}

void TestSlowPortal::tickersRotateAfterSlowLoad_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("pageDelayMs");
    // Longer than a rotation interval, so ticks queue up during the load.
    QTest::newRow("each ticker file 4 s late") << 4000 << 0;
    QTest::newRow("each ticker file 1 s late") << 1000 << 0;
    // The promotion window waits for a page that comes within its limit.
    QTest::newRow("home page 1 s late") << 0 << 1000;
    QTest::newRow("home page 6 s late") << 0 << 6000;
}

void TestSlowPortal::tickersRotateAfterSlowLoad()
{
    QFETCH(int, delayMs);
    QFETCH(int, pageDelayMs);
    PortalServer server(PortalServer::demoPortalRoot());
    QVERIFY(server.isRunning());
    QVERIFY(server.setDelay(QStringLiteral("kinotray/marquee/Notice.txt"), delayMs));
    QVERIFY(server.setDelay(QStringLiteral("kinotray/marquee/Sponsor.txt"), delayMs));
    QVERIFY(server.setDelay(QStringLiteral("kinotray/"), pageDelayMs));
    Run run(Seams::system());
    run.settings.portalRoot = server.url(QStringLiteral("kinotray/"));
    Seams &seams = run.seams;
    seams.installFolder = m_install.path();
    seams.message = [](QWidget *, const QString &text, const QString &, QMessageBox::Icon,
                       QMessageBox::StandardButtons) {
        qWarning("unexpected message: %s", qPrintable(text));
        return QMessageBox::Ok;
    };
    seams.endProcess = [] { qWarning("process end requested"); };
    run.intOnline = 1;

    Form1 form(run);
    form.Form_Load();
    form.show();
    // The texts arrive in the background; the promotion window waits for both.
    QTRY_VERIFY_WITH_TIMEOUT(form.frmInf(), delayMs + 10000);
    QCOMPARE(form.WebBrowser1->hasLoaded(), pageDelayMs < Form1::promotionWaitMs);

    const QString notice0 = publishedCaption(QStringLiteral("Notice.txt"), 0);
    const QString notice1 = publishedCaption(QStringLiteral("Notice.txt"), 1);
    const QString sponsor0 = publishedCaption(QStringLiteral("Sponsor.txt"), 0);
    const QString sponsor1 = publishedCaption(QStringLiteral("Sponsor.txt"), 1);
    QVERIFY(!notice1.isEmpty() && notice0 != notice1);
    QVERIFY(!sponsor1.isEmpty() && sponsor0 != sponsor1);

    QCOMPARE(form.labNotice->caption(), notice0);
    QCOMPARE(form.labSponsor->caption(), sponsor0);
    // Ticks that piled up during the load show item 0 again at most; the
    // rotation then moves on every 3 s.
    QTRY_COMPARE_WITH_TIMEOUT(form.labNotice->caption(), notice1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(form.labSponsor->caption(), sponsor1, 4000);
}

QTEST_MAIN(TestSlowPortal)
#include "tst_slowportal.moc"
