// The tab row: which pictures the tabs show after hovers, presses and clicks,
// and where the captions take the portal view, online and offline.
#include "pagescript.h"
#include "testfiles.h"
#include "mainwindow/form1.h"
#include "portalserver.h"
#include "startup/general.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace
{

constexpr int kLoadTimeout = 20000;

const char *const kChannels[] = {"", "video/", "demand/", "live/", "app/", "guestbook/"};

bool samePicture(const QPixmap &a, const QPixmap &b)
{
    return a.cacheKey() == b.cacheKey() || a.toImage() == b.toImage();
}

// Counts the paint events a widget gets.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int count = 0;
    QRegion painted;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++count;
            painted += static_cast<QPaintEvent *>(event)->region();
        }
        return false;
    }
};

} // namespace

class TestTabs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void storesDiffer();
    void startingPictures();
    void captionClick_data();
    void captionClick();
    void offlineCaptionClick_data();
    void offlineCaptionClick();
    void pointerSequence_data();
    void pointerSequence();
    void hoverDrawsOnlyChanges();

private:
    QWidget *control(const QString &name) const;
    forms::Image *store(const QString &name) const;
    // A point of the window where the control itself is hit, nearest its centre.
    QPoint pointOn(const QString &name) const;
    void moveOnto(const QString &name);
    void clickOn(const QString &name);
    void setPictures(const QString &im, const QString &yy, const QString &image2);
    void comparePictures(const QString &im, const QString &yy, const QString &image2);
    void captionRows();

    QTemporaryDir m_root;
    QTemporaryDir m_install;
    QTemporaryDir m_runtime;
    std::unique_ptr<PortalServer> m_server;
    Run m_run{Seams::system()};
    Seams &m_seams = m_run.seams;
    std::unique_ptr<Form1> m_form;
};

void TestTabs::initTestCase()
{
    qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
    for (const char *channel : kChannels) {
        writeFile(
            m_root.filePath(QStringLiteral("kinotray/%1index.html").arg(channel)),
            QByteArray("<html><head><link rel=\"icon\" href=\"data:,\"></head><body>channel ") +
                channel + "</body></html>");
    }
    writeFile(m_install.filePath(QStringLiteral("404.html")), "<html><body>offline</body></html>");
    m_server = std::make_unique<PortalServer>(m_root.path());
    QVERIFY(m_server->isRunning());
    m_run.settings.portalRoot = m_server->url(QStringLiteral("kinotray/"));
    m_seams = Seams::system();
    m_seams.installFolder = m_install.path();
    m_seams.message = [](QWidget *, const QString &text, const QString &, QMessageBox::Icon,
                         QMessageBox::StandardButtons) {
        qWarning("unexpected message: %s", qPrintable(text));
        return QMessageBox::Ok;
    };
}

void TestTabs::init()
{
    m_run.intOnline = 1;
    m_form = std::make_unique<Form1>(m_run);
    m_form->resize(forms::twipsToPixels(15200), forms::twipsToPixels(10000));
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    // The pointer starts outside the window, so the first move onto any
    // control is a real move whatever the previous test left behind.
    QTest::mouseMove(m_form->windowHandle(), QPoint(-20, -20));
    m_server->clearLog();
}

void TestTabs::cleanup()
{
    m_form.reset();
}

QWidget *TestTabs::control(const QString &name) const
{
    return m_form->control(name);
}

forms::Image *TestTabs::store(const QString &name) const
{
    return qobject_cast<forms::Image *>(m_form->control(name));
}

QPoint TestTabs::pointOn(const QString &name) const
{
    QWidget *target = control(name);
    if (!target)
        return {-1, -1};
    const QRect box(target->mapTo(m_form.get(), QPoint(0, 0)), target->size());
    QPoint best(-1, -1);
    int bestDistance = INT_MAX;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = box.left(); x <= box.right(); ++x) {
            if (m_form->childAt(x, y) != target)
                continue;
            const int distance = (QPoint(x, y) - box.center()).manhattanLength();
            if (distance < bestDistance) {
                best = {x, y};
                bestDistance = distance;
            }
        }
    }
    return best;
}

void TestTabs::moveOnto(const QString &name)
{
    const QPoint at = pointOn(name);
    QVERIFY2(at.x() >= 0, qPrintable(name + QStringLiteral(" cannot be reached by the pointer")));
    QTest::mouseMove(m_form->windowHandle(), at);
}

void TestTabs::clickOn(const QString &name)
{
    const QPoint at = pointOn(name);
    QVERIFY2(at.x() >= 0, qPrintable(name + QStringLiteral(" cannot be reached by the pointer")));
    QTest::mouseClick(m_form->windowHandle(), Qt::LeftButton, {}, at);
}

void TestTabs::setPictures(const QString &im, const QString &yy, const QString &image2)
{
    m_form->Im->setPicture(store(im)->picture());
    m_form->yy->setPicture(store(yy)->picture());
    m_form->Image2->setPicture(store(image2)->picture());
}

void TestTabs::comparePictures(const QString &im, const QString &yy, const QString &image2)
{
    QVERIFY2(samePicture(m_form->Im->picture(), store(im)->picture()), qPrintable("Im: " + im));
    QVERIFY2(samePicture(m_form->yy->picture(), store(yy)->picture()), qPrintable("yy: " + yy));
    QVERIFY2(samePicture(m_form->Image2->picture(), store(image2)->picture()),
             qPrintable("Image2: " + image2));
}

// Without distinct pictures in the stores every comparison below would hold.
void TestTabs::storesDiffer()
{
    const QStringList names = {"Im1", "Im2", "yy1", "yy2", "iii", "Image7", "Image5"};
    for (const QString &name : names)
        QVERIFY2(!store(name)->picture().isNull(), qPrintable(name));
    QVERIFY(!samePicture(m_form->Im1->picture(), m_form->Im2->picture()));
    QVERIFY(!samePicture(m_form->yy1->picture(), m_form->yy2->picture()));
    QVERIFY(!samePicture(m_form->iii->picture(), m_form->Image7->picture()));
    QVERIFY(!samePicture(m_form->iii->picture(), m_form->Image5->picture()));
    QVERIFY(!samePicture(m_form->Image7->picture(), m_form->Image5->picture()));
}

void TestTabs::startingPictures()
{
    comparePictures("Im1", "yy1", "Image7");
}

void TestTabs::captionRows()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("im");
    QTest::addColumn<QString>("yy");
    QTest::addColumn<QString>("image2");
    // Every row starts from Im2, yy2, iii, a state no click leads to.
    QTest::newRow("Label5: home") << "Label5"
                                  << ""
                                  << "Im2"
                                  << "yy2"
                                  << "iii";
    QTest::newRow("Label2: film resources") << "Label2"
                                            << "video/"
                                            << "Im1"
                                            << "yy1"
                                            << "Image7";
    QTest::newRow("Label3: video on demand") << "Label3"
                                             << "demand/"
                                             << "Im1"
                                             << "yy1"
                                             << "Image5";
    QTest::newRow("ds: live television") << "ds"
                                         << "live/"
                                         << "Im2"
                                         << "yy1"
                                         << "iii";
    QTest::newRow("yy3: application centre") << "yy3"
                                             << "app/"
                                             << "Im1"
                                             << "yy2"
                                             << "iii";
    QTest::newRow("Label7: guestbook") << "Label7"
                                       << "guestbook/"
                                       << "Im2"
                                       << "yy2"
                                       << "iii";
}

void TestTabs::captionClick_data()
{
    captionRows();
}

void TestTabs::captionClick()
{
    QFETCH(QString, caption);
    QFETCH(QString, path);
    QFETCH(QString, im);
    QFETCH(QString, yy);
    QFETCH(QString, image2);
    QSignalSpy complete(m_form->WebBrowser1, &BrowserView::documentComplete);
    const QUrl target(m_server->url(QStringLiteral("kinotray/") + path));

    moveOnto(caption);
    setPictures("Im2", "yy2", "iii");
    clickOn(caption);
    comparePictures(im, yy, image2);
    QVERIFY(complete.wait(kLoadTimeout));
    QCOMPARE(m_form->WebBrowser1->url(), target);
    QCOMPARE(m_server->requests(), QStringList{"/kinotray/" + path});

    // An already lit caption goes to its channel again.
    clickOn(caption);
    QVERIFY(complete.wait(kLoadTimeout));
    QCOMPARE(m_server->requests(), QStringList({"/kinotray/" + path, "/kinotray/" + path}));
    comparePictures(im, yy, image2);
}

void TestTabs::offlineCaptionClick_data()
{
    captionRows();
}

void TestTabs::offlineCaptionClick()
{
    QFETCH(QString, caption);
    QFETCH(QString, im);
    QFETCH(QString, yy);
    QFETCH(QString, image2);
    m_run.intOnline = 0;
    QSignalSpy complete(m_form->WebBrowser1, &BrowserView::documentComplete);

    moveOnto(caption);
    setPictures("Im2", "yy2", "iii");
    clickOn(caption);
    comparePictures(im, yy, image2);
    QVERIFY(complete.wait(kLoadTimeout));
    QCOMPARE(m_form->WebBrowser1->url(),
             QUrl::fromLocalFile(m_install.filePath(QStringLiteral("404.html"))));
    QVERIFY(m_server->requests().isEmpty());
}

void TestTabs::pointerSequence_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("im");
    QTest::addColumn<QString>("yy");
    QTest::addColumn<QString>("image2");
    // "move X" moves the pointer onto X; "press X" and "click X" reach the
    // control alone, without the pointer having moved there.
    QTest::newRow("over Im the double tab goes unlit") << QStringList{"move Im"} << "Im2"
                                                       << "yy1"
                                                       << "iii";
    QTest::newRow("Label2 straight onto yy leaves two lit")
        << QStringList{"move Label2", "move yy"} << "Im1"
        << "yy2"
        << "Image7";
    QTest::newRow("Label3 straight onto yy") << QStringList{"move Label3", "move yy"} << "Im1"
                                             << "yy2"
                                             << "Image5";
    QTest::newRow("Im then yy") << QStringList{"move Im", "move yy"} << "Im1"
                                << "yy2"
                                << "iii";
    QTest::newRow("yy then Label3") << QStringList{"move yy", "move Label3"} << "Im1"
                                    << "yy1"
                                    << "Image5";
    QTest::newRow("Im then Label2") << QStringList{"move Im", "move Label2"} << "Im1"
                                    << "yy1"
                                    << "Image7";
    QTest::newRow("leaving the row changes nothing")
        << QStringList{"move Im", "move labNotice"} << "Im2"
        << "yy1"
        << "iii";
    QTest::newRow("captions without hover: ds") << QStringList{"move yy", "move ds"} << "Im1"
                                                << "yy2"
                                                << "Image7";
    QTest::newRow("captions without hover: yy3") << QStringList{"move Im", "move yy3"} << "Im2"
                                                 << "yy1"
                                                 << "iii";
    QTest::newRow("captions without hover: Label5, Label7")
        << QStringList{"move Label3", "move Label5", "move Label7"} << "Im1"
        << "yy1"
        << "Image5";
    QTest::newRow("Image1 and Image2 outside captions")
        << QStringList{"move yy", "move Image1", "move Image2"} << "Im1"
        << "yy2"
        << "Image7";
    QTest::newRow("left press on Im lights it alone")
        << QStringList{"move yy", "press Im left"} << "Im2"
        << "yy2"
        << "Image7";
    QTest::newRow("right press on Im lights it alone")
        << QStringList{"move yy", "press Im right"} << "Im2"
        << "yy2"
        << "Image7";
    QTest::newRow("click on yy lights it and unlights Im")
        << QStringList{"move Im", "click yy"} << "Im1"
        << "yy2"
        << "iii";
    QTest::newRow("click on Image2 outside captions")
        << QStringList{"move Label3", "click Image2", "click Image1"} << "Im1"
        << "yy1"
        << "Image5";
}

void TestTabs::pointerSequence()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, im);
    QFETCH(QString, yy);
    QFETCH(QString, image2);
    QSignalSpy complete(m_form->WebBrowser1, &BrowserView::documentComplete);
    for (const QString &step : steps) {
        const QStringList words = step.split(u' ');
        QWidget *target = control(words.at(1));
        QVERIFY2(target, qPrintable(step));
        // Outside the captions, away from the middle where ds and yy3 lie.
        const QPoint outside(4, target->height() / 2);
        if (words.at(0) == QLatin1String("move")) {
            moveOnto(words.at(1));
        } else if (words.at(0) == QLatin1String("press")) {
            const Qt::MouseButton button =
                words.at(2) == QLatin1String("left") ? Qt::LeftButton : Qt::RightButton;
            QTest::mousePress(target, button, {}, outside);
            QTest::mouseRelease(target, button, {}, outside);
        } else {
            QTest::mouseClick(target, Qt::LeftButton, {}, outside);
        }
    }
    comparePictures(im, yy, image2);
    // None of these moves or presses goes anywhere.
    roundTrip(m_form->WebBrowser1);
    QVERIFY(complete.isEmpty());
    QVERIFY(m_server->requests().isEmpty());
}

// Each move over a tab assigns its pictures again; the tabs are see-through,
// so a repaint would redraw the window beneath them on every move.
void TestTabs::hoverDrawsOnlyChanges()
{
    PaintCounter paints(m_form.get());
    // A pixel of another tab is marked and its paint waited for: whatever
    // else was due to be painted by then has been painted with it.
    const auto paintMarker = [&] {
        paints.painted = QRegion();
        m_form->update(QRect(pointOn("yy"), QSize(1, 1)));
        return QTest::qWaitFor([&] { return !paints.painted.isEmpty(); });
    };
    QWidget *im = control("Im");
    const QRect onWindow(im->mapTo(m_form.get(), QPoint()), im->size());
    moveOnto("Im");
    QVERIFY(paintMarker());
    const QPoint next = pointOn("Im") + QPoint(1, 0);
    QCOMPARE(m_form->childAt(next), im);
    QTest::mouseMove(m_form->windowHandle(), next);
    QVERIFY(paintMarker());
    QVERIFY(!paints.painted.intersects(onWindow));

    paints.count = 0;
    moveOnto("yy");
    QTRY_VERIFY(paints.count > 0);
}

QTEST_MAIN(TestTabs)
#include "tst_tabs.moc"
