// The layout pass, on its own and applied to the main window.
#include "forms/twips.h"
#include "mainwindow/form1.h"
#include "mainwindow/layout.h"
#include "tickers/frminf.h"

#include <QtTest>
#include <memory>

using layout::Geometry;
using layout::Placed;

Q_DECLARE_METATYPE(layout::Placed)

namespace
{

using Sizes = QList<QSize>;

// The window as designed, before any pass: the rectangles the pass starts from.
Geometry designGeometry()
{
    static const Geometry design = [] {
        Run run(Seams::system());
        const Form1 form(run);
        Geometry g;
        for (const Form1::Control &control : form.controls()) {
            if (control.placed)
                g[*control.placed] = control.twips->twipsRect();
        }
        return g;
    }();
    return design;
}

// Passes for each client size in turn, starting from the design.
Geometry passes(const Sizes &sizes)
{
    Geometry g = designGeometry();
    for (const QSize &size : sizes)
        g = layout::pass(size.width(), size.height(), g);
    return g;
}

const QSize startUp(15200, 10000);
const QSize fullScreen(15360, 11520);

QWidget *placedWidget(Form1 &f, Placed placed)
{
    for (const Form1::Control &control : f.controls()) {
        if (control.placed == placed)
            return control.widget;
    }
    return nullptr;
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void placesControls_data();
    void placesControls();
    void resultDependsOnlyOnSize_data();
    void resultDependsOnlyOnSize();
    void captionZones_data();
    void captionZones();

    void pixelsAfterResize_data();
    void pixelsAfterResize();
    void cursorRule_data();
    void cursorRule();
    void frontControl_data();
    void frontControl();
    void labelSizes_data();
    void labelSizes();

private:
    std::unique_ptr<Form1> makeShownForm(const QSize &pixels);
    Run m_run{Seams::system()};
    Seams &m_seams = m_run.seams;
};

void TestLayout::init()
{
    m_seams = Seams::system();
    m_seams.endProcess = [] { QFAIL("the process would have ended"); };
}

std::unique_ptr<Form1> TestLayout::makeShownForm(const QSize &pixels)
{
    auto form = std::make_unique<Form1>(m_run);
    form->resize(pixels);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        return nullptr;
    return form;
}

void TestLayout::placesControls_data()
{
    QTest::addColumn<Sizes>("sizes");
    QTest::addColumn<Placed>("control");
    QTest::addColumn<QRect>("expected");
    using P = Placed;

    // The pass starts from the window as built: a label sized to its text is
    // one line of the font high (16 pixels), whatever its design height.
    const Sizes up = {startUp};
    QTest::newRow("start-up Image1") << up << P::Image1 << QRect(1360, 1450, 2055, 555);
    QTest::newRow("start-up ImLogo") << up << P::ImLogo << QRect(260, 400, 3300, 990);
    QTest::newRow("start-up left1") << up << P::left1 << QRect(0, 0, 50, 9265);
    QTest::newRow("start-up Image2") << up << P::Image2 << QRect(3415, 1450, 4110, 555);
    QTest::newRow("start-up Im") << up << P::Im << QRect(7525, 1450, 2055, 555);
    QTest::newRow("start-up yy") << up << P::yy << QRect(9580, 1450, 2055, 555);
    QTest::newRow("start-up ImgControl") << up << P::ImgControl << QRect(13235, 0, 1965, 555);
    QTest::newRow("start-up Image9") << up << P::Image9 << QRect(14755, 100, 360, 360);
    QTest::newRow("start-up right1") << up << P::right1 << QRect(15155, 0, 50, 9265);
    QTest::newRow("start-up Picture4") << up << P::Picture4 << QRect(50, 10, 15100, 15);
    QTest::newRow("start-up Picture3") << up << P::Picture3 << QRect(50, 2005, 15100, 20);
    QTest::newRow("start-up Picture1") << up << P::Picture1 << QRect(3500, 470, 9558, 900);
    QTest::newRow("start-up bjbox") << up << P::bjbox << QRect(0, 2025, 15200, 7215);
    QTest::newRow("start-up Image14") << up << P::Image14 << QRect(13235, 575, 1650, 1350);
    QTest::newRow("start-up Image4") << up << P::Image4 << QRect(0, 9240, 15200, 780);
    QTest::newRow("start-up labSponsor") << up << P::labSponsor << QRect(7860, 9580, 1170, 240);
    QTest::newRow("start-up Image6") << up << P::Image6 << QRect(3895, 1630, 210, 210);
    QTest::newRow("start-up Label5") << up << P::Label5 << QRect(2010, 1630, 900, 240);
    QTest::newRow("start-up Label2") << up << P::Label2 << QRect(4195, 1640, 720, 240);
    QTest::newRow("start-up ds") << up << P::ds << QRect(8125, 1630, 720, 190);
    QTest::newRow("start-up yy3") << up << P::yy3 << QRect(10180, 1630, 720, 190);
    QTest::newRow("start-up labNotice") << up << P::labNotice << QRect(1800, 9580, 1170, 240);
    QTest::newRow("start-up Image8") << up << P::Image8 << QRect(6055, 1630, 210, 210);
    QTest::newRow("start-up Label3") << up << P::Label3 << QRect(6355, 1640, 720, 240);
    QTest::newRow("start-up Image11") << up << P::Image11 << QRect(14380, 100, 330, 330);
    QTest::newRow("start-up Image12") << up << P::Image12 << QRect(14005, 100, 330, 330);
    QTest::newRow("start-up Image3") << up << P::Image3 << QRect(500, 9560, 240, 240);
    QTest::newRow("start-up Label1") << up << P::Label1 << QRect(800, 9580, 900, 240);
    QTest::newRow("start-up Image13") << up << P::Image13 << QRect(6525, 9560, 240, 240);
    QTest::newRow("start-up Label4") << up << P::Label4 << QRect(6825, 9580, 1095, 255);
    QTest::newRow("start-up Label7") << up << P::Label7 << QRect(12255, 1630, 810, 240);
    QTest::newRow("start-up Image10") << up << P::Image10 << QRect(11905, 1590, 300, 300);
    QTest::newRow("start-up ImgTop") << up << P::ImgTop << QRect(13580, 100, 330, 330);
    QTest::newRow("start-up WebBrowser1") << up << P::WebBrowser1 << QRect(0, -40, 15200, 7295);

    const Sizes full = {startUp, fullScreen};
    QTest::newRow("full ImgControl") << full << P::ImgControl << QRect(13395, 0, 1965, 555);
    QTest::newRow("full Image11") << full << P::Image11 << QRect(14540, 100, 330, 330);
    QTest::newRow("full bjbox") << full << P::bjbox << QRect(0, 2025, 15360, 8735);
    QTest::newRow("full Image4") << full << P::Image4 << QRect(0, 10760, 15360, 780);
    QTest::newRow("full labNotice") << full << P::labNotice << QRect(1800, 11100, 1170, 240);
    QTest::newRow("full labSponsor") << full << P::labSponsor << QRect(7860, 11100, 1170, 240);
    QTest::newRow("full WebBrowser1") << full << P::WebBrowser1 << QRect(0, -40, 15360, 8815);

    // A minimised window: the negative heights and widths are refused.
    const Sizes minimised = {startUp, QSize(0, 0)};
    QTest::newRow("0x0 left1") << minimised << P::left1 << QRect(0, 0, 50, 9265);
    QTest::newRow("0x0 right1") << minimised << P::right1 << QRect(-45, 0, 50, 9265);
    QTest::newRow("0x0 Picture4") << minimised << P::Picture4 << QRect(50, 10, 15100, 15);
    QTest::newRow("0x0 Picture3") << minimised << P::Picture3 << QRect(50, 2005, 15100, 20);
    QTest::newRow("0x0 bjbox") << minimised << P::bjbox << QRect(0, 2025, 0, 7215);
    QTest::newRow("0x0 ImgControl") << minimised << P::ImgControl << QRect(-1965, 0, 1965, 555);
    QTest::newRow("0x0 Image9") << minimised << P::Image9 << QRect(-445, 100, 360, 360);
    QTest::newRow("0x0 Image4") << minimised << P::Image4 << QRect(0, 9240, 0, 780);
    QTest::newRow("0x0 labSponsor") << minimised << P::labSponsor << QRect(7860, 9580, 1170, 240);
    QTest::newRow("0x0 Label7") << minimised << P::Label7 << QRect(-2945, 1630, 810, 240);
    QTest::newRow("0x0 Image10") << minimised << P::Image10 << QRect(-3295, 1590, 300, 300);
    QTest::newRow("0x0 WebBrowser1") << minimised << P::WebBrowser1 << QRect(0, -40, 0, 7295);

    // Minimised before any real size: the design extents are what is kept.
    const Sizes minimisedFirst = {QSize(0, 0)};
    QTest::newRow("first 0x0 left1") << minimisedFirst << P::left1 << QRect(0, 0, 50, 5535);
    QTest::newRow("first 0x0 Picture4") << minimisedFirst << P::Picture4 << QRect(50, 10, 8295, 15);
    QTest::newRow("first 0x0 bjbox") << minimisedFirst << P::bjbox << QRect(0, 2025, 0, 495);
    QTest::newRow("first 0x0 Image4") << minimisedFirst << P::Image4 << QRect(0, 2520, 0, 780);
    QTest::newRow("first 0x0 WebBrowser1")
        << minimisedFirst << P::WebBrowser1 << QRect(0, -40, 0, 575);

    const Sizes low = {startUp, QSize(15200, 2000)};
    QTest::newRow("low left1") << low << P::left1 << QRect(0, 0, 50, 1265);
    QTest::newRow("low right1") << low << P::right1 << QRect(15155, 0, 50, 1265);
    QTest::newRow("low bjbox") << low << P::bjbox << QRect(0, 2025, 15200, 7215);
    QTest::newRow("low Image4") << low << P::Image4 << QRect(0, 9240, 15200, 780);
    QTest::newRow("low labNotice") << low << P::labNotice << QRect(1800, 9580, 1170, 240);
    QTest::newRow("low WebBrowser1") << low << P::WebBrowser1 << QRect(0, -40, 15200, 7295);

    // Just at the edges where the sizes stop being refused.
    const Sizes edges = {startUp, QSize(100, 2785)};
    QTest::newRow("edge left1") << edges << P::left1 << QRect(0, 0, 50, 2050);
    QTest::newRow("edge Picture4") << edges << P::Picture4 << QRect(50, 10, 0, 15);
    QTest::newRow("edge bjbox") << edges << P::bjbox << QRect(0, 2025, 100, 0);
    QTest::newRow("edge WebBrowser1") << edges << P::WebBrowser1 << QRect(0, -40, 100, 80);
}

void TestLayout::placesControls()
{
    QFETCH(Sizes, sizes);
    QFETCH(Placed, control);
    QFETCH(QRect, expected);
    QCOMPARE(passes(sizes)[control], expected);
}

void TestLayout::resultDependsOnlyOnSize_data()
{
    QTest::addColumn<Sizes>("before");
    QTest::addColumn<QSize>("size");
    QTest::newRow("same size twice") << Sizes{startUp} << startUp;
    QTest::newRow("back from minimised") << Sizes{startUp, QSize(0, 0)} << startUp;
    QTest::newRow("minimised first") << Sizes{QSize(0, 0)} << startUp;
    QTest::newRow("back from low") << Sizes{startUp, QSize(15200, 2000)} << startUp;
    QTest::newRow("restored") << Sizes{startUp, fullScreen} << startUp;
    QTest::newRow("maximised twice") << Sizes{fullScreen} << fullScreen;
}

void TestLayout::resultDependsOnlyOnSize()
{
    QFETCH(Sizes, before);
    QFETCH(QSize, size);
    Sizes after = before;
    after << size;
    const Geometry direct = passes({size});
    const Geometry later = passes(after);
    for (int i = 0; i < layout::kPlacedCount; ++i)
        QCOMPARE(later[Placed(i)], direct[Placed(i)]);
}

void TestLayout::captionZones_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("zone");

    const int mid = 240;
    const struct {
        const char *zone;
        int from, to;
    } zones[] = {
        {"pin", 320, 705}, {"minimise", 770, 1130}, {"maximise", 1145, 1475}, {"exit", 1540, 1900}};
    for (const auto &z : zones) {
        QTest::addRow("%s left bound", z.zone) << z.from << mid << "";
        QTest::addRow("%s just inside left", z.zone) << z.from + 1 << mid << z.zone;
        QTest::addRow("%s just inside right", z.zone) << z.to - 1 << mid << z.zone;
        QTest::addRow("%s right bound", z.zone) << z.to << mid << "";
        const int x = (z.from + z.to) / 2;
        QTest::addRow("%s top bound", z.zone) << x << 60 << "";
        QTest::addRow("%s just below top", z.zone) << x << 61 << z.zone;
        QTest::addRow("%s just above bottom", z.zone) << x << 419 << z.zone;
        QTest::addRow("%s bottom bound", z.zone) << x << 420 << "";
    }
    QTest::newRow("gap pin-minimise") << 737 << mid << "";
    QTest::newRow("gap minimise-maximise") << 1137 << mid << "";
    QTest::newRow("gap maximise-exit") << 1507 << mid << "";
    QTest::newRow("left of the pin") << 100 << mid << "";
    QTest::newRow("right of exit") << 1950 << mid << "";
}

void TestLayout::captionZones()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, zone);
    layout::CaptionZones expected;
    expected.pin = zone == QLatin1String("pin");
    expected.minimise = zone == QLatin1String("minimise");
    expected.maximise = zone == QLatin1String("maximise");
    expected.exit = zone == QLatin1String("exit");
    const layout::CaptionZones got = layout::captionZones(x, y);
    QCOMPARE(got.pin, expected.pin);
    QCOMPARE(got.minimise, expected.minimise);
    QCOMPARE(got.maximise, expected.maximise);
    QCOMPARE(got.exit, expected.exit);
}

void TestLayout::pixelsAfterResize_data()
{
    QTest::addColumn<Placed>("control");
    QTest::addColumn<QRect>("pixels"); // an empty size: the position alone
    using P = Placed;
    // 1024 x 768 pixels is a client area of 15360 x 11520 twips.
    QTest::newRow("ImgControl") << P::ImgControl << QRect(893, 0, 131, 37);
    QTest::newRow("Image11") << P::Image11 << QRect(969, 7, 22, 22);
    QTest::newRow("Image12") << P::Image12 << QRect(944, 7, 22, 22);
    QTest::newRow("Image9") << P::Image9 << QRect(994, 7, 24, 24);
    QTest::newRow("ImgTop") << P::ImgTop << QRect(916, 7, 22, 22);
    QTest::newRow("right1") << P::right1 << QRect(1021, 0, 3, 719);
    QTest::newRow("Picture1") << P::Picture1 << QRect(233, 31, 637, 60);
    QTest::newRow("bjbox") << P::bjbox << QRect(0, 135, 1024, 582);
    QTest::newRow("WebBrowser1") << P::WebBrowser1 << QRect(0, -3, 1024, 588);
    QTest::newRow("Image4") << P::Image4 << QRect(0, 717, 1024, 52);
    QTest::newRow("Image10") << P::Image10 << QRect(804, 106, 20, 20);
    QTest::newRow("Label2") << P::Label2 << QRect(280, 109, 0, 240);
    QTest::newRow("Label3") << P::Label3 << QRect(424, 109, 0, 240);
    QTest::newRow("labNotice") << P::labNotice << QRect(120, 740, 0, 240);
    QTest::newRow("Label4") << P::Label4 << QRect(455, 740, 73, 17);
}

void TestLayout::pixelsAfterResize()
{
    QFETCH(Placed, control);
    QFETCH(QRect, pixels);
    auto form = makeShownForm(QSize(1013, 667));
    QVERIFY(form);
    form->resize(1024, 768);
    QTRY_COMPARE(form->size(), QSize(1024, 768));
    const QRect got = placedWidget(*form, control)->geometry();
    if (pixels.size().isEmpty())
        QCOMPARE(got.topLeft(), pixels.topLeft());
    else
        QCOMPARE(got, pixels);
}

void TestLayout::cursorRule_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("hand");
    for (const char *name : {"Label5", "Label2", "ds", "yy3", "labNotice", "Label3", "Label7"})
        QTest::newRow(name) << name << true;
    for (const char *name : {"Label1", "Label4", "Label6"})
        QTest::newRow(name) << name << false;
}

void TestLayout::cursorRule()
{
    QFETCH(QString, label);
    QFETCH(bool, hand);
    Form1 form(m_run);
    auto *control = qobject_cast<forms::Label *>(form.control(label));
    QVERIFY(control);
    // Until the first pass every label but labSponsor shows the arrow.
    QCOMPARE(control->cursor().shape(), Qt::ArrowCursor);

    form.Form_Resize();
    const QCursor sponsorHand = form.labSponsor->mouseIcon();
    QCOMPARE(form.labSponsor->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(control->hasMouseIcon(), hand);
    if (hand) {
        QCOMPARE(control->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(control->cursor().hotSpot(), QPoint(12, 1));
        QCOMPARE(control->cursor().pixmap().toImage(), sponsorHand.pixmap().toImage());
    } else {
        QCOMPARE(control->cursor().shape(), Qt::ArrowCursor);
    }
}

void TestLayout::frontControl_data()
{
    QTest::addColumn<QPoint>("twips");
    QTest::addColumn<QString>("front");
    // Start-up size, so the points are those of the first pass.
    QTest::newRow("live caption over its tab") << QPoint(8125 + 300, 1630 + 90) << "ds";
    QTest::newRow("app caption over its tab") << QPoint(10180 + 300, 1630 + 90) << "yy3";
    QTest::newRow("film caption over the double tab") << QPoint(4195 + 300, 1640 + 90) << "Label2";
    QTest::newRow("film icon over the double tab") << QPoint(3895 + 100, 1630 + 100) << "Image6";
    QTest::newRow("play icon over the double tab") << QPoint(6055 + 100, 1630 + 100) << "Image8";
    QTest::newRow("hidden double tab under the browser")
        << QPoint(1440 + 2000, 4320 + 270) << "WebBrowser1";
    QTest::newRow("app tab copy under the browser")
        << QPoint(10200 + 1000, 4560 + 270) << "WebBrowser1";
    QTest::newRow("lit app tab under the browser")
        << QPoint(5520 + 1000, 4080 + 270) << "WebBrowser1";
    QTest::newRow("left border over the browser") << QPoint(20, 5000) << "left1";
    QTest::newRow("right border over the browser") << QPoint(15180, 5000) << "right1";
    QTest::newRow("banner over the logo") << QPoint(3530, 800) << "WebBrowser2";
    // The banner page lies inside its holder's one-pixel border.
    QTest::newRow("banner's border, left") << QPoint(3500, 800) << "Picture1";
    QTest::newRow("banner's border, top") << QPoint(5000, 470) << "Picture1";
    QTest::newRow("news ticker over the bar") << QPoint(1800 + 60, 9580 + 60) << "labNotice";
    QTest::newRow("empty pin over the strip") << QPoint(13580 + 150, 100 + 150) << "ImgTop";
    QTest::newRow("strip between buttons") << QPoint(13235 + 1000, 500) << "ImgControl";
    QTest::newRow("welcome line") << QPoint(3495 + 300, 180 + 90) << "Label6";
}

void TestLayout::frontControl()
{
    QFETCH(QPoint, twips);
    QFETCH(QString, front);
    auto form = makeShownForm(QSize(1013, 667));
    QVERIFY(form);
    QWidget *expected = form->control(front);
    QVERIFY(expected);
    const QPoint at(forms::twipsToPixels(twips.x()), forms::twipsToPixels(twips.y()));
    QWidget *found = form->childAt(at);
    QVERIFY2(found, qPrintable(front));
    // A browser view is made of widgets of its own.
    QVERIFY2(found == expected ||
                 (qobject_cast<BrowserView *>(expected) && expected->isAncestorOf(found)),
             qPrintable(QStringLiteral("%1 lies in front").arg(found->metaObject()->className())));
}

void TestLayout::labelSizes_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption"); // empty: the design caption
    QTest::addColumn<QSize>("twips");     // an empty height: the width alone
    // Sized to their text: 12 pixels a Chinese character, 6 a Latin one.
    QTest::newRow("news ticker") << "labNotice"
                                 << "" << QSize(1170, 0);
    QTest::newRow("sponsor ticker") << "labSponsor"
                                    << "" << QSize(1170, 0);
    QTest::newRow("guestbook") << "Label7"
                               << "" << QSize(810, 0);
    QTest::newRow("home") << "Label5"
                          << "" << QSize(900, 0);
    QTest::newRow("news heading") << "Label1"
                                  << "" << QSize(900, 0);
    QTest::newRow("video on demand") << "Label3"
                                     << "" << QSize(720, 0);
    QTest::newRow("news ticker follows its caption") << "labNotice"
                                                     << "新片上线" << QSize(720, 0);
    QTest::newRow("news ticker, mixed caption") << "labNotice"
                                                << "第1集" << QSize(450, 0);
    // Fixed boxes clip their text.
    QTest::newRow("sponsor heading") << "Label4"
                                     << "" << QSize(1095, 255);
    QTest::newRow("sponsor heading, long") << "Label4"
                                           << "合作伙伴与赞助商：" << QSize(1095, 255);
    QTest::newRow("live caption") << "ds"
                                  << "" << QSize(720, 190);
    QTest::newRow("app caption") << "yy3"
                                 << "" << QSize(720, 190);
}

void TestLayout::labelSizes()
{
    QFETCH(QString, label);
    QFETCH(QString, caption);
    QFETCH(QSize, twips);
    Form1 form(m_run);
    auto *control = qobject_cast<forms::Label *>(form.control(label));
    QVERIFY(control);
    if (!caption.isEmpty())
        control->setCaption(caption);
    QCOMPARE(control->widthTwips(), twips.width());
    if (twips.height() > 0)
        QCOMPARE(control->heightTwips(), twips.height());
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
