#include "pagescript.h"
#include "testfiles.h"
#include "browser.h"
#include "error.h"
#include "portalserver.h"

#include <QApplication>
#include <QDialog>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace
{

constexpr int kLoadTimeout = 20000;

const struct {
    const char *name;
    const char *html;
} kPages[] = {
    {"index.html", "<html><head><title>index</title></head><body>"
                   "<a id='x' href='popup.html' target='_blank'>pop-up</a></body></html>"},
    {"two.html", "<html><head><title>two</title></head><body>two</body></html>"},
    {"three.html", "<html><head><title>three</title></head><body>three</body></html>"},
    {"popup.html", "<html><head><title>popup</title></head><body>popup</body></html>"},
    {"dialogs.html", "<html><body><script>alert('a'); var c = confirm('c');"
                     "var p = prompt('p', 'd'); document.title = 'done ' + c + ' ' + p;"
                     "</script></body></html>"},
    {"keys.html", "<html><body style='height:100%'><script>var keys = [];"
                  "document.addEventListener('keydown', function (e) {"
                  "keys.push((e.ctrlKey ? 'ctrl+' : '') + e.key.toLowerCase()); });"
                  "</script>keys</body></html>"},
    {"menu.html", "<html><body style='margin:0'><div style='width:400px;height:300px'>"
                  "right-click here</div><script>var clicks = 0;"
                  "document.addEventListener('click', function () { ++clicks; });"
                  "</script></body></html>"},
};

bool loadAndWait(BrowserView &view, const QString &address)
{
    QSignalSpy complete(&view, &BrowserView::documentComplete);
    view.navigate(address);
    return complete.wait(kLoadTimeout);
}

QList<QWidget *> visibleTopLevels(const char *className)
{
    QList<QWidget *> found;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->inherits(className))
            found << widget;
    }
    return found;
}

} // namespace

class TestBrowser : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void navigateLoadsAndCompletes_data();
    void navigateLoadsAndCompletes();
    void twipsGeometry();
    void newWindowGoesToHandlersView_data();
    void newWindowGoesToHandlersView();
    void historyMovesBackAndForward();
    void silentModeShowsNoDialogs_data();
    void silentModeShowsNoDialogs();
    void keyFilterSwallowsNewAndOpen_data();
    void keyFilterSwallowsNewAndOpen();
    void contextMenuHandler_data();
    void contextMenuHandler();

private:
    QTemporaryDir m_root;
    std::unique_ptr<PortalServer> m_server;
};

void TestBrowser::initTestCase()
{
    QVERIFY(m_root.isValid());
    for (const auto &page : kPages) {
        QFile file(m_root.filePath(QString::fromLatin1(page.name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(page.html);
    }
    m_server = std::make_unique<PortalServer>(m_root.path());
    QVERIFY(m_server->isRunning());
}

void TestBrowser::navigateLoadsAndCompletes_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("loadedUrl");
    QTest::addColumn<QString>("title");
    const QString two = m_root.filePath(QStringLiteral("two.html"));
    const QString served = m_server->url(QStringLiteral("two.html"));
    QTest::newRow("http") << served << served << "two";
    QTest::newRow("local path") << two << QUrl::fromLocalFile(two).toString() << "two";
    QTest::newRow("file url") << QUrl::fromLocalFile(two).toString()
                              << QUrl::fromLocalFile(two).toString() << "two";
    const QString data = QStringLiteral("data:text/html,<title>inline</title>");
    QTest::newRow("data url") << data << data << "inline";
}

void TestBrowser::navigateLoadsAndCompletes()
{
    QFETCH(QString, address);
    QFETCH(QString, loadedUrl);
    QFETCH(QString, title);
    BrowserView view;
    QSignalSpy complete(&view, &BrowserView::documentComplete);
    view.navigate(address);
    QVERIFY(complete.wait(kLoadTimeout));
    QCOMPARE(complete.last().at(0).toUrl(), QUrl(loadedUrl));
    QTRY_COMPARE_WITH_TIMEOUT(view.title(), title, kLoadTimeout);
    // Cookies and cache outlive the run, so a later start need not fetch again.
    QCOMPARE(view.page()->profile()->persistentCookiesPolicy(),
             QWebEngineProfile::AllowPersistentCookies);
    QVERIFY(view.page()->profile()->cachePath().startsWith(
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation)));
}

void TestBrowser::twipsGeometry()
{
    QWidget holder;
    BrowserView view(&holder);
    view.setTwipsRect(QRect(-190, -270, 11325, 3015));
    QCOMPARE(view.geometry(), QRect(-13, -18, 755, 201));
    QVERIFY_THROWS_EXCEPTION(Error, view.setHeightTwips(-80));
    QCOMPARE(view.heightTwips(), 3015);
    QCOMPARE(view.geometry(), QRect(-13, -18, 755, 201));
}

void TestBrowser::newWindowGoesToHandlersView_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<bool>("hasHandler");
    QTest::addColumn<bool>("handlerGivesView");
    const QString script = QStringLiteral("window.open('popup.html')");
    const QString link = QStringLiteral("document.getElementById('x').click()");
    QTest::newRow("script, routed") << script << true << true;
    QTest::newRow("link, routed") << link << true << true;
    QTest::newRow("script, no handler") << script << false << false;
    QTest::newRow("link, no handler") << link << false << false;
    QTest::newRow("script, handler declines") << script << true << false;
}

void TestBrowser::newWindowGoesToHandlersView()
{
    QFETCH(QString, trigger);
    QFETCH(bool, hasHandler);
    QFETCH(bool, handlerGivesView);
    BrowserView source;
    const QString index = m_server->url(QStringLiteral("index.html"));
    QVERIFY(loadAndWait(source, index));

    BrowserView target;
    QSignalSpy targetComplete(&target, &BrowserView::documentComplete);
    int asked = 0;
    if (hasHandler) {
        source.setNewWindowHandler([&]() -> BrowserView * {
            ++asked;
            return handlerGivesView ? &target : nullptr;
        });
    }
    m_server->clearLog();
    evaluate(&source, trigger);

    if (handlerGivesView) {
        QVERIFY(targetComplete.wait(kLoadTimeout));
        QCOMPARE(targetComplete.last().at(0).toUrl(), QUrl(m_server->url("popup.html")));
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(asked, hasHandler ? 1 : 0, kLoadTimeout);
        roundTrip(&source);
        QVERIFY(targetComplete.isEmpty());
        QVERIFY(!m_server->requests().contains(QStringLiteral("/popup.html")));
    }
    QCOMPARE(asked, hasHandler ? 1 : 0);
    QCOMPARE(source.url(), QUrl(index));
    QVERIFY(visibleTopLevels("QWebEngineView").isEmpty());
}

void TestBrowser::historyMovesBackAndForward()
{
    BrowserView empty;
    QVERIFY_THROWS_EXCEPTION(Error, empty.goBack());
    QVERIFY_THROWS_EXCEPTION(Error, empty.goForward());

    BrowserView view;
    const QString two = m_server->url(QStringLiteral("two.html"));
    const QString three = m_server->url(QStringLiteral("three.html"));
    QVERIFY(loadAndWait(view, two));
    QSignalSpy complete(&view, &BrowserView::documentComplete);
    QVERIFY_THROWS_EXCEPTION(Error, view.goBack());
    QVERIFY_THROWS_EXCEPTION(Error, view.goForward());
    roundTrip(&view);
    QVERIFY(complete.isEmpty());
    QCOMPARE(view.url(), QUrl(two));

    QVERIFY(loadAndWait(view, three));
    view.goBack();
    QVERIFY(complete.wait(kLoadTimeout));
    QCOMPARE(view.url(), QUrl(two));
    QVERIFY_THROWS_EXCEPTION(Error, view.goBack());

    view.goForward();
    QVERIFY(complete.wait(kLoadTimeout));
    QCOMPARE(view.url(), QUrl(three));
    QVERIFY_THROWS_EXCEPTION(Error, view.goForward());

    m_server->clearLog();
    view.refresh();
    QVERIFY(complete.wait(kLoadTimeout));
    QCOMPARE(view.url(), QUrl(three));
    QCOMPARE(m_server->requests(), QStringList{"/three.html"});
}

void TestBrowser::silentModeShowsNoDialogs_data()
{
    QTest::addColumn<bool>("silent");
    QTest::addColumn<int>("dialogs");
    QTest::newRow("silent") << true << 0;
    QTest::newRow("not silent") << false << 3;
}

void TestBrowser::silentModeShowsNoDialogs()
{
    QFETCH(bool, silent);
    QFETCH(int, dialogs);
    // Any dialog that shows up is counted and dismissed, so a failure cannot hang the run.
    int seen = 0;
    QTimer dismiss;
    connect(&dismiss, &QTimer::timeout, this, [&] {
        for (QWidget *dialog : visibleTopLevels("QDialog")) {
            ++seen;
            static_cast<QDialog *>(dialog)->reject();
        }
    });
    dismiss.start(50);

    BrowserView view;
    view.setSilent(silent);
    QVERIFY(loadAndWait(view, m_server->url(QStringLiteral("dialogs.html"))));
    QTRY_COMPARE_WITH_TIMEOUT(view.title(), QStringLiteral("done false null"), kLoadTimeout);
    QCOMPARE(seen, dialogs);
}

void TestBrowser::keyFilterSwallowsNewAndOpen_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("seen");
    QTest::addColumn<bool>("reachesPage");
    QTest::addColumn<bool>("attachBeforeLoad");
    for (bool before : {true, false}) {
        const char *when = before ? "attached before any page" : "attached after a page";
        QTest::addRow("ctrl+n, %s", when)
            << int(Qt::Key_N) << int(Qt::ControlModifier) << "ctrl+n" << false << before;
        QTest::addRow("ctrl+o, %s", when)
            << int(Qt::Key_O) << int(Qt::ControlModifier) << "ctrl+o" << false << before;
        QTest::addRow("ctrl+a, %s", when)
            << int(Qt::Key_A) << int(Qt::ControlModifier) << "ctrl+a" << true << before;
        QTest::addRow("plain n, %s", when) << int(Qt::Key_N) << 0 << "n" << true << before;
    }
}

void TestBrowser::keyFilterSwallowsNewAndOpen()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, seen);
    QFETCH(bool, reachesPage);
    QFETCH(bool, attachBeforeLoad);
    BrowserView view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    BrowserKeyFilter filter;
    if (attachBeforeLoad)
        filter.attach(&view);
    // A page from another site first: the view replaces its input widget when
    // the site changes, and the filter has to follow.
    QVERIFY(loadAndWait(view, m_root.filePath(QStringLiteral("keys.html"))));
    if (!attachBeforeLoad)
        filter.attach(&view);
    QVERIFY(loadAndWait(view, m_server->url(QStringLiteral("keys.html"))));
    QWidget *input = view.focusProxy();
    QVERIFY(input);
    input->setFocus();
    // The page takes keys only once its input handling is up: knock until it answers.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QTest::keyClick(input, Qt::Key_Z);
            return evaluate(&view, "keys").toStringList().contains("z");
        }(),
        kLoadTimeout);
    evaluate(&view, "keys = []");

    QTest::keyClick(input, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    // A plain key afterwards marks the point where every earlier key has arrived.
    QTest::keyClick(input, Qt::Key_X);
    QTRY_VERIFY_WITH_TIMEOUT(evaluate(&view, "keys").toStringList().contains("x"), kLoadTimeout);
    QCOMPARE(evaluate(&view, "keys").toStringList().contains(seen), reachesPage);
}

void TestBrowser::contextMenuHandler_data()
{
    QTest::addColumn<bool>("hasHandler");
    QTest::addColumn<bool>("handlerAllowsMenu");
    QTest::addColumn<bool>("menuShown");
    QTest::newRow("no handler") << false << false << true;
    QTest::newRow("handler lets the menu show") << true << true << true;
    QTest::newRow("handler cancels the menu") << true << false << false;
}

void TestBrowser::contextMenuHandler()
{
    QFETCH(bool, hasHandler);
    QFETCH(bool, handlerAllowsMenu);
    QFETCH(bool, menuShown);
    BrowserView view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QList<QPoint> calls;
    if (hasHandler) {
        view.setContextMenuHandler([&](const QPoint &globalPos) {
            calls << globalPos;
            return handlerAllowsMenu;
        });
    }
    QVERIFY(loadAndWait(view, m_server->url(QStringLiteral("menu.html"))));
    QWidget *input = view.focusProxy();
    QVERIFY(input);

    const QPoint at(120, 80);
    // Knock with the left button until the page takes mouse input at all.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QTest::mouseClick(input, Qt::LeftButton, {}, at);
            return evaluate(&view, "clicks").toInt() > 0;
        }(),
        kLoadTimeout);
    QTest::mouseClick(input, Qt::RightButton, {}, at);
    if (menuShown) {
        QTRY_VERIFY_WITH_TIMEOUT(!visibleTopLevels("QMenu").isEmpty(), kLoadTimeout);
        for (QWidget *menu : visibleTopLevels("QMenu"))
            menu->close();
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!calls.isEmpty(), kLoadTimeout);
        roundTrip(&view);
        QVERIFY(visibleTopLevels("QMenu").isEmpty());
    }
    QCOMPARE(calls.size(), hasHandler ? 1 : 0);
    if (hasHandler)
        QCOMPARE(calls.first(), input->mapToGlobal(at));
}

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
