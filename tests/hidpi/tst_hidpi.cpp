// Form1 on a scaled screen (QT_SCALE_FACTOR from the test's environment):
// every picture keeps its place and size in the layout, and what the window
// draws is the twice-as-large twin, not the 1x picture blown up.
#include "mainwindow/form1.h"
#include "skinpicture.h"

#include <QtTest>

class TestHighDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pictures_data();
    void pictures();
    void handCursor();

private:
    Run m_run{Seams::system()};
    Seams &m_seams = m_run.seams;
    std::unique_ptr<Form1> m_form;
    qreal m_ratio = 1;
};

namespace
{

// Mean difference per channel, 0 to 255.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return 255;
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return double(sum) / (3.0 * x.width() * x.height());
}

using Control = forms::Image *Form1::*;
// Each control with its design picture and the part of it (1x pixels) that
// has fine detail: a blown-up picture shows there.
const struct {
    const char *picture;
    Control control;
    QRect detail;
} shown[] = {
    {"logo.jpg", &Form1::ImLogo, {0, 0, 220, 66}},
    {"tab_live.gif", &Form1::Im, {8, 4, 36, 30}},
    {"tab_app.gif", &Form1::yy, {8, 4, 36, 30}},
    {"home_tab.bmp", &Form1::Image1, {8, 4, 36, 30}},
    {"caption_strip.bmp", &Form1::ImgControl, {0, 0, 131, 37}},
    {"orchid.bmp", &Form1::Image14, {0, 0, 110, 90}},
};

} // namespace

void TestHighDpi::initTestCase()
{
    m_ratio = qApp->devicePixelRatio();
    QVERIFY2(m_ratio > 1, "run with QT_SCALE_FACTOR above 1");
    m_form = std::make_unique<Form1>(m_run);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestHighDpi::pictures_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(shown)); ++i)
        QTest::newRow(shown[i].picture) << i;
}

void TestHighDpi::pictures()
{
    QFETCH(int, index);
    const QString name = QStringLiteral(":/skin/") + QLatin1String(shown[index].picture);
    forms::Image *control = (*m_form).*shown[index].control;
    const QImage design(name);
    // Indexed pictures scale smoothly only once converted.
    const QImage twin = QImage(doubleSizePath(name)).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(twin.size(), design.size() * 2);

    // The layout sees the design size, in logical pixels.
    QCOMPARE(control->picture().deviceIndependentSize().toSize(), design.size());
    QCOMPARE(control->size(), design.size());
    QCOMPARE(control->picture().devicePixelRatio(), m_ratio);

    // What the control draws, pixel for pixel on the screen.
    const QImage drawn = control->grab().toImage();
    const QSize device = drawn.size();
    QCOMPARE(device, (QSizeF(design.size()) * m_ratio).toSize());
    const QImage blownUp = design.scaled(device, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const QImage sharp = twin.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double toSharp = meanDifference(drawn, sharp);
    const QRectF part = QRectF(shown[index].detail);
    const QRect detail((part.topLeft() * m_ratio).toPoint(), (part.size() * m_ratio).toSize());
    const double toBlownUp = meanDifference(drawn.copy(detail), blownUp.copy(detail));
    qInfo("mean difference: %.3f to the twin, %.3f to the 1x picture blown up where the detail is",
          toSharp, toBlownUp);
    QVERIFY(toSharp < 0.5);
    QVERIFY(toBlownUp > 1.0);
}

void TestHighDpi::handCursor()
{
    const QPixmap hand = m_form->labSponsor->mouseIcon().pixmap();
    QCOMPARE(hand.devicePixelRatio(), m_ratio);
    QCOMPARE(hand.deviceIndependentSize().toSize(), QSize(32, 32));
    QCOMPARE(m_form->labSponsor->mouseIcon().hotSpot(), QPoint(12, 1));
}

QTEST_MAIN(TestHighDpi)
#include "tst_hidpi.moc"
