// The main window and the promotion window as keyboard and screen-reader users
// meet them: what each control is called and does, where Tab goes, the keys.
#include "mainwindow/form1.h"
#include "portalserver.h"
#include "startup/general.h"
#include "testfiles.h"
#include "tickers/frminf.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineHistory>
#include <QtTest>
#include <memory>

namespace
{

constexpr int kLoadTimeout = 20000;

QAccessibleInterface *iface(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void described_data();
    void described();
    void pressAction_data();
    void pressAction();
    void keys_data();
    void keys();
    void pageKeys_data();
    void pageKeys();
    void focusMark_data();
    void focusMark();

private:
    QWidget *widget(const QString &name) const;
    void pressKeys(const QString &keys);
    bool happened(const QString &effect) const;
    // Until the main view has loaded the channel chosen by a tab.
    void choose(forms::Label *tab, const QString &path);

    QTemporaryDir m_root;
    QTemporaryDir m_runtime;
    std::unique_ptr<PortalServer> m_server;
    Run m_run{Seams::system()};
    Seams &m_seams = m_run.seams;
    int m_ends = 0;
    QStringList m_opened;
    std::unique_ptr<Form1> m_form;
};

void TestKeyboard::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
    // Each channel has a search field, as the portal's have, and a link.
    for (const char *channel : {"", "video/", "demand/", "live/", "app/", "guestbook/"})
        writeFile(m_root.filePath(QStringLiteral("kinotray/%1index.html").arg(channel)),
                  "<html><body><input id=q><a href=/kinotray/>home</a></body></html>");
    writeFile(m_root.filePath(QStringLiteral("kinotray/adv/pop_ads.html")), "<html>ad</html>");
    writeFile(m_root.filePath(QStringLiteral("kinotray/adv/banner.html")), "<html>banner</html>");
    // Looks like markup, and must be read as it is written.
    writeFile(m_root.filePath(QStringLiteral("kinotray/marquee/Notice.txt")),
              "<b>news</b> & more|http://example.com/n$$$");
    writeFile(m_root.filePath(QStringLiteral("kinotray/marquee/Sponsor.txt")),
              "sponsor|http://example.com/s$$$");
    m_server = std::make_unique<PortalServer>(m_root.path());
    QVERIFY(m_server->isRunning());
    m_run.settings.portalRoot = m_server->url(QStringLiteral("kinotray/"));
}

void TestKeyboard::init()
{
    m_run.intOnline = 1;
    m_ends = 0;
    m_opened.clear();
    m_seams = Seams::system();
    m_seams.endProcess = [this] { ++m_ends; };
    m_seams.openLink = [this](const QString &link) { m_opened << link; };
    m_form = std::make_unique<Form1>(m_run);
    QSignalSpy home(m_form->WebBrowser1, &QWebEngineView::loadFinished);
    m_form->Form_Load();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QTRY_VERIFY_WITH_TIMEOUT(m_form->frmInf(), kLoadTimeout);
    // The promotion window rises without taking the keyboard; the offscreen
    // platform activates every window it shows all the same.
    m_form->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), m_form.get());
    QTRY_VERIFY_WITH_TIMEOUT(!home.isEmpty(), kLoadTimeout);
    m_server->clearLog();
}

void TestKeyboard::cleanup()
{
    m_form.reset();
}

QWidget *TestKeyboard::widget(const QString &name) const
{
    if (name == QLatin1String("img"))
        return m_form->frmInf()->img;
    return m_form->findChild<QWidget *>(name);
}

// Keys like "Tab Tab Shift+Tab Ctrl+3", each to whatever has the focus then.
void TestKeyboard::pressKeys(const QString &keys)
{
    for (const QString &key : keys.split(u' ', Qt::SkipEmptyParts)) {
        const QKeySequence sequence(key);
        QWidget *to = QApplication::focusWidget() ? QApplication::focusWidget() : m_form.get();
        QTest::keyClick(to, Qt::Key(sequence[0].key()), sequence[0].keyboardModifiers());
        QTest::qWait(50);
    }
}

void TestKeyboard::choose(forms::Label *tab, const QString &path)
{
    QSignalSpy loaded(m_form->WebBrowser1, &QWebEngineView::loadFinished);
    emit tab->clicked();
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kLoadTimeout);
    QCOMPARE(m_form->WebBrowser1->url().path(), path);
}

// The effects a press or a key is expected to have.
bool TestKeyboard::happened(const QString &effect) const
{
    if (effect.startsWith(u'/'))
        return m_server->requests().contains(effect);
    if (effect.startsWith(QLatin1String("at ")))
        return m_form->WebBrowser1->url().path() == effect.mid(3);
    if (effect == QLatin1String("pinned"))
        return m_form->intTopmost == 1;
    if (effect == QLatin1String("minimised"))
        return m_form->windowState() & Qt::WindowMinimized;
    if (effect == QLatin1String("maximised"))
        return m_form->windowState() & Qt::WindowMaximized;
    if (effect == QLatin1String("ended"))
        return m_ends == 1;
    if (effect == QLatin1String("closed"))
        return !m_form->frmInf();
    if (effect == QLatin1String("opened"))
        return m_opened == QStringList{"http://example.com/n"};
    return false;
}

void TestKeyboard::described_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("states");
    QTest::addColumn<QString>("description");

    const auto row = [](const char *name, const char *before, const char *control, int role,
                        const char *accessibleName, const char *states = "",
                        const char *description = "") {
        QTest::newRow(name) << before << control << role << accessibleName << states << description;
    };
    using A = QAccessible;
    row("pin", "", "ImgTopKey", A::PushButton, "窗口置顶", "checkable");
    row("pin, pinned", "pin", "ImgTopKey", A::PushButton, "取消置顶", "checkable checked");
    row("maximise, maximised", "maximise", "Image11Key", A::PushButton, "向下还原");
    // The tooltip is read as the description where it says more than the name.
    row("home tab", "", "Label5", A::PageTab, "返回主页面", "selectable selected", "返回主页");
    row("home tab, another chosen", "Label3", "Label5", A::PageTab, "返回主页面", "selectable",
        "返回主页");
    row("chosen tab", "Label3", "Label3", A::PageTab, "视频点播", "selectable selected");
    // The tooltip is the same text as markup.
    row("news ticker", "", "labNotice", A::Link, "<b>news</b> & more");
}

// Names and states that follow the window's state; tests/e2e/access.sh reads
// every control through AT-SPI.
void TestKeyboard::described()
{
    QFETCH(QString, before);
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, states);
    QFETCH(QString, description);

    if (before == QLatin1String("pin"))
        QTest::mouseClick(m_form->ImgTop, Qt::LeftButton);
    else if (before == QLatin1String("maximise"))
        m_form->showMaximized();
    else if (!before.isEmpty())
        emit qobject_cast<forms::Label *>(widget(before))->clicked();

    QAccessibleInterface *node = iface(widget(control));
    QVERIFY(node);
    QCOMPARE(int(node->role()), role);
    QTRY_COMPARE(node->text(QAccessible::Name), name);
    QCOMPARE(node->text(QAccessible::Description), description);
    const QAccessible::State state = node->state();
    const QStringList flags = states.split(u' ', Qt::SkipEmptyParts);
    QCOMPARE(state.checkable, flags.contains(QLatin1String("checkable")));
    QCOMPARE(state.checked, flags.contains(QLatin1String("checked")));
    QCOMPARE(state.selectable, flags.contains(QLatin1String("selectable")));
    QCOMPARE(state.selected, flags.contains(QLatin1String("selected")));
    QVERIFY(!state.invisible);
}

void TestKeyboard::pressAction_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("effect");

    QTest::newRow("exit") << "Image9Key" << QString("ended");
    QTest::newRow("tab") << "Label7" << QString("/kinotray/guestbook/");
    QTest::newRow("close") << "img" << QString("closed");
}

// The press action does what a click does, once the caller has its answer.
void TestKeyboard::pressAction()
{
    QFETCH(QString, control);
    QFETCH(QString, effect);

    iface(widget(control))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(!happened(effect));
    QTRY_VERIFY_WITH_TIMEOUT(happened(effect), kLoadTimeout);
}

void TestKeyboard::keys_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("effect");

    const auto row = [](const char *name, const char *from, const char *keys, const char *focus,
                        const char *effect = "") {
        QTest::newRow(name) << from << keys << focus << effect;
    };
    row("Tab into the page", "Label7", "Tab", "WebBrowser1");
    row("the page hands Tab on", "Label7", "Tab Tab Tab", "labNotice");
    row("Shift+Tab back round", "ImgTopKey", "Shift+Tab", "labSponsor");
    row("Shift+Tab into the page", "labNotice", "Shift+Tab", "WebBrowser1");
    row("Right round the row", "Label7", "Right", "Label5");
    row("Left round the row", "Label5", "Left", "Label7");
    row("Left off the tabs does nothing", "labNotice", "Left", "labNotice");
    row("Enter on a tab", "Label3", "Return", "Label3", "/kinotray/demand/");
    row("Space on a tab", "ds", "Space", "ds", "/kinotray/live/");
    row("Enter on the pin", "ImgTopKey", "Return", "ImgTopKey", "pinned");
    row("Space on maximise", "Image11Key", "Space", "Image11Key", "maximised");
    row("Enter on exit", "Image9Key", "Return", "Image9Key", "ended");
    row("Enter on a ticker", "labNotice", "Return", "labNotice", "opened");
    row("Ctrl+5 from a button", "Image12Key", "Ctrl+5", "Image12Key", "/kinotray/app/");
    row("Ctrl+6 from the page", "WebBrowser1", "Ctrl+6", "WebBrowser1", "/kinotray/guestbook/");
    row("F5 from the page", "WebBrowser1", "F5", "WebBrowser1", "/kinotray/");
    row("Escape from the page", "WebBrowser1", "Escape", "WebBrowser1", "closed");
    row("Escape in the promotion window", "img", "Escape", "", "closed");
    row("Enter on its close button", "img", "Return", "", "closed");
}

void TestKeyboard::keys()
{
    QFETCH(QString, from);
    QFETCH(QString, keys);
    QFETCH(QString, focus);
    QFETCH(QString, effect);

    QWidget *start = widget(from);
    start->activateWindow();
    start->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(start->hasFocus() || start->isAncestorOf(QApplication::focusWidget()));
    pressKeys(keys);

    if (!focus.isEmpty()) {
        QWidget *expected = widget(focus);
        QTRY_VERIFY2(expected->hasFocus() || expected->isAncestorOf(QApplication::focusWidget()),
                     qPrintable(QApplication::focusWidget()
                                    ? QApplication::focusWidget()->objectName()
                                    : QStringLiteral("nothing")));
    }
    if (!effect.isEmpty())
        QTRY_VERIFY_WITH_TIMEOUT(happened(effect), kLoadTimeout);
}

void TestKeyboard::pageKeys_data()
{
    QTest::addColumn<bool>("inField");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("effect");

    // From the film channel, between the home page and video on demand.
    const auto row = [](const char *name, bool inField, const char *key, const char *effect) {
        QTest::newRow(name) << inField << key << effect;
    };
    // From the film channel, between the home page and video on demand.
    row("Alt+Left goes back", false, "Alt+Left", "at /kinotray/");
    row("Alt+Right goes forward", false, "Alt+Right", "at /kinotray/demand/");
    // A text field of the page keeps its keys, but for F5 and Escape.
    row("Alt+Right types", true, "Alt+Right", "");
    row("Ctrl+1 types", true, "Ctrl+1", "");
    row("F5 reloads", true, "F5", "/kinotray/video/");
    row("Escape closes the promotion window", true, "Escape", "closed");
}

void TestKeyboard::pageKeys()
{
    QFETCH(bool, inField);
    QFETCH(QString, key);
    QFETCH(QString, effect);

    choose(m_form->Label2, QStringLiteral("/kinotray/video/"));
    choose(m_form->Label3, QStringLiteral("/kinotray/demand/"));
    m_form->WebBrowser1->back();
    QTRY_VERIFY_WITH_TIMEOUT(happened("at /kinotray/video/"), kLoadTimeout);
    m_form->activateWindow();
    m_form->WebBrowser1->setFocus();
    if (inField) {
        // The address changes as the way back starts: the field is asked for
        // the focus until the page that has it is there.
        const auto fieldFocused = [this] {
            m_form->WebBrowser1->page()->runJavaScript(QStringLiteral("q.focus()"));
            const QWidget *focus = QApplication::focusWidget();
            return focus && focus->inputMethodQuery(Qt::ImEnabled).toBool();
        };
        QTRY_VERIFY_WITH_TIMEOUT(fieldFocused(), kLoadTimeout);
    }
    m_server->clearLog();
    pressKeys(key + QStringLiteral(" a"));

    if (!effect.isEmpty()) {
        QTRY_VERIFY_WITH_TIMEOUT(happened(effect), kLoadTimeout);
        return;
    }
    // Nothing else happens, and the field takes what is typed.
    // Shared: the page still answers the questions asked while waiting, or
    // drops them as it goes, after this function has returned.
    const auto typed = std::make_shared<bool>(false);
    QTRY_VERIFY_WITH_TIMEOUT((m_form->WebBrowser1->page()->runJavaScript(
                                  QStringLiteral("q.value"),
                                  [typed](const QVariant &value) { *typed = value.toString() == "a"; }),
                              *typed),
                             kLoadTimeout);
    QCOMPARE(m_server->requests(), QStringList());
    QVERIFY(happened("at /kinotray/video/"));
}

void TestKeyboard::focusMark_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("a caption button") << "Image9Key";
    QTest::newRow("a tab") << "ds";
    QTest::newRow("the promotion window's close button") << "img";
}

// The focused control is marked, and the mark goes with the focus.
void TestKeyboard::focusMark()
{
    QFETCH(QString, control);
    QWidget *target = widget(control);
    QWidget *window = target->window();
    // The mark lies round the control.
    const QRect area =
        QRect(target->mapTo(window, QPoint(0, 0)), target->size()).adjusted(-3, -3, 3, 3) &
        window->rect();
    const QImage unmarked = window->grab(area).toImage();

    window->activateWindow();
    target->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(target->hasFocus());
    QTRY_VERIFY(window->grab(area).toImage() != unmarked);

    m_form->activateWindow();
    m_form->WebBrowser1->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(!target->hasFocus());
    QTRY_COMPARE(window->grab(area).toImage(), unmarked);
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
