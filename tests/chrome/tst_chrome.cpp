// The title bar driven by mouse events on the main window's controls.
#include "forms/twips.h"
#include "mainwindow/form1.h"
#include "mainwindow/layout.h"
#include "tickers/frminf.h"

#include <QWindow>
#include <QtTest>
#include <memory>

namespace
{

// A pointer row through the middle of the caption buttons, in pixels.
constexpr int kButtonRow = 16;
// Pixel columns over the strip inside each zone. The pin's column lies beside
// ImgTop, which takes the pointer over its own area even without a picture.
constexpr int kPinX = 45, kMinimiseX = 63, kMaximiseX = 87, kExitX = 110;

// Which store's picture the window shows where ImgTop lies: "none" when it
// shows none of them (ImgTop hidden or without a picture).
QString pinSeen(Form1 &form)
{
    const QImage seen =
        form.grab(form.ImgTop->geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    const QList<std::pair<const char *, forms::Image *>> stores = {
        {"ImgTop0", form.ImgTop0}, {"ImgTop1", form.ImgTop1}, {"ImgTop2", form.ImgTop2}};
    for (const auto &[name, store] : stores) {
        if (seen == store->picture().toImage().convertToFormat(QImage::Format_RGB32))
            return QString::fromLatin1(name);
    }
    return QStringLiteral("none");
}

QStringList shownButtons(Form1 &form)
{
    QStringList shown;
    if (form.ImgTop->isVisible())
        shown << QStringLiteral("ImgTop");
    if (form.Image12->isVisible())
        shown << QStringLiteral("Image12");
    if (form.Image11->isVisible())
        shown << QStringLiteral("Image11");
    if (form.Image9->isVisible())
        shown << QStringLiteral("Image9");
    return shown;
}

// Moves the real pointer, so the control in front at that point gets the
// move. It goes by the bottom bar first: a move to where the pointer already
// is would not be reported.
void pointAt(Form1 &form, QWidget *control, const QPoint &at)
{
    QTest::mouseMove(form.Image4, QPoint(2, 2));
    QTest::mouseMove(control, at);
}

void moveOverStrip(Form1 &form, int x, int y = kButtonRow)
{
    pointAt(form, form.ImgControl, QPoint(x, y));
}

// Every control's rectangle in pixels, the views inside their holders too.
QList<QRect> allGeometry(Form1 &form)
{
    QList<QRect> rects;
    for (const Form1::Control &control : form.controls())
        rects << control.widget->geometry();
    return rects;
}

} // namespace

class TestChrome : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void hoverButtons_data();
    void hoverButtons();
    void pin_data();
    void pin();
    void minimiseHidesItsButtonFirst();
    void exitEndsProcessWithoutUnload();
    void maximiseAndRestore();

private:
    Run m_run{Seams::system()};
    Seams &m_seams = m_run.seams;
    int m_ends = 0;
    std::unique_ptr<Form1> m_form;
    QSize m_startSize{1013, 667};
};

void TestChrome::init()
{
    m_ends = 0;
    m_seams = Seams::system();
    m_seams.endProcess = [this] { ++m_ends; };
    m_form = std::make_unique<Form1>(m_run);
    m_form->resize(m_startSize);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestChrome::cleanup()
{
    m_form.reset();
}

void TestChrome::hoverButtons_data()
{
    QTest::addColumn<bool>("pinned");
    QTest::addColumn<bool>("maximised");
    QTest::addColumn<QList<QPoint>>("moves");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("look");
    QTest::addColumn<QString>("maximiseTip");
    QTest::addColumn<QString>("pinTip");

    const QString designTip = QStringLiteral("最大化观看");
    const QPoint exit(kExitX, kButtonRow), maximise(kMaximiseX, kButtonRow),
        minimise(kMinimiseX, kButtonRow), pin(kPinX, kButtonRow);

    QTest::newRow("exit") << false << false << QList{exit} << QStringList{"Image9"} << "none"
                          << designTip << "";
    QTest::newRow("maximise, normal window")
        << false << false << QList{maximise} << QStringList{"Image11"} << "none"
        << "最大化"
        << "";
    QTest::newRow("maximise, maximised window")
        << false << true << QList{maximise} << QStringList{"Image11"} << "none"
        << "向下还原"
        << "";
    QTest::newRow("minimise") << false << false << QList{minimise} << QStringList{"Image12"}
                              << "none" << designTip << "";
    QTest::newRow("pin") << false << false << QList{pin} << QStringList{"ImgTop"} << "ImgTop0"
                         << designTip << "窗口置顶";
    QTest::newRow("pin, then away") << false << false << QList{pin, exit} << QStringList{"Image9"}
                                    << "none" << designTip << "窗口置顶";
    QTest::newRow("exit, then minimise") << false << false << QList{exit, minimise}
                                         << QStringList{"Image12"} << "none" << designTip << "";
    QTest::newRow("gap between maximise and exit")
        << false << false << QList{exit, QPoint(100, kButtonRow)} << QStringList{} << "none"
        << designTip << "";
    QTest::newRow("gap between minimise and maximise")
        << false << false << QList{exit, QPoint(76, kButtonRow)} << QStringList{} << "none"
        << designTip << "";
    QTest::newRow("gap between pin and minimise")
        << false << false << QList{minimise, QPoint(49, kButtonRow)} << QStringList{} << "none"
        << designTip << "";
    // A shown button lies over the strip and takes the moves over its area.
    QTest::newRow("lit maximise takes the pointer")
        << false << false << QList{maximise, QPoint(76, kButtonRow)} << QStringList{"Image11"}
        << "none"
        << "最大化"
        << "";
    QTest::newRow("empty pin takes the pointer")
        << false << false << QList{QPoint(34, kButtonRow)} << QStringList{"ImgTop"} << "none"
        << designTip << "";
    QTest::newRow("top edge of the buttons")
        << false << false << QList{QPoint(kExitX, 4)} << QStringList{} << "none" << designTip << "";
    QTest::newRow("last row of the buttons") << false << false << QList{QPoint(kExitX, 27)}
                                             << QStringList{"Image9"} << "none" << designTip << "";
    QTest::newRow("bottom edge of the buttons") << false << false << QList{QPoint(kExitX, 28)}
                                                << QStringList{} << "none" << designTip << "";
    QTest::newRow("pinned, over the pin")
        << true << false << QList{pin} << QStringList{"ImgTop"} << "ImgTop2" << designTip << "";
    QTest::newRow("pinned, on to minimise")
        << true << false << QList{pin, minimise} << QStringList{"ImgTop", "Image12"} << "ImgTop1"
        << designTip << "";
}

void TestChrome::hoverButtons()
{
    QFETCH(bool, pinned);
    QFETCH(bool, maximised);
    QFETCH(QList<QPoint>, moves);
    QFETCH(QStringList, shown);
    QFETCH(QString, look);
    QFETCH(QString, maximiseTip);
    QFETCH(QString, pinTip);

    if (pinned)
        QTest::mouseClick(m_form->ImgTop, Qt::LeftButton);
    if (maximised) {
        m_form->showMaximized();
        QTRY_VERIFY(m_form->size() != m_startSize);
        QTRY_COMPARE(m_form->ImgControl->leftTwips(), forms::pixelsToTwips(m_form->width()) - 1965);
    }
    for (const QPoint &at : moves)
        moveOverStrip(*m_form, at.x(), at.y());

    QCOMPARE(shownButtons(*m_form), shown);
    QCOMPARE(pinSeen(*m_form), look);
    QCOMPARE(m_form->Image11->toolTip(), maximiseTip);
    QCOMPARE(m_form->ImgTop->toolTip(), pinTip);
}

void TestChrome::pin_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("topmost");
    QTest::addColumn<QString>("look");
    QTest::addColumn<QString>("tip");

    // Steps: a press on ImgTop with a button, a "double" click on it through
    // the window, "over" ImgTop, "strip" away from the pin zone, "pinzone"
    // over it.
    QTest::newRow("left press pins") << QStringList{"left"} << 1 << "ImgTop2"
                                     << "";
    QTest::newRow("right press pins") << QStringList{"right"} << 1 << "ImgTop2"
                                      << "";
    QTest::newRow("double-click pins once") << QStringList{"double"} << 1 << "ImgTop2"
                                            << "";
    QTest::newRow("double-click unpins once") << QStringList{"left", "double"} << 0 << "ImgTop0"
                                              << "";
    QTest::newRow("middle press does nothing") << QStringList{"middle"} << 0 << "none"
                                               << "";
    QTest::newRow("two presses unpin") << QStringList{"left", "left"} << 0 << "ImgTop0"
                                       << "";
    QTest::newRow("left then right unpins") << QStringList{"left", "right"} << 0 << "ImgTop0"
                                            << "";
    QTest::newRow("middle leaves the pin") << QStringList{"left", "middle"} << 1 << "ImgTop2"
                                           << "";
    QTest::newRow("over the pin, not pinned") << QStringList{"over"} << 0 << "none"
                                              << "";
    QTest::newRow("over the pin, pinned") << QStringList{"left", "strip", "over"} << 1 << "ImgTop2"
                                          << "取消置顶";
    QTest::newRow("pinned, away") << QStringList{"left", "over", "strip"} << 1 << "ImgTop1"
                                  << "取消置顶";
    QTest::newRow("just unpinned") << QStringList{"left", "over", "right"} << 0 << "ImgTop0"
                                   << "取消置顶";
    QTest::newRow("unpinned, back over the zone")
        << QStringList{"left", "over", "right", "pinzone"} << 0 << "ImgTop0"
        << "窗口置顶";
    QTest::newRow("unpinned, away") << QStringList{"left", "right", "strip"} << 0 << "none"
                                    << "";
}

void TestChrome::pin()
{
    QFETCH(QStringList, steps);
    QFETCH(int, topmost);
    QFETCH(QString, look);
    QFETCH(QString, tip);

    QWindow *handle = m_form->windowHandle();
    QVERIFY(handle);
    const QRect before = m_form->geometry();
    const QPoint onPin(11, 11);
    for (const QString &step : steps) {
        if (step == QLatin1String("left"))
            QTest::mouseClick(m_form->ImgTop, Qt::LeftButton, {}, onPin);
        else if (step == QLatin1String("right"))
            QTest::mouseClick(m_form->ImgTop, Qt::RightButton, {}, onPin);
        else if (step == QLatin1String("middle"))
            QTest::mouseClick(m_form->ImgTop, Qt::MiddleButton, {}, onPin);
        else if (step == QLatin1String("double"))
            QTest::mouseDClick(handle, Qt::LeftButton, {},
                               m_form->ImgTop->mapTo(m_form.get(), onPin));
        else if (step == QLatin1String("over"))
            pointAt(*m_form, m_form->ImgTop, onPin);
        else if (step == QLatin1String("strip"))
            moveOverStrip(*m_form, kMinimiseX);
        else
            moveOverStrip(*m_form, kPinX);
    }

    QCOMPARE(m_form->intTopmost, qint16(topmost));
    QCOMPARE(pinSeen(*m_form), look);
    QCOMPARE(m_form->ImgTop->toolTip(), tip);
    // The same native window, still shown, where it was and as large.
    QCOMPARE(m_form->windowHandle(), handle);
    QCOMPARE(handle->flags().testFlag(Qt::WindowStaysOnTopHint), topmost == 1);
    QCOMPARE(m_form->windowFlags().testFlag(Qt::WindowStaysOnTopHint), topmost == 1);
    QVERIFY(m_form->isVisible());
    QCOMPARE(m_form->geometry(), before);
}

void TestChrome::minimiseHidesItsButtonFirst()
{
    moveOverStrip(*m_form, kMinimiseX);
    QVERIFY(m_form->Image12->isVisible());
    QTest::mouseClick(m_form->Image12, Qt::LeftButton);
    QVERIFY(m_form->windowState() & Qt::WindowMinimized);
    QVERIFY(m_form->Image12->isHidden());

    m_form->showNormal();
    QTRY_VERIFY(m_form->isVisible());
    QVERIFY(!m_form->Image12->isVisible());
}

void TestChrome::exitEndsProcessWithoutUnload()
{
    moveOverStrip(*m_form, kExitX);
    QTest::mouseClick(m_form->Image9, Qt::LeftButton);
    QCOMPARE(m_ends, 1);
    // No close or unload ran: the window is still as it was.
    QVERIFY(m_form->isVisible());
    QTest::mouseClick(m_form->Image9, Qt::RightButton);
    QCOMPARE(m_ends, 1);
}

void TestChrome::maximiseAndRestore()
{
    const QList<QRect> before = allGeometry(*m_form);

    moveOverStrip(*m_form, kMaximiseX);
    QCOMPARE(m_form->Image11->toolTip(), QStringLiteral("最大化"));
    QTest::mouseClick(m_form->Image11, Qt::LeftButton);
    QVERIFY(m_form->windowState() & Qt::WindowMaximized);
    QVERIFY(m_form->Image11->isHidden());
    QTRY_VERIFY(m_form->size() != m_startSize);

    // The window is laid out for the client size it got.
    const int width = forms::pixelsToTwips(m_form->width());
    QTRY_COMPARE(m_form->ImgControl->leftTwips(), width - 1965);
    QCOMPARE(m_form->Image11->leftTwips(), width - 820);
    QCOMPARE(m_form->WebBrowser1->heightTwips(), m_form->bjbox->heightTwips() + 80);
    QCOMPARE(m_form->bjbox->heightTwips(), forms::pixelsToTwips(m_form->height()) - 2785);

    moveOverStrip(*m_form, kMaximiseX);
    QCOMPARE(m_form->Image11->toolTip(), QStringLiteral("向下还原"));
    QTest::mouseClick(m_form->Image11, Qt::LeftButton);
    QVERIFY(!(m_form->windowState() & Qt::WindowMaximized));
    QVERIFY(m_form->Image11->isHidden());
    QTRY_COMPARE(m_form->size(), m_startSize);
    QTRY_COMPARE(allGeometry(*m_form), before);
}

QTEST_MAIN(TestChrome)
#include "tst_chrome.moc"
