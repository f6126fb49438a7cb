// The news and sponsor tickers on a real main window: format, rotation,
// error captions, clicks and the link filter.
#include "forms/twips.h"
#include "gbk.h"
#include "manualclock.h"
#include "mainwindow/form1.h"
#include "portalserver.h"
#include "startup/general.h"
#include "tickers/tickers.h"

#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>
#include <functional>

namespace
{

const QString noticeError = QStringLiteral("访问官方动态文件出错!");
const QString sponsorError = QStringLiteral("访问赞助商字幕文件出错!");
// Stands for the ticker's own error caption in the tables.
const QString error = QStringLiteral("<error>");

// One ticker of a window, so that every case runs on both.
struct Ticker {
    const char *name;
    forms::Label *label;
    forms::Timer *timer;
    QString *text;
    std::function<void(const QString &, qint16)> show;
    QString errorCaption;
};

// Both tickers rotate every 3 s.
constexpr int kRotationMs = 3000;

// What a person sees of a text that Qt may take for markup (a tooltip does
// whenever it looks like HTML).
QString seen(const QString &text, Qt::TextFormat format = Qt::AutoText)
{
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

QList<Ticker> tickersOf(Form1 &form)
{
    // The tickers are driven by the window's clock, not by calling their handlers.
    return {
        {"notice", form.labNotice, form.Timer1, &form.NoticeText,
         [&form](const QString &text, qint16 index) {
             form.ShowNoticeItem(text, form.labNotice, index);
         },
         noticeError},
        {"sponsor", form.labSponsor, form.Timer2, &form.SponsorText,
         [&form](const QString &text, qint16 index) {
             form.ShowSponsorItem(text, form.labSponsor, index);
         },
         sponsorError},
    };
}

} // namespace

class TestTickers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void rotation_data();
    void rotation();
    void timerEnabledOnlyByAShownItem();
    void offlineKeepsDesignCaptionsUntilFirstTick();
    void clickOpensOnlyWebLinks_data();
    void clickOpensOnlyWebLinks();
    void clickAfterErrorOpensLastGoodLink();
    void fetch_data();
    void fetch();

private:
    Run makeRun();

    ManualClock m_clock;
    QTemporaryDir m_runtime;
    QTemporaryDir m_install;
    QStringList m_opened;
    qint16 m_online = 1;
};

void TestTickers::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
}

void TestTickers::init()
{
    m_opened.clear();
    m_online = 1;
}

Run TestTickers::makeRun()
{
    Run run(Seams::system());
    run.intOnline = m_online;
    Seams &seams = run.seams;
    seams.openLink = [this](const QString &url) { m_opened.append(url); };
    seams.message = [](QWidget *, const QString &text, const QString &, QMessageBox::Icon,
                       QMessageBox::StandardButtons) {
        qWarning("unexpected message: %s", qPrintable(text));
        return QMessageBox::Ok;
    };
    seams.startProgram = [](const QString &path) { qWarning("started %s", qPrintable(path)); };
    seams.endProcess = [] { qWarning("process end requested"); };
    seams.installFolder = m_install.path();
    seams.clock = &m_clock;
    return run;
}

void TestTickers::rotation_data()
{
    // Element 0 is the state after the load shows item 0, element k the
    // state after tick k.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("links");

    QTest::newRow("three items") << QStringLiteral("A|a$$$B|b$$$C|c$$$")
                                 << QStringList{"A", "A", "B", "C", "A", "B", "C"}
                                 << QStringList{"a", "a", "b", "c", "a", "b", "c"};
    QTest::newRow("no final separator")
        << QStringLiteral("A|a$$$B|b$$$C|c") << QStringList{"A", "A", "B", "A", "B"}
        << QStringList{"a", "a", "b", "a", "b"};
    QTest::newRow("no separator") << QStringLiteral("A|a") << QStringList{"A", "A", "A", "A"}
                                  << QStringList{"a", "a", "a", "a"};
    QTest::newRow("empty text") << QString() << QStringList{error, error, error, error}
                                << QStringList{"", "", "", ""};
    QTest::newRow("item without link, then a good one")
        << QStringLiteral("A$$$B|b$$$") << QStringList{error, error, "B", error, "B"}
        << QStringList{"", "", "b", "b", "b"};
    QTest::newRow("third field ignored")
        << QStringLiteral("A|a|x$$$") << QStringList{"A", "A", "A"} << QStringList{"a", "a", "a"};
    QTest::newRow("line break before an item")
        << QStringLiteral("A|a$$$\nB|b$$$") << QStringList{"A", "A", "\nB", "A", "\nB"}
        << QStringList{"a", "a", "b", "a", "b"};
    QTest::newRow("one item per line, CRLF")
        << QStringLiteral("A|a$$$\r\nB|b$$$\r\n") << QStringList{"A", "A", "\r\nB", "A"}
        << QStringList{"a", "a", "b", "a"};
    QTest::newRow("empty piece between separators")
        << QStringLiteral("A|a$$$$$$B|b$$$") << QStringList{"A", "A", error, "B", "A"}
        << QStringList{"a", "a", "a", "b", "a"};
    QTest::newRow("two dollars are no separator")
        << QStringLiteral("A|a$$B|b$$$C|c$$$") << QStringList{"A", "A", "C", "A"}
        << QStringList{"a$$B", "a$$B", "c", "a$$B"};
    QTest::newRow("spaces kept") << QStringLiteral(" A | a $$$") << QStringList{" A ", " A "}
                                 << QStringList{" a ", " a "};
    QTest::newRow("empty caption") << QStringLiteral("|a$$$B|b$$$") << QStringList{"", "", "B", ""}
                                   << QStringList{"a", "a", "b", "a"};
    QTest::newRow("markup in captions")
        << QStringLiteral("<b>A</b>|a$$$<img src=file:///etc/x.png> &amp;|b$$$")
        << QStringList{"<b>A</b>", "<b>A</b>", "<img src=file:///etc/x.png> &amp;"}
        << QStringList{"a", "a", "b"};
}

void TestTickers::rotation()
{
    QFETCH(QString, text);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, links);

    Run run = makeRun();
    for (int which = 0; which < 2; ++which) {
        // A window each: the other ticker rotates on the same clock.
        Form1 form(run);
        const Ticker ticker = tickersOf(form).at(which);
        *ticker.text = text;
        const auto captionAt = [&](int step) {
            return captions.at(step) == error ? ticker.errorCaption : captions.at(step);
        };
        for (int step = 0; step < captions.size(); ++step) {
            const QString where = QStringLiteral("%1, step %2").arg(ticker.name).arg(step);
            if (step == 0) {
                ticker.show(text, 0);
            } else {
                m_clock.advance(kRotationMs - 1);
                QVERIFY2(ticker.label->caption() == captionAt(step - 1), qPrintable(where));
                m_clock.advance(1);
            }
            const QString caption = captionAt(step);
            QVERIFY2(ticker.label->caption() == caption, qPrintable(where));
            QVERIFY2(seen(ticker.label->text(), ticker.label->textFormat()) ==
                         ticker.label->text(),
                     qPrintable(where));
            // The hint shows what the label shows, as written.
            QCOMPARE(seen(ticker.label->toolTipText()), ticker.label->text());
            QVERIFY2(ticker.label->tag() == links.at(step), qPrintable(where));
            // The label is as wide as what it shows.
            const int shown = ticker.label->fontMetrics().horizontalAdvance(ticker.label->text());
            QVERIFY2(ticker.label->widthTwips() == forms::pixelsToTwips(shown), qPrintable(where));
            QVERIFY2(ticker.label->size().width() == shown, qPrintable(where));
        }
    }
}

void TestTickers::timerEnabledOnlyByAShownItem()
{
    Run run = makeRun();
    Form1 form(run);
    const QList<Ticker> all = tickersOf(form);
    for (const Ticker &ticker : all) {
        for (const Ticker &each : all)
            each.timer->setEnabled(false);
        ticker.show(QStringLiteral("A$$$"), 0);
        QVERIFY2(!ticker.timer->isEnabled(), ticker.name);
        ticker.show(QStringLiteral("A|a$$$"), 0);
        QVERIFY2(ticker.timer->isEnabled(), ticker.name);
        for (const Ticker &other : all) {
            if (other.timer != ticker.timer)
                QVERIFY2(!other.timer->isEnabled(), ticker.name);
        }
    }
}

void TestTickers::offlineKeepsDesignCaptionsUntilFirstTick()
{
    m_online = 0;
    Run run = makeRun();
    Form1 form(run);
    form.Form_Load();
    QVERIFY(form.NoticeText.isEmpty());
    QVERIFY(form.SponsorText.isEmpty());
    QCOMPARE(form.labNotice->caption(), QStringLiteral("官方动态位置!"));
    QCOMPARE(form.labSponsor->caption(), QStringLiteral("合作伙伴位置!"));

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (const Ticker &ticker : tickersOf(form)) {
        for (int tick = 0; tick < 3; ++tick) {
            m_clock.advance(kRotationMs);
            QCOMPARE(ticker.label->caption(), ticker.errorCaption);
            QCOMPARE(seen(ticker.label->toolTipText()), ticker.errorCaption);
            QCOMPARE(ticker.label->tag(), QString());
        }
        // Even a link that got there somehow stays closed while offline.
        ticker.label->setTag(QStringLiteral("https://example.com/"));
        QTest::mouseClick(ticker.label, Qt::LeftButton);
    }
    QCOMPARE(m_opened, QStringList());
}

void TestTickers::clickOpensOnlyWebLinks_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("opened");

    QTest::newRow("http") << QStringLiteral("http://example.com/news?id=7")
                          << QStringLiteral("http://example.com/news?id=7");
    QTest::newRow("https") << QStringLiteral("https://example.com/")
                           << QStringLiteral("https://example.com/");
    QTest::newRow("scheme in capitals") << QStringLiteral("HTTPS://Example.com/A")
                                        << QStringLiteral("HTTPS://Example.com/A");
    QTest::newRow("non-ASCII path") << QStringLiteral("http://example.com/新闻.html")
                                    << QStringLiteral("http://example.com/新闻.html");
    QTest::newRow("last item of a CR LF file") << QStringLiteral("http://example.com/a\r\n")
                                               << QStringLiteral("http://example.com/a");
    QTest::newRow("blanks and line ends around") << QStringLiteral("\n \thttps://example.com/b \r")
                                                 << QStringLiteral("https://example.com/b");
    QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << QString();
    QTest::newRow("program path") << QStringLiteral("/usr/bin/xterm") << QString();
    QTest::newRow("windows program") << QStringLiteral("C:\\Windows\\notepad.exe") << QString();
    QTest::newRow("javascript") << QStringLiteral("javascript:alert(1)") << QString();
    QTest::newRow("blanks before javascript") << QStringLiteral(" javascript:alert(1)") << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("only blanks") << QStringLiteral(" \r\n") << QString();
    QTest::newRow("http without host") << QStringLiteral("http:///etc/passwd") << QString();
    QTest::newRow("relative") << QStringLiteral("news/7.html") << QString();
    QTest::newRow("ftp") << QStringLiteral("ftp://example.com/") << QString();
}

void TestTickers::clickOpensOnlyWebLinks()
{
    QFETCH(QString, link);
    QFETCH(QString, opened);

    Run run = makeRun();
    Form1 form(run);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (const Ticker &ticker : tickersOf(form)) {
        m_opened.clear();
        ticker.show(QStringLiteral("X|") + link + QStringLiteral("$$$"), 0);
        QCOMPARE(ticker.label->tag(), link);
        QTest::mouseClick(ticker.label, Qt::LeftButton);
        QTest::mouseClick(ticker.label, Qt::LeftButton);
        // One open per click.
        const QStringList expected = opened.isEmpty() ? QStringList() : QStringList{opened, opened};
        QCOMPARE(m_opened, expected);
    }
}

void TestTickers::clickAfterErrorOpensLastGoodLink()
{
    Run run = makeRun();
    Form1 form(run);
    form.SponsorText = QStringLiteral("A|https://a.example/$$$B$$$");
    m_clock.advance(2 * kRotationMs);
    QCOMPARE(form.labSponsor->caption(), sponsorError);
    form.labSponsor_Click();
    QCOMPARE(m_opened, QStringList{"https://a.example/"});
    // The other ticker never showed an item: nothing to open.
    form.labNotice_Click();
    QCOMPARE(m_opened, QStringList{"https://a.example/"});
}

void TestTickers::fetch_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("text");
    const QString news = QStringLiteral("新片上映|http://example.com/1$$$");
    const QByteArray mb(1024 * 1024, 'a');
    QTest::newRow("GBK") << toGbk(news) << "" << news;
    QTest::newRow("exactly 1 MB") << mb << "" << QString::fromLatin1(mb);
    QTest::newRow("1 MB and a byte") << mb + 'a' << "" << QString();
    QTest::newRow("without end") << toGbk(news) << "endless" << QString();
    // Fast enough never to count as stalled, slow enough never to reach 1 MB.
    QTest::newRow("dripping without end") << mb.left(4096) << "drip endless" << QString();
    QTest::newRow("dripping, then done") << toGbk(news).repeated(400) << "drip"
                                         << news.repeated(400);
}

void TestTickers::fetch()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, rule);
    QFETCH(QString, text);
    QTemporaryDir root;
    const QString path = QStringLiteral("kinotray/marquee/Notice.txt");
    QDir(root.path()).mkpath(QStringLiteral("kinotray/marquee"));
    QFile file(root.filePath(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(body);
    file.close();

    PortalServer server(root.path());
    QVERIFY(server.isRunning());
    if (rule.contains(QLatin1String("drip")))
        QVERIFY(server.setDrip(path, 100));
    if (rule.contains(QLatin1String("endless")))
        QVERIFY(server.setEndless(path));
    QCOMPARE(FetchText(server.url(path)), text);
}

QTEST_MAIN(TestTickers)
#include "tst_tickers.moc"
