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
    // The extents a size refuses (they would come out negative) are those of
    // the pass before, or of the design when there was none.
    QTest::addColumn<Sizes>("sizes");
    QTest::addColumn<bool>("stripsRefused"); // the border strips' heights
    QTest::addColumn<bool>("linesRefused");  // the two lines' widths
    QTest::addColumn<bool>("holderRefused"); // the page holder's height
    QTest::newRow("start-up") << Sizes{startUp} << false << false << false;
    QTest::newRow("full screen") << Sizes{startUp, fullScreen} << false << false << false;
    QTest::newRow("minimised") << Sizes{startUp, QSize(0, 0)} << true << true << true;
    QTest::newRow("minimised before any real size") << Sizes{QSize(0, 0)} << true << true << true;
    QTest::newRow("low") << Sizes{startUp, QSize(15200, 2000)} << false << false << true;
    // Just at the sizes where the extents stop being refused.
    QTest::newRow("edges") << Sizes{startUp, QSize(100, 2785)} << false << false << false;
}

void TestLayout::placesControls()
{
    QFETCH(Sizes, sizes);
    QFETCH(bool, stripsRefused);
    QFETCH(bool, linesRefused);
    QFETCH(bool, holderRefused);
    using P = Placed;
    const Geometry before = passes(sizes.mid(0, sizes.size() - 1));
    const Geometry g = passes(sizes);
    const int W = sizes.last().width();
    const int H = sizes.last().height();
    const auto right = [&](P c) { return g[c].left() + g[c].width(); };
    const auto bottom = [&](P c) { return g[c].top() + g[c].height(); };
    const auto across = [&](P inner, P outer) {
        return g[inner].top() >= g[outer].top() && bottom(inner) <= bottom(outer);
    };
    const auto inside = [&](P inner, P outer) {
        return across(inner, outer) && g[inner].left() >= g[outer].left() &&
               right(inner) <= right(outer);
    };

    // The tabs lie edge to edge in one row, and their icons and captions on them.
    for (P tab : {P::Image2, P::Im, P::yy})
        QCOMPARE(g[tab].top(), g[P::Image1].top());
    QCOMPARE(g[P::Image2].left(), right(P::Image1));
    QCOMPARE(g[P::Im].left(), right(P::Image2));
    QCOMPARE(g[P::yy].left(), right(P::Im));
    for (auto [on, tab] : {std::pair{P::Label5, P::Image1}, {P::Image6, P::Image2},
                           {P::Label2, P::Image2}, {P::Image8, P::Image2}, {P::Label3, P::Image2},
                           {P::ds, P::Im}, {P::yy3, P::yy}})
        QVERIFY2(inside(on, tab), qPrintable(QString::number(int(on))));

    // The caption strip stands against the right edge, its buttons on it, and
    // the right border strip against the edge too, to a pixel.
    QCOMPARE(right(P::ImgControl), W);
    QCOMPARE(g[P::ImgControl].top(), 0);
    for (P button : {P::ImgTop, P::Image12, P::Image11, P::Image9})
        QVERIFY2(inside(button, P::ImgControl), qPrintable(QString::number(int(button))));
    QVERIFY(qAbs(right(P::right1) - W) < forms::kTwipsPerPixel);
    QCOMPARE(g[P::Image14].left(), g[P::ImgControl].left());
    QVERIFY(g[P::Image14].top() > bottom(P::ImgControl));
    // The message board's caption left of the picture below the strip, its icon left of it.
    QVERIFY(right(P::Label7) < g[P::Image14].left());
    QVERIFY(right(P::Image10) < g[P::Label7].left());

    // Down the window: the line under the tabs, the page holder, the bottom bar.
    QCOMPARE(g[P::Picture3].top(), bottom(P::Image1));
    QCOMPARE(g[P::bjbox].top(), bottom(P::Picture3));
    QCOMPARE(g[P::Image4].top(), bottom(P::bjbox));
    QCOMPARE(g[P::bjbox].left(), 0);
    QCOMPARE(g[P::bjbox].width(), W);
    QCOMPARE(g[P::Image4].width(), W);
    // The page fills its holder and overhangs it as much above as below.
    QCOMPARE(g[P::WebBrowser1].left(), 0);
    QCOMPARE(g[P::WebBrowser1].width(), g[P::bjbox].width());
    QVERIFY(g[P::WebBrowser1].top() < 0);
    QCOMPARE(g[P::WebBrowser1].height(), g[P::bjbox].height() - 2 * g[P::WebBrowser1].top());
    // The bar's icons and captions lie across it, the captions on one line,
    // each icon before its caption.
    for (P on : {P::Image3, P::Label1, P::labNotice, P::Image13, P::Label4, P::labSponsor})
        QVERIFY2(across(on, P::Image4), qPrintable(QString::number(int(on))));
    for (P caption : {P::Label1, P::labNotice, P::Label4, P::labSponsor})
        QCOMPARE(g[caption].top(), g[P::Label1].top());
    for (auto [icon, caption] : {std::pair{P::Image3, P::Label1}, {P::Image13, P::Label4},
                                 {P::Image6, P::Label2}, {P::Image8, P::Label3}})
        QVERIFY(right(icon) < g[caption].left());

    // The border strips run from the top down into the band of the bottom
    // bar; the lines lie between them; the bar reaches the bottom edge, to a
    // pixel and a half.
    QCOMPARE(g[P::left1].topLeft(), QPoint(0, 0));
    QCOMPARE(g[P::right1].height(), g[P::left1].height());
    if (stripsRefused) {
        QCOMPARE(g[P::left1].height(), before[P::left1].height());
    } else {
        QVERIFY(bottom(P::left1) > H - g[P::Image4].height());
        QVERIFY(bottom(P::left1) < H);
    }
    for (P line : {P::Picture4, P::Picture3}) {
        QCOMPARE(g[line].left(), right(P::left1));
        if (linesRefused)
            QCOMPARE(g[line].width(), before[line].width());
        else
            QCOMPARE(right(line), W - g[P::right1].width());
    }
    if (holderRefused) {
        QCOMPARE(g[P::bjbox].height(), before[P::bjbox].height());
    } else {
        QVERIFY(bottom(P::Image4) >= H);
        QVERIFY(bottom(P::Image4) - H < 3 * forms::kTwipsPerPixel / 2);
    }
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
    QTest::addColumn<QString>("zone");
    QTest::addColumn<Placed>("button");
    QTest::newRow("pin") << "pin" << Placed::ImgTop;
    QTest::newRow("minimise") << "minimise" << Placed::Image12;
    QTest::newRow("maximise") << "maximise" << Placed::Image11;
    QTest::newRow("exit") << "exit" << Placed::Image9;
}

void TestLayout::captionZones()
{
    QFETCH(QString, zone);
    QFETCH(Placed, button);
    const Geometry g = passes({startUp});
    const QRect strip = g[Placed::ImgControl];
    // The button's picture, over the strip.
    const QRect picture = g[button].translated(-strip.topLeft());
    using Z = layout::CaptionZones;
    const QHash<QString, bool Z::*> members = {
        {"pin", &Z::pin}, {"minimise", &Z::minimise}, {"maximise", &Z::maximise}, {"exit", &Z::exit}};
    bool Z::*const member = members.value(zone);
    const auto in = [&](const Z &zones) { return zones.*member; };
    // Every twip around the strip: the zone is one rectangle on the strip,
    // under its button's picture to within three pixels, and no other
    // zone shares a point with it.
    QRect found;
    int points = 0;
    for (int y = -100; y < strip.height() + 100; ++y) {
        for (int x = -100; x < strip.width() + 100; ++x) {
            const layout::CaptionZones zones = layout::captionZones(x, y);
            if (!in(zones))
                continue;
            QVERIFY2(int(zones.pin) + zones.minimise + zones.maximise + zones.exit == 1,
                     qPrintable(QStringLiteral("%1, %2").arg(x).arg(y)));
            found |= QRect(x, y, 1, 1);
            ++points;
        }
    }
    QVERIFY(!found.isEmpty());
    QCOMPARE(points, found.width() * found.height());
    QVERIFY(QRect(QPoint(), strip.size()).contains(found));
    QVERIFY(found.contains(picture.center()));
    const int slack = 3 * forms::kTwipsPerPixel;
    QVERIFY2(picture.adjusted(-slack, -slack, slack, slack).contains(found),
             qPrintable(QStringLiteral("%1 %2").arg(found.x()).arg(found.right())));
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
