// The promotion window: its make-up, the slide-in on a fake screen, closing
// while it rises, and staying hidden once the start-up check hid it.
#include "forms/twips.h"
#include "manualclock.h"
#include "portalserver.h"
#include "tickers/frminf.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
// The window rises one step every 20 ms.
constexpr int kSlideMs = 20;
} // namespace

class TestFrmInf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void makeUp();
    void loadNavigatesToTheAdvert();
    void slide_data();
    void slide();
    void closeWhileRising();
    void hiddenWindowStaysHidden();

private:
    FrmInf *create();
    // Moves the clock on tick by tick to the end of the slide, each tick
    // checked against the rule; returns the count.
    int runSlide(FrmInf *window);

    QTemporaryDir m_root;
    std::unique_ptr<PortalServer> m_server;
    std::unique_ptr<QWidget> m_owner;
    ManualClock m_clock;
    Run m_run{Seams::system()};
    Seams &m_seams = m_run.seams;
    QRect m_screen; // the work area, in twips
};

void TestFrmInf::initTestCase()
{
    QDir(m_root.path()).mkpath(QStringLiteral("kinotray/adv"));
    QFile page(m_root.filePath(QStringLiteral("kinotray/adv/pop_ads.html")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html><body>ad</body></html>");
    page.close();
    m_server = std::make_unique<PortalServer>(m_root.path());
    QVERIFY(m_server->isRunning());
    m_run.settings.portalRoot = m_server->url(QStringLiteral("kinotray/"));
}

void TestFrmInf::cleanupTestCase()
{
    m_server.reset();
}

void TestFrmInf::init()
{
    m_screen = QRect(0, 0, 15360, 11520);
    m_seams = Seams::system();
    m_seams.screenAreaTwips = [this] { return m_screen; };
    m_seams.clock = &m_clock;
    m_owner = std::make_unique<QWidget>();
}

void TestFrmInf::cleanup()
{
    m_owner.reset();
}

FrmInf *TestFrmInf::create()
{
    return new FrmInf(m_owner.get(), m_run);
}

int TestFrmInf::runSlide(FrmInf *window)
{
    int ticks = 0;
    while (window->Timer1->interval() != 0 && ticks < 1000) {
        const int offset = window->intSlideOffset;
        m_clock.advance(kSlideMs - 1);
        if (window->intSlideOffset != offset)
            return -1;
        m_clock.advance(1);
        ++ticks;
        if (window->topTwips() != m_screen.bottom() + 1 - offset)
            return -1;
        if (window->intSlideOffset != offset + 100)
            return -1;
    }
    return ticks;
}

void TestFrmInf::makeUp()
{
    QPointer<FrmInf> window = create();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    QVERIFY(window->isWindow());
    QCOMPARE(window->parentWidget(), m_owner.get());
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    // Owned: the window system keeps it above its owner.
    QVERIFY(window->windowHandle());
    QCOMPARE(window->windowHandle()->transientParent(), m_owner->windowHandle());
    QVERIFY(!window->isModal());
    QCOMPARE(window->size(), QSize(300, 250));

    QVERIFY(!window->img->picture().isNull());
    QCOMPARE(window->img->geometry(), QRect(260, 0, 40, 14));
    QCOMPARE(window->img->twipsRect(), QRect(3906, 0, 600, 210));
    QCOMPARE(window->Picture1->geometry(), QRect(0, 0, 345, 281));
    QCOMPARE(window->WebBrowser1->parentWidget(), window->Picture1);
    QCOMPARE(window->WebBrowser1->geometry(), QRect(-12, -17, 393, 305));
    QCOMPARE(window->WebBrowser1->toolTip(), QStringLiteral("支持我们的发展，请点击广告"));
    // The close picture lies over the overhanging box.
    QCOMPARE(window->childAt(270, 5), window->img);
    QCOMPARE(window->Timer1->interval(), 20);
    delete window;
}

void TestFrmInf::loadNavigatesToTheAdvert()
{
    m_server->clearLog();
    QPointer<FrmInf> window = create();
    QTRY_VERIFY(m_server->requests().contains(QStringLiteral("/kinotray/adv/pop_ads.html")));
    delete window;
}

void TestFrmInf::slide_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<int>("windowHeight");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<QPoint>("start");
    QTest::addColumn<QPoint>("first");
    QTest::addColumn<QPoint>("last");

    QTest::newRow("1024x768, designed height")
        << QRect(0, 0, 15360, 11520) << 3750 << 44 << QPoint(10860, 11520) << QPoint(10760, 11520)
        << QPoint(10760, 7220);
    // Height + 500 lands exactly on an offset: that tick is the last.
    QTest::newRow("1024x768, height 3600")
        << QRect(0, 0, 15360, 11520) << 3600 << 42 << QPoint(10860, 11520) << QPoint(10760, 11520)
        << QPoint(10760, 7420);
    QTest::newRow("1024x768, height 3000")
        << QRect(0, 0, 15360, 11520) << 3000 << 36 << QPoint(10860, 11520) << QPoint(10760, 11520)
        << QPoint(10760, 8020);
    QTest::newRow("1024x768, height 4500")
        << QRect(0, 0, 15360, 11520) << 4500 << 51 << QPoint(10860, 11520) << QPoint(10760, 11520)
        << QPoint(10760, 6520);
    QTest::newRow("1280x1024, designed height")
        << QRect(0, 0, 19200, 15360) << 3750 << 44 << QPoint(14700, 15360) << QPoint(14600, 15360)
        << QPoint(14600, 11060);
    // The work area of a 1366x768 primary right of a 1920x1080 monitor, less
    // a 30-pixel panel at its bottom: the corner is the area's own.
    QTest::newRow("second monitor with a panel")
        << QRect(28800, 0, 20490, 11070) << 3750 << 44 << QPoint(44790, 11070)
        << QPoint(44690, 11070) << QPoint(44690, 6770);
}

void TestFrmInf::slide()
{
    QFETCH(QRect, screen);
    QFETCH(int, windowHeight);
    QFETCH(int, ticks);
    QFETCH(QPoint, start);
    QFETCH(QPoint, first);
    QFETCH(QPoint, last);

    m_screen = screen;
    QPointer<FrmInf> window = create();
    // Shown without running the event loop; the clock moves only here.
    window->show();
    const auto position = [&] { return QPoint(window->leftTwips(), window->topTwips()); };
    const auto inPixels = [](QPoint twips) {
        return QPoint(forms::twipsToPixels(twips.x()), forms::twipsToPixels(twips.y()));
    };

    QCOMPARE(position(), start);
    QCOMPARE(window->pos(), inPixels(start));
    QCOMPARE(window->Timer1->interval(), 20);
    // The stop test reads the window's height as it is at each tick.
    window->resize(window->width(), forms::twipsToPixels(windowHeight));

    m_clock.advance(kSlideMs);
    QCOMPARE(position(), first);
    QCOMPARE(window->pos(), inPixels(first));
    QCOMPARE(window->Timer1->interval(), 20);

    QCOMPARE(runSlide(window) + 1, ticks);
    QCOMPARE(position(), last);
    QCOMPARE(window->pos(), inPixels(last));
    QCOMPARE(window->Timer1->interval(), 0);
    QVERIFY(window->isVisible());
    delete window;
}

void TestFrmInf::closeWhileRising()
{
    QPointer<FrmInf> window = create();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    int ticks = 0;
    connect(window->Timer1, &forms::Timer::timer, this, [&] { ++ticks; });
    m_clock.advance(3 * kSlideMs);
    QCOMPARE(ticks, 3);

    QTest::mouseClick(window->img, Qt::LeftButton);
    // Gone from the screen at once, and not one more tick before it is destroyed.
    QVERIFY(window && !window->isVisible());
    m_clock.advance(10 * kSlideMs);
    QCOMPARE(ticks, 3);
    QTRY_VERIFY(window.isNull());
}

void TestFrmInf::hiddenWindowStaysHidden()
{
    // The start-up check shows the window before its owner and hides it
    // again before asking; the owner appears only afterwards.
    QPointer<FrmInf> window = create();
    window->show();
    m_clock.advance(kSlideMs);
    window->hide();

    QVERIFY(runSlide(window) > 0);
    QVERIFY(!window->isVisible());
    m_owner->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_owner.get()));
    // What the owner's appearance set off has run once a zero timer after it has.
    bool settled = false;
    QTimer::singleShot(0, this, [&] { settled = true; });
    QTRY_VERIFY(settled);
    QVERIFY(!window->isVisible());
    delete window;
}

QTEST_MAIN(TestFrmInf)
#include "tst_frminf.moc"
