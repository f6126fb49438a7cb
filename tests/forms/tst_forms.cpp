#include "error.h"
#include "forms/forms.h"
#include "manualclock.h"

#include <QFontDatabase>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>
#include <memory>

using namespace forms;

namespace
{

// A stand-in for the window the controls live on.
std::unique_ptr<QWidget> makeWindow()
{
    auto window = std::make_unique<QWidget>();
    window->resize(400, 300);
    // The program's font: 12 pixels a Chinese character, 6 a Latin one.
    QFont font(QStringLiteral("WenQuanYi Zen Hei Mono"));
    font.setPixelSize(12);
    window->setFont(font);
    return window;
}

QWidget *makeControl(const QString &kind, QWidget *parent)
{
    if (kind == QLatin1String("label"))
        return new Label(parent);
    if (kind == QLatin1String("image"))
        return new Image(parent);
    return new PictureBox(parent);
}

Twips *twipsOf(QWidget *control)
{
    return dynamic_cast<Twips *>(control);
}

QPixmap filled(const QSize &size, const QColor &color)
{
    QPixmap picture(size);
    picture.fill(color);
    return picture;
}

} // namespace

class TestForms : public QObject
{
    Q_OBJECT

private slots:
    void twipsToPixelsRounds_data();
    void twipsToPixelsRounds();
    void negativeSizeKeepsOldValue_data();
    void negativeSizeKeepsOldValue();
    void labelSizedToText_data();
    void labelSizedToText();
    void labelFollowsFontChange();
    void clickNeedsPressAndReleaseInside_data();
    void clickNeedsPressAndReleaseInside();
    void mouseDownMask_data();
    void mouseDownMask();
    void mouseMoveWithoutButton_data();
    void mouseMoveWithoutButton();
    void imageTakesPictureSize_data();
    void imageTakesPictureSize();
    void imageIsNeverStretched();
    void pictureBoxSizedToPicture_data();
    void pictureBoxSizedToPicture();
    void timerTicks_data();
    void timerTicks();
    void timerOnTheSystemClock();
    void stacking_data();
    void stacking();
};

void TestForms::twipsToPixelsRounds_data()
{
    QTest::addColumn<double>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("zero") << 0.0 << 0;
    QTest::newRow("just under half") << 7.0 << 0;
    QTest::newRow("exactly half") << 7.5 << 1;
    QTest::newRow("just over half") << 8.0 << 1;
    QTest::newRow("one pixel") << 15.0 << 1;
    QTest::newRow("one and a half less") << 22.0 << 1;
    QTest::newRow("one and a half more") << 23.0 << 2;
    QTest::newRow("negative small") << -7.0 << 0;
    QTest::newRow("negative over half") << -8.0 << -1;
    QTest::newRow("negative whole") << -270.0 << -18;
    QTest::newRow("odd large") << 9558.0 << 637;
    QTest::newRow("ticker label") << 1170.0 << 78;
    QTest::newRow("wide bar") << 75000.0 << 5000;
}

void TestForms::twipsToPixelsRounds()
{
    QFETCH(double, twips);
    QFETCH(int, pixels);
    QCOMPARE(twipsToPixels(twips), pixels);
}

void TestForms::negativeSizeKeepsOldValue_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("property");
    for (const char *kind : {"label", "image", "picturebox"}) {
        for (const char *property : {"width", "height", "rect"})
            QTest::addRow("%s %s", kind, property) << kind << property;
    }
}

void TestForms::negativeSizeKeepsOldValue()
{
    QFETCH(QString, kind);
    QFETCH(QString, property);
    auto window = makeWindow();
    QWidget *control = makeControl(kind, window.get());
    Twips *twips = twipsOf(control);
    const QRect before(120, 1200, 50, 5535);
    twips->setTwipsRect(before);
    QCOMPARE(control->geometry(), QRect(8, 80, 3, 369));

    if (property == QLatin1String("width"))
        QVERIFY_THROWS_EXCEPTION(Error, twips->setWidthTwips(-1));
    else if (property == QLatin1String("height"))
        QVERIFY_THROWS_EXCEPTION(Error, twips->setHeightTwips(-735));
    else
        QVERIFY_THROWS_EXCEPTION(Error, twips->setTwipsRect(QRect(0, 0, 10, -10)));
    QCOMPARE(twips->twipsRect(), before);
    QCOMPARE(control->geometry(), QRect(8, 80, 3, 369));

    // Zero is a size like any other.
    twips->setWidthTwips(0);
    twips->setHeightTwips(0);
    QCOMPARE(control->size(), QSize(0, 0));
}

void TestForms::labelSizedToText_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("autoSize");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("width");
    QTest::newRow("chinese and latin")
        << QStringLiteral("官方动态位置!") << true << QStringLiteral("官方动态位置!") << 1170;
    QTest::newRow("latin only") << QStringLiteral("Veltaro5.0") << true
                                << QStringLiteral("Veltaro5.0") << 900;
    QTest::newRow("empty") << QString() << true << QString() << 0;
    QTest::newRow("line break shown on one line")
        << QStringLiteral("第一\r\n第二\n三") << true << QStringLiteral("第一 第二 三") << 1080;
    QTest::newRow("LF then CR are two breaks") << QStringLiteral("第一\n\r第二\r") << true
                                                << QStringLiteral("第一  第二 ") << 990;
    QTest::newRow("fixed box") << QStringLiteral("合作伙伴：很长很长很长的文字") << false
                               << QStringLiteral("合作伙伴：很长很长很长的文字") << 1095;
}

void TestForms::labelSizedToText()
{
    QFETCH(QString, caption);
    QFETCH(bool, autoSize);
    QFETCH(QString, shown);
    QFETCH(int, width);
    auto window = makeWindow();
    Label label(window.get());
    label.setTwipsRect(QRect(4320, 5760, 1095, 255));
    label.setAutoSize(autoSize);
    label.setCaption(caption);

    QCOMPARE(label.caption(), caption);
    QCOMPARE(label.text(), shown);
    QCOMPARE(label.twipsRect().topLeft(), QPoint(4320, 5760));
    QCOMPARE(label.widthTwips(), width);
    QCOMPARE(label.size().width(), width / kTwipsPerPixel);
    if (!autoSize)
        QCOMPARE(label.heightTwips(), 255);
}

void TestForms::labelFollowsFontChange()
{
    auto window = makeWindow();
    Label label(window.get());
    label.setAutoSize(true);
    label.setCaption(QStringLiteral("官方动态位置!"));
    const QSize before = label.size();

    QFont larger = window->font();
    larger.setPixelSize(24);
    window->setFont(larger);
    QCOMPARE(label.widthTwips(), 2 * 1170);
    QVERIFY(label.size().height() > before.height());
}

void TestForms::clickNeedsPressAndReleaseInside_data()
{
    // Steps: "press", "release" or "double" (the second press of a
    // double-click), with the button and where, inside or outside.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("downs");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("doubles");
    for (const char *kind : {"label", "image", "picturebox"}) {
        QTest::addRow("%s left inside", kind)
            << kind << QStringList{"press left in", "release left in"} << 1 << 1 << 0;
        QTest::addRow("%s released outside", kind)
            << kind << QStringList{"press left in", "release left out"} << 1 << 0 << 0;
        QTest::addRow("%s right button", kind)
            << kind << QStringList{"press right in", "release right in"} << 1 << 0 << 0;
        QTest::addRow("%s release only", kind)
            << kind << QStringList{"release left in"} << 0 << 0 << 0;
        QTest::addRow("%s double-click", kind)
            << kind
            << QStringList{"press left in", "release left in", "double left in", "release left in"}
            << 1 << 1 << 1;
        QTest::addRow("%s right double-click", kind)
            << kind
            << QStringList{"press right in", "release right in", "double right in",
                           "release right in"}
            << 1 << 0 << 0;
    }
}

void TestForms::clickNeedsPressAndReleaseInside()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, steps);
    QFETCH(int, downs);
    QFETCH(int, clicks);
    QFETCH(int, doubles);
    auto window = makeWindow();
    QWidget *control = makeControl(kind, window.get());
    twipsOf(control)->setTwipsRect(QRect(150, 150, 600, 300));
    QSignalSpy down(control, SIGNAL(mouseDown(int, int, int)));
    QSignalSpy up(control, SIGNAL(mouseUp(int, int, int)));
    QSignalSpy clicked(control, SIGNAL(clicked()));
    QSignalSpy dblClicked(control, SIGNAL(dblClick()));

    int releases = 0;
    for (const QString &step : steps) {
        const QStringList words = step.split(u' ');
        const Qt::MouseButton button =
            words.at(1) == QLatin1String("left") ? Qt::LeftButton : Qt::RightButton;
        const QPoint at = words.at(2) == QLatin1String("in") ? QPoint(5, 5) : QPoint(60, 5);
        if (words.at(0) == QLatin1String("press")) {
            QTest::mousePress(control, button, {}, at);
        } else if (words.at(0) == QLatin1String("double")) {
            QTest::mouseDClick(control, button, {}, at);
        } else {
            QTest::mouseRelease(control, button, {}, at);
            ++releases;
        }
    }
    QCOMPARE(down.count(), downs);
    QCOMPARE(clicked.count(), clicks);
    QCOMPARE(dblClicked.count(), doubles);
    QCOMPARE(up.count(), releases);
}

void TestForms::mouseDownMask_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("mask");
    for (const char *kind : {"label", "image", "picturebox"}) {
        QTest::addRow("%s left", kind) << kind << int(Qt::LeftButton) << 1;
        QTest::addRow("%s right", kind) << kind << int(Qt::RightButton) << 2;
        QTest::addRow("%s middle", kind) << kind << int(Qt::MiddleButton) << 4;
    }
}

void TestForms::mouseDownMask()
{
    QFETCH(QString, kind);
    QFETCH(int, button);
    QFETCH(int, mask);
    auto window = makeWindow();
    QWidget *control = makeControl(kind, window.get());
    twipsOf(control)->setTwipsRect(QRect(150, 150, 600, 300));
    QSignalSpy down(control, SIGNAL(mouseDown(int, int, int)));

    QTest::mousePress(control, Qt::MouseButton(button), {}, QPoint(7, 3));
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.at(0), QVariantList({mask, 105, 45}));
    QTest::mouseRelease(control, Qt::MouseButton(button), {}, QPoint(7, 3));
}

void TestForms::mouseMoveWithoutButton_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("label") << "label";
    QTest::newRow("image") << "image";
    QTest::newRow("picturebox") << "picturebox";
}

void TestForms::mouseMoveWithoutButton()
{
    QFETCH(QString, kind);
    auto window = makeWindow();
    QWidget *control = makeControl(kind, window.get());
    twipsOf(control)->setTwipsRect(QRect(1500, 1500, 1500, 1500));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QSignalSpy moved(control, SIGNAL(mouseMove(int, int, int)));

    QTest::mouseMove(window.get(), QPoint(20, 20));
    QTest::mouseMove(control, QPoint(10, 4));
    QTRY_VERIFY(!moved.isEmpty());
    QCOMPARE(moved.last(), QVariantList({0, 150, 60}));
}

void TestForms::imageTakesPictureSize_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("small bitmap") << QSize(22, 22) << QRect(6600, 840, 330, 330);
    QTest::newRow("wide bar") << QSize(5000, 52) << QRect(6600, 840, 75000, 780);
    QTest::newRow("no picture keeps the box") << QSize() << QRect(6600, 840, 1000, 1000);
}

void TestForms::imageTakesPictureSize()
{
    QFETCH(QSize, picture);
    QFETCH(QRect, expected);
    auto window = makeWindow();
    Image image(window.get());
    image.setTwipsRect(QRect(6600, 840, 1000, 1000));
    image.setPicture(picture.isValid() ? filled(picture, Qt::red) : QPixmap());
    QCOMPARE(image.twipsRect(), expected);
    QCOMPARE(image.geometry(), twipsToPixels(expected));
}

void TestForms::imageIsNeverStretched()
{
    auto window = makeWindow();
    window->setAutoFillBackground(true);
    QPalette colors = window->palette();
    colors.setColor(QPalette::Window, Qt::blue);
    window->setPalette(colors);
    Image image(window.get());
    image.moveTwips(150, 150);
    image.setPicture(filled(QSize(4, 4), Qt::red));
    image.setWidthTwips(300);
    image.setHeightTwips(300);

    const QImage shot = window->grab().toImage();
    QCOMPARE(shot.pixelColor(13, 13), QColor(Qt::red));
    QCOMPARE(shot.pixelColor(16, 16), QColor(Qt::blue));
    QCOMPARE(shot.pixelColor(25, 25), QColor(Qt::blue));
}

void TestForms::pictureBoxSizedToPicture_data()
{
    QTest::addColumn<bool>("autoSize");
    QTest::addColumn<bool>("border");
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("plain") << true << false << QSize(3, 30);
    QTest::newRow("with border") << true << true << QSize(5, 32);
    QTest::newRow("fixed box") << false << true << QSize(41, 33);
}

void TestForms::pictureBoxSizedToPicture()
{
    QFETCH(bool, autoSize);
    QFETCH(bool, border);
    QFETCH(QSize, pixels);
    auto window = makeWindow();
    PictureBox box(window.get());
    box.setTwipsRect(QRect(0, 0, 615, 495));
    box.setBackColor(Qt::black);
    box.setBorder(border);
    box.setAutoSize(autoSize);
    box.setPicture(filled(QSize(3, 30), Qt::green));
    QCOMPARE(box.size(), pixels);
    QCOMPARE(QSize(box.widthTwips(), box.heightTwips()), pixels * kTwipsPerPixel);

    // Picture at the top left inside the border, background elsewhere.
    box.resize(20, 40);
    const QImage shot = box.grab().toImage();
    const int inset = border ? 1 : 0;
    QCOMPARE(shot.pixelColor(inset, inset), QColor(Qt::green));
    QCOMPARE(shot.pixelColor(inset + 5, inset + 5), QColor(Qt::black));
}

void TestForms::timerTicks_data()
{
    // Steps: +N moves the clock on N ms, =N expects N ticks so far, on and
    // off enable and disable the timer, iN sets its interval.
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("steps");
    QTest::newRow("enabled with interval") << 20 << true << "+19 =0 +1 =1 +40 =3";
    QTest::newRow("interval zero") << 0 << true << "+1000 =0 i20 +20 =1";
    QTest::newRow("disabled") << 20 << false << "+1000 =0 on +20 =1";
    QTest::newRow("disabled and enabled counts afresh")
        << 20 << true << "+10 off +1000 =0 on +19 =0 +1 =1";
    QTest::newRow("enabling it again keeps the count") << 20 << true << "+15 on +5 =1";
    QTest::newRow("interval zero stops it") << 20 << true << "+20 =1 i0 +1000 =1 i20 +20 =2";
    QTest::newRow("the same interval again counts afresh")
        << 20 << true << "+15 i20 +15 =0 +5 =1";
    QTest::newRow("a new interval takes over") << 20 << true << "+10 i50 +49 =0 +1 =1 +50 =2";
}

void TestForms::timerTicks()
{
    QFETCH(int, interval);
    QFETCH(bool, enabled);
    QFETCH(QString, steps);
    ManualClock clock;
    Timer timer(nullptr, clock, interval, enabled);
    int ticks = 0;
    connect(&timer, &Timer::timer, this, [&] { ++ticks; });
    for (const QString &step : steps.split(u' ')) {
        const int n = step.mid(1).toInt();
        if (step.startsWith(u'+'))
            clock.advance(n);
        else if (step.startsWith(u'='))
            QVERIFY2(ticks == n, qPrintable(QStringLiteral("%1 ticks at %2").arg(ticks).arg(step)));
        else if (step.startsWith(u'i'))
            timer.setInterval(n);
        else
            timer.setEnabled(step == QLatin1String("on"));
    }
    const int last = timer.interval();
    QVERIFY_THROWS_EXCEPTION(Error, timer.setInterval(-1));
    QCOMPARE(timer.interval(), last);
}

void TestForms::timerOnTheSystemClock()
{
    Timer timer(nullptr, Clock::system(), 20, true);
    QSignalSpy ticked(&timer, &Timer::timer);
    QTRY_VERIFY(ticked.size() >= 2);

    int shots = 0;
    const std::unique_ptr<Clock::Timer> once = Clock::system().timer([&] { ++shots; }, true);
    once->start(20);
    QVERIFY(once->isActive());
    QTRY_COMPARE(shots, 1);
    QVERIFY(!once->isActive());
}

void TestForms::stacking_data()
{
    // Each control is named by its kind: L label, I image, P picture box, W browser view.
    QTest::addColumn<QStringList>("frontToBack");
    QTest::addColumn<QStringList>("bottomToTop");
    QTest::newRow("labels and images only")
        << QStringList{"L1", "I1", "L2", "I2"} << QStringList{"I2", "L2", "I1", "L1"};
    QTest::newRow("child windows above everything")
        << QStringList{"I1", "P1", "L1", "P2", "I2"} << QStringList{"I2", "L1", "I1", "P2", "P1"};
    QTest::newRow("browser view is a child window")
        << QStringList{"L1", "W1", "P1", "I1"} << QStringList{"I1", "L1", "P1", "W1"};
    QTest::newRow("window listed last")
        << QStringList{"L1", "I1", "P1"} << QStringList{"I1", "L1", "P1"};
}

void TestForms::stacking()
{
    QFETCH(QStringList, frontToBack);
    QFETCH(QStringList, bottomToTop);
    auto window = makeWindow();
    QList<QWidget *> controls;
    // Created in reverse so that creation order alone would give the wrong answer.
    for (auto name = frontToBack.crbegin(); name != frontToBack.crend(); ++name) {
        QWidget *control = nullptr;
        switch (name->at(0).toLatin1()) {
        case 'L':
            control = new Label(window.get());
            break;
        case 'I':
            control = new Image(window.get());
            break;
        case 'P':
            control = new PictureBox(window.get());
            break;
        default:
            control = new QWebEngineView(window.get());
            break;
        }
        control->setObjectName(*name);
        control->setGeometry(10, 10, 50, 50);
        controls.prepend(control);
    }

    applyStacking(controls);

    QStringList order;
    for (QObject *child : window->children()) {
        if (child->isWidgetType() && frontToBack.contains(child->objectName()))
            order << child->objectName();
    }
    QCOMPARE(order, bottomToTop);
    const QWidget *hit = window->childAt(30, 30);
    while (hit && hit->parentWidget() != window.get())
        hit = hit->parentWidget();
    QVERIFY(hit);
    QCOMPARE(hit->objectName(), bottomToTop.last());
}

QTEST_MAIN(TestForms)
#include "tst_forms.moc"
