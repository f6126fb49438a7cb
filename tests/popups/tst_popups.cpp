// Pop-ups of the portal view end in hidden sinks, and the page's context menu
// is the program's own: driven with real pages from a loopback portal.
#include "manualclock.h"
#include "pagescript.h"
#include "testfiles.h"
#include "mainwindow/form1.h"
#include "mainwindow/form2.h"
#include "mainwindow/p.h"
#include "portalserver.h"
#include "startup/general.h"

#include <QAction>
#include <QDirIterator>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace
{

constexpr int kLoadTimeout = 20000;

// A page that takes mouse input everywhere and counts left clicks.
QByteArray page(const QByteArray &title, const QByteArray &script = {})
{
    return "<html><head><title>" + title +
           "</title><link rel='icon' href='data:,'></head>"
           "<body style='margin:0'><div style='width:100%;height:600px'>" +
           title +
           "</div><script>var clicks = 0;"
           "document.addEventListener('click', function () { ++clicks; });" +
           script + "</script></body></html>";
}

QList<Form2 *> sinks()
{
    QList<Form2 *> found;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *sink = qobject_cast<Form2 *>(widget))
            found << sink;
    }
    return found;
}

// Counts every window that is shown, however briefly.
class ShowCounter : public QObject
{
public:
    ShowCounter() { qApp->installEventFilter(this); }
    ~ShowCounter() override { qApp->removeEventFilter(this); }
    QStringList shown;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->isWindow())
            shown << QString::fromLatin1(watched->metaObject()->className());
        return false;
    }
};

} // namespace

class TestPopups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void popupsEndInHiddenSinks_data();
    void popupsEndInHiddenSinks();
    void otherViewsAreNotRouted_data();
    void otherViewsAreNotRouted();
    void floodIsBoundedAndTimesOut();
    void menuItems();
    void menuCommands_data();
    void menuCommands();
    void stopEndsSlowLoad();
    void rightClickShowsOwnMenu_data();
    void rightClickShowsOwnMenu();

private:
    QString url(const QString &path) const { return m_server->url("kinotray/" + path); }
    void load(BrowserView *view, const QString &path);
    int requestsOf(const QString &path) const
    {
        return int(m_server->requests().count("/kinotray/" + path));
    }
    QAction *item(const QString &name) const;
    // Pops the page's menu up as a right-click does and dismisses it.
    bool dismissMenu();
    struct MenuSeen {
        QMenu *menu = nullptr;
        QPoint at;
        QPoint clickedAt;
    };
    // Right-clicks the page and picks the item with that caption, or
    // dismisses the menu.
    MenuSeen rightClick(const QString &choice);

    QTemporaryDir m_root;
    QTemporaryDir m_install;
    QTemporaryDir m_runtime;
    std::unique_ptr<PortalServer> m_server;
    Run m_run{Seams::system()};
    Seams &m_seams = m_run.seams;
    QStringList m_messages;
    QStringList m_opened;
    // The sinks' time limit runs on it; nothing else here does.
    ManualClock m_clock;
    std::unique_ptr<Form1> m_form;
};

void TestPopups::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
    const QDir demo(PortalServer::demoPortalRoot());
    QDirIterator files(demo.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString from = files.next();
        QFile source(from);
        QVERIFY(source.open(QIODevice::ReadOnly));
        writeFile(m_root.filePath(demo.relativeFilePath(from)), source.readAll());
    }
    const QString test = m_root.filePath(QStringLiteral("kinotray/test/"));
    writeFile(test + "a.html", page("a"));
    writeFile(test + "b.html", page("b"));
    writeFile(test + "c.html", page("c"));
    writeFile(test + "slow.html", page("slow"));
    // Served dripping and without end: its document never completes.
    writeFile(test + "never.html", "<html><body>" + QByteArray(8192, 'x'));
    writeFile(test + "framed.html", page("framed", "") + "<iframe src='a.html'></iframe>");
    // Loaded in a sink, this page asks for a pop-up of its own at once.
    writeFile(test + "nested.html", page("nested", "window.open('../popup-target.html?n=9');"));
    writeFile(m_install.filePath(QStringLiteral("404.html")), page("offline"));
    m_server = std::make_unique<PortalServer>(m_root.path());
    QVERIFY(m_server->isRunning());
    m_run.settings.portalRoot = url(QString());

    m_seams = Seams::system();
    m_seams.installFolder = m_install.path();
    m_seams.message = [this](QWidget *, const QString &text, const QString &, QMessageBox::Icon,
                             QMessageBox::StandardButtons) {
        m_messages << text;
        return QMessageBox::Ok;
    };
    m_seams.openLink = [this](const QString &link) { m_opened << link; };
    m_seams.clock = &m_clock;
}

void TestPopups::init()
{
    m_run.intOnline = 1;
    m_messages.clear();
    m_opened.clear();
    m_server->reset();
    m_form = std::make_unique<Form1>(m_run);
    m_form->resize(forms::twipsToPixels(15200), forms::twipsToPixels(10000));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_server->clearLog();
}

void TestPopups::cleanup()
{
    m_form.reset();
    QTRY_VERIFY_WITH_TIMEOUT(sinks().isEmpty(), kLoadTimeout);
}

void TestPopups::load(BrowserView *view, const QString &path)
{
    QSignalSpy complete(view, &BrowserView::documentComplete);
    view->navigate(url(path));
    QVERIFY2(complete.wait(kLoadTimeout), qPrintable(path));
    QCOMPARE(view->url(), QUrl(url(path)));
}

QAction *TestPopups::item(const QString &name) const
{
    p *holder = m_form->findChild<p *>();
    if (!holder)
        return nullptr;
    const QHash<QString, QAction *> items = {
        {"ht", holder->ht}, {"qj", holder->qj}, {"sq", holder->sq}, {"stop1", holder->stop1}};
    return items.value(name);
}

bool TestPopups::dismissMenu()
{
    QTimer dismiss;
    connect(&dismiss, &QTimer::timeout, this, [] {
        if (QWidget *menu = QApplication::activePopupWidget())
            menu->hide();
    });
    dismiss.start(10);
    return m_form->M_Dom_oncontextmenu(m_form->mapToGlobal(QPoint(300, 300)));
}

void TestPopups::popupsEndInHiddenSinks_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("popups");
    QTest::newRow("link aimed at a new window")
        << "popup.html"
        << "document.getElementById('blank-link').click()" << 1;
    QTest::newRow("script opens a window") << "popup.html"
                                           << "document.getElementById('open-button').click()" << 1;
    QTest::newRow("two in a row on load") << "popup.html?auto=1"
                                          << "" << 2;
}

void TestPopups::popupsEndInHiddenSinks()
{
    QFETCH(QString, address);
    QFETCH(QString, script);
    QFETCH(int, popups);
    ShowCounter counter;
    // The pop-up's page answers late, so every sink is seen while it waits.
    QVERIFY(m_server->setDelay(QStringLiteral("kinotray/popup-target.html"), 600));
    load(m_form->WebBrowser1, address);
    if (!script.isEmpty())
        evaluate(m_form->WebBrowser1, script);

    QTRY_COMPARE_WITH_TIMEOUT(sinks().size(), popups, kLoadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(requestsOf(QStringLiteral("popup-target.html")), popups,
                              kLoadTimeout);
    // Still waiting for their page: nothing before it counts as loaded.
    QCOMPARE(sinks().size(), popups);
    for (Form2 *sink : sinks())
        QVERIFY(!sink->isVisible() && !sink->isUnloading());
    QTRY_VERIFY_WITH_TIMEOUT(sinks().isEmpty(), kLoadTimeout);
    QCOMPARE(requestsOf(QStringLiteral("popup-target.html")), popups);
    QCOMPARE(m_form->WebBrowser1->url(), QUrl(url(address)));
    QVERIFY2(counter.shown.isEmpty(), qPrintable(counter.shown.join(u',')));
}

void TestPopups::otherViewsAreNotRouted_data()
{
    QTest::addColumn<bool>("fromBanner");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("sinkPage");
    QTest::newRow("banner view, to the desktop") << true
                                                 << "window.open('../popup-target.html?n=7')"
                                                 << "";
    QTest::newRow("a sink's own pop-up") << false << "window.open('nested.html')"
                                         << "test/nested.html";
}

void TestPopups::otherViewsAreNotRouted()
{
    QFETCH(bool, fromBanner);
    QFETCH(QString, script);
    QFETCH(QString, sinkPage);
    ShowCounter counter;
    BrowserView *view = fromBanner ? m_form->WebBrowser2 : m_form->WebBrowser1;
    load(view, QStringLiteral("test/a.html"));
    evaluate(view, script);
    if (!sinkPage.isEmpty())
        QTRY_COMPARE_WITH_TIMEOUT(requestsOf(sinkPage), 1, kLoadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(
        m_opened, fromBanner ? QStringList{url("popup-target.html?n=7")} : QStringList(),
        kLoadTimeout);
    // The sink goes with its first completed document, after its page has
    // asked for its own pop-up: a sink made for that one would still be here.
    QTRY_VERIFY_WITH_TIMEOUT(sinks().isEmpty(), kLoadTimeout);
    QCOMPARE(requestsOf(QStringLiteral("popup-target.html")), 0);
    QCOMPARE(view->url(), QUrl(url(QStringLiteral("test/a.html"))));
    QVERIFY2(counter.shown.isEmpty(), qPrintable(counter.shown.join(u',')));
}

void TestPopups::menuItems()
{
    QVERIFY(!m_form->findChild<p *>());
    load(m_form->WebBrowser1, QStringLiteral("test/a.html"));
    // The holder comes with the first menu and stays.
    QCOMPARE(dismissMenu(), false);
    QCOMPARE(dismissMenu(), false);
    const QList<p *> holders = m_form->findChildren<p *>();
    QCOMPARE(holders.size(), 1);
    QPointer<QMenu> menu = holders.first()->liu;
    QStringList captions;
    for (QAction *action : menu->actions())
        captions << action->text();
    QCOMPARE(captions, QStringList({"后退", "前进", "刷新", "停止"}));
    // Pop-ups are placed against their parent window (Wayland), and go with it.
    QCOMPARE(menu->parentWidget(), m_form.get());
    m_form.reset();
    QVERIFY(!menu);
}

void TestPopups::menuCommands_data()
{
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("finalPage");
    QTest::addColumn<bool>("lastLoads");
    QTest::newRow("back") << QStringList{"a", "b"} << QStringList{"ht"} << "a" << true;
    QTest::newRow("back, then forward")
        << QStringList{"a", "b"} << QStringList{"ht", "qj"} << "b" << true;
    QTest::newRow("back twice over three pages")
        << QStringList{"a", "b", "c"} << QStringList{"ht", "ht"} << "a" << true;
    QTest::newRow("back on the first page")
        << QStringList{"a"} << QStringList{"ht"} << "a" << false;
    QTest::newRow("back past the first page")
        << QStringList{"a", "b"} << QStringList{"ht", "ht"} << "a" << false;
    QTest::newRow("forward on the last page")
        << QStringList{"a", "b"} << QStringList{"qj"} << "b" << false;
    QTest::newRow("forward past the last page")
        << QStringList{"a", "b"} << QStringList{"ht", "qj", "qj"} << "b" << false;
    QTest::newRow("refresh") << QStringList{"a", "b"} << QStringList{"sq"} << "b" << true;
    QTest::newRow("stop with nothing loading")
        << QStringList{"a"} << QStringList{"stop1"} << "a" << false;
}

void TestPopups::menuCommands()
{
    QFETCH(QStringList, pages);
    QFETCH(QStringList, commands);
    QFETCH(QString, finalPage);
    QFETCH(bool, lastLoads);
    for (const QString &name : pages)
        load(m_form->WebBrowser1, "test/" + name + ".html");
    dismissMenu();
    ShowCounter counter;
    QSignalSpy complete(m_form->WebBrowser1, &BrowserView::documentComplete);
    QSignalSpy started(m_form->WebBrowser1, &QWebEngineView::loadStarted);
    m_server->clearLog();

    for (int i = 0; i < commands.size(); ++i) {
        QAction *action = item(commands.at(i));
        QVERIFY(action);
        complete.clear();
        started.clear();
        action->trigger();
        if (i + 1 < commands.size() || lastLoads) {
            QVERIFY2(complete.wait(kLoadTimeout), qPrintable(commands.at(i)));
        } else {
            roundTrip(m_form->WebBrowser1);
            QVERIFY2(started.isEmpty() && complete.isEmpty(), qPrintable(commands.at(i)));
        }
    }
    const QString final = "test/" + finalPage + ".html";
    QCOMPARE(m_form->WebBrowser1->url(), QUrl(url(final)));
    QCOMPARE(evaluate(m_form->WebBrowser1, "document.title").toString(), finalPage);
    if (commands.last() == QLatin1String("sq"))
        QCOMPARE(m_server->requests(), QStringList{"/kinotray/" + final});
    QVERIFY(m_messages.isEmpty());
    QVERIFY2(counter.shown.isEmpty(), qPrintable(counter.shown.join(u',')));
}

void TestPopups::stopEndsSlowLoad()
{
    load(m_form->WebBrowser1, QStringLiteral("test/a.html"));
    dismissMenu();
    QVERIFY(m_server->setDelay(QStringLiteral("kinotray/test/slow.html"), 2000));
    QSignalSpy complete(m_form->WebBrowser1, &BrowserView::documentComplete);
    m_form->WebBrowser1->navigate(url(QStringLiteral("test/slow.html")));
    QTRY_COMPARE_WITH_TIMEOUT(requestsOf(QStringLiteral("test/slow.html")), 1, kLoadTimeout);
    QVERIFY(complete.isEmpty());
    item(QStringLiteral("stop1"))->trigger();
    // The load ends now, not when the page would have come.
    QVERIFY(complete.wait(1000));
    // A second request for the page, made after the first, is answered after
    // it: by then the stopped page would have come.
    evaluate(m_form->WebBrowser1,
             "fetch('slow.html').then(function () { window.after = 1; }); 0");
    QTRY_COMPARE_WITH_TIMEOUT(requestsOf(QStringLiteral("test/slow.html")), 2, kLoadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(evaluate(m_form->WebBrowser1, "window.after === 1").toBool(),
                             kLoadTimeout);
    QVERIFY(evaluate(m_form->WebBrowser1, "document.title").toString() != QLatin1String("slow"));
}

void TestPopups::rightClickShowsOwnMenu_data()
{
    QTest::addColumn<QString>("lastPage");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("finalPage");
    QTest::newRow("dismissed") << "b"
                               << ""
                               << "b";
    QTest::newRow("back chosen") << "b"
                                 << "后退"
                                 << "a";
    QTest::newRow("forward chosen on the last page") << "b"
                                                     << "前进"
                                                     << "b";
    // The frame completes after its page: the menu still serves the page.
    QTest::newRow("back chosen in a framed page") << "framed"
                                                  << "后退"
                                                  << "a";
}

void TestPopups::rightClickShowsOwnMenu()
{
    QFETCH(QString, lastPage);
    QFETCH(QString, choice);
    QFETCH(QString, finalPage);
    load(m_form->WebBrowser1, QStringLiteral("test/a.html"));
    m_server->clearLog();
    load(m_form->WebBrowser1, "test/" + lastPage + ".html");
    if (lastPage == QLatin1String("framed"))
        QTRY_COMPARE_WITH_TIMEOUT(requestsOf(QStringLiteral("test/a.html")), 1, kLoadTimeout);
    QSignalSpy complete(m_form->WebBrowser1, &BrowserView::documentComplete);

    const MenuSeen first = rightClick(choice);
    QVERIFY(first.menu);
    QCOMPARE(first.menu, m_form->findChild<p *>()->liu);
    QCOMPARE(first.at, first.clickedAt);
    if (finalPage != lastPage) {
        QTRY_VERIFY_WITH_TIMEOUT(!complete.isEmpty(), kLoadTimeout);
    } else {
        roundTrip(m_form->WebBrowser1);
        QVERIFY(complete.isEmpty());
    }
    const QUrl final(url("test/" + finalPage + ".html"));
    QCOMPARE(m_form->WebBrowser1->url(), final);
    QCOMPARE(m_form->M_Dom, final);

    // The holder and its menu are made once and kept.
    const MenuSeen second = rightClick(QString());
    QCOMPARE(second.menu, first.menu);
    QCOMPARE(m_form->findChildren<p *>().size(), 1);
    QCOMPARE(m_form->WebBrowser1->url(), final);
    // Neither the view's own menu nor any message came up.
    roundTrip(m_form->WebBrowser1);
    for (QWidget *widget : QApplication::topLevelWidgets())
        QVERIFY2(!widget->isVisible() || widget == m_form.get(), widget->metaObject()->className());
    QVERIFY(m_messages.isEmpty());
}

TestPopups::MenuSeen TestPopups::rightClick(const QString &choice)
{
    MenuSeen seen;
    QWidget *input = m_form->WebBrowser1->focusProxy();
    if (!input)
        return seen;
    const QPoint at(120, 80);
    // Knock with the left button until the page takes mouse input at all.
    if (!QTest::qWaitFor(
            [&] {
                QTest::mouseClick(input, Qt::LeftButton, {}, at);
                return evaluate(m_form->WebBrowser1, "clicks").toInt() > 0;
            },
            kLoadTimeout))
        return seen;

    // Answers the modal menu from inside its own loop.
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        answer.stop();
        seen.menu = menu;
        seen.at = menu->pos();
        for (QAction *action : menu->actions()) {
            if (action->text() == choice) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        }
        menu->hide();
    });
    answer.start(20);
    seen.clickedAt = input->mapToGlobal(at);
    QTest::mouseClick(input, Qt::RightButton, {}, at);
    if (!QTest::qWaitFor([&] { return seen.menu && !QApplication::activePopupWidget(); },
                         kLoadTimeout))
        seen.menu = nullptr;
    return seen;
}

void TestPopups::floodIsBoundedAndTimesOut()
{
    QVERIFY(m_server->setDrip(QStringLiteral("kinotray/test/never.html"), 1000));
    QVERIFY(m_server->setEndless(QStringLiteral("kinotray/test/never.html")));
    load(m_form->WebBrowser1, QStringLiteral("test/a.html"));
    const auto live = [this] {
        QList<QPointer<Form2>> found;
        for (Form2 *sink : m_form->findChildren<Form2 *>(Qt::FindDirectChildrenOnly)) {
            if (!sink->isUnloading())
                found << sink;
        }
        return found;
    };
    // Each window.open waits for its sink: the loops outlast any wait for their value.
    const auto open = [this](int from, int to) {
        m_form->WebBrowser1->page()->runJavaScript(
            QStringLiteral("for (var i = %1; i < %2; ++i) window.open('never.html?' + i);")
                .arg(from)
                .arg(to));
    };
    open(0, 16);
    QTRY_COMPARE_WITH_TIMEOUT(live().size(), Form2::maxLoaded, kLoadTimeout);
    const QList<QPointer<Form2>> first = live();
    // The oldest go first.
    open(16, 20);
    QTRY_VERIFY_WITH_TIMEOUT(first.at(3).isNull() || first.at(3)->isUnloading(), kLoadTimeout);
    QCOMPARE(live().mid(0, 12), first.mid(4));
    QCOMPARE(live().size(), Form2::maxLoaded);

    // Counted on every pass of the event loop until the page has opened them all.
    int most = 0;
    QTimer count;
    connect(&count, &QTimer::timeout, this, [&] { most = qMax(most, int(live().size())); });
    count.start(0);
    m_form->WebBrowser1->page()->runJavaScript(
        "for (var i = 20; i < 300; ++i) window.open(['never.html?' + i, "
        "'javascript:void(0)', 'data:text/html,<p>' + i][i % 3]); document.title = 'flooded';");
    QTRY_COMPARE_WITH_TIMEOUT(m_form->WebBrowser1->title(), QStringLiteral("flooded"),
                              3 * kLoadTimeout);
    count.stop();
    QVERIFY2(most <= Form2::maxLoaded, qPrintable(QString::number(most)));

    // Those left waiting for a document that never comes go when their time is
    // up, not before.
    const QList<QPointer<Form2>> waiting = live();
    QVERIFY(!waiting.isEmpty());
    m_clock.advance(Form2::loadLimitMs - 1);
    QCOMPARE(live(), waiting);
    m_clock.advance(1);
    QVERIFY(live().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(sinks().isEmpty(), kLoadTimeout);
}

QTEST_MAIN(TestPopups)
#include "tst_popups.moc"
