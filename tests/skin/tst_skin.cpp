// The skin pictures: the layout and the hover zones are computed from their
// sizes, the programs load them by name, and the hover pictures must sit
// seamlessly on the pictures they are shown over.
#include "skinpicture.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QtEndian>
#include <QtTest>

namespace
{

QString res(const QString &name)
{
    return QStringLiteral(":/skin/") + name;
}

QImage load(const QString &name)
{
    QImage img(res(name));
    if (img.isNull())
        qWarning("cannot read %s", qPrintable(name));
    return img.convertToFormat(QImage::Format_ARGB32);
}

QByteArray bytes(const QString &name)
{
    QFile f(res(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int maxChannelDiff(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

// Bounding box of the pixels brighter than a threshold.
QRect brightBox(const QImage &img, const QRect &area, int threshold)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(img.pixel(x, y)) > threshold)
                box |= QRect(x - area.left(), y - area.top(), 1, 1);
    return box;
}

// Every picture of both skins: format, pixel size and, for the palette
// bitmaps, the bits per pixel (0: any).
const struct {
    const char *name, *format;
    int w, h, bits;
} pictures[] = {
    {"home_tab.bmp", "bmp", 137, 37, 8},
    {"tab_double_none.gif", "gif", 274, 37, 0},
    {"tab_double_left.bmp", "bmp", 274, 37, 0},
    {"tab_double_right.bmp", "bmp", 274, 37, 0},
    {"tab_live.gif", "gif", 137, 37, 0},
    {"tab_live_lit.gif", "gif", 137, 37, 0},
    {"tab_app.gif", "gif", 137, 37, 0},
    {"tab_app_lit.gif", "gif", 137, 37, 0},
    {"pin_flat_framed.bmp", "bmp", 22, 22, 0},
    {"pin_upright.bmp", "bmp", 22, 22, 0},
    {"pin_upright_framed.bmp", "bmp", 22, 22, 0},
    {"min_lit.jpg", "jpeg", 22, 22, 0},
    {"max_lit.jpg", "jpeg", 22, 22, 0},
    {"close_lit.jpg", "jpeg", 24, 24, 0},
    {"caption_strip.bmp", "bmp", 131, 37, 0},
    {"orchid.bmp", "bmp", 110, 90, 8},
    {"logo.jpg", "jpeg", 220, 66, 0},
    {"bottom_bar.bmp", "bmp", 5000, 52, 0},
    {"border.jpg", "jpeg", 3, 3000, 0},
    {"guestbook.bmp", "bmp", 20, 20, 0},
    {"sponsor.gif", "gif", 16, 16, 0},
    {"news.gif", "gif", 16, 16, 0},
    {"play.bmp", "bmp", 14, 14, 0},
    {"film.bmp", "bmp", 14, 14, 0},
    {"frminf_close.gif", "gif", 40, 14, 0},
    {"veltaro.ico", "ico", 128, 128, 0},
    {"hand.cur", "cur", 32, 32, 0},
    {"update_background.jpg", "jpeg", 350, 236, 0},
    {"update.ico", "ico", 32, 32, 0},
};

} // namespace

class TestSkin : public QObject
{
    Q_OBJECT
private slots:
    void picture_data();
    void picture();
    void skinHoldsExactlyThesePictures();
    void iconImages_data();
    void iconImages();
    void cursorHotSpotOnFingertip_data();
    void cursorHotSpotOnFingertip();
    void seamlessOverlay_data();
    void seamlessOverlay();
    void litGlyphOverRestingGlyph_data();
    void litGlyphOverRestingGlyph();
};

void TestSkin::picture_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("bmpBits");

    for (const auto &r : pictures) {
        const QString name = QString::fromLatin1(r.name);
        QTest::newRow(r.name) << name << QByteArray(r.format) << QSize(r.w, r.h) << r.bits;
        // High-DPI screens show a twin of twice the pixels; the icons have
        // sizes of their own.
        if (QByteArray(r.format) != "ico")
            QTest::addRow("%s@2x", r.name)
                << doubleSizePath(name) << QByteArray(r.format) << QSize(r.w, r.h) * 2 << r.bits;
    }
}

void TestSkin::picture()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    QFETCH(QSize, size);
    QFETCH(int, bmpBits);

    // The format is judged by the content, not by the name.
    QImageReader reader(res(name), format == "cur" ? format : QByteArray());
    QCOMPARE(reader.format(), format);
    const QImage img = reader.read();
    QVERIFY2(!img.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(img.size(), size);
    if (bmpBits) {
        const QByteArray b = bytes(name);
        QCOMPARE(qFromLittleEndian<quint16>(b.constData() + 28), quint16(bmpBits));
        QCOMPARE(qFromLittleEndian<quint32>(b.constData() + 30), quint32(0)); // no compression
    }
}

void TestSkin::skinHoldsExactlyThesePictures()
{
    QSet<QString> listed;
    for (QDirIterator it(QStringLiteral(":/skin")); it.hasNext();)
        listed.insert(it.next().mid(7));
    QSet<QString> expected;
    for (const auto &r : pictures) {
        expected.insert(QString::fromLatin1(r.name));
        if (QByteArray(r.format) != "ico")
            expected.insert(doubleSizePath(QString::fromLatin1(r.name)));
    }
    QCOMPARE(listed, expected);
}

void TestSkin::iconImages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<int>>("sizes");
    QTest::newRow("product") << "veltaro.ico" << QList<int>{128, 64, 48, 32, 16};
    QTest::newRow("updater") << "update.ico" << QList<int>{32};
}

void TestSkin::iconImages()
{
    QFETCH(QString, name);
    QFETCH(QList<int>, sizes);
    QImageReader reader(res(name));
    QCOMPARE(reader.imageCount(), sizes.size());
    QList<int> found;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage img = reader.read();
        QCOMPARE(img.width(), img.height());
        found << img.width();
        // The corners are see-through, the middle is not: a round symbol.
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(img.pixel(img.width() / 2, img.height() / 2)), 255);
    }
    QCOMPARE(found, sizes);
}

void TestSkin::cursorHotSpotOnFingertip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("scale");
    QTest::newRow("1x") << "hand.cur" << 1;
    QTest::newRow("2x") << "hand@2x.cur" << 2;
}

void TestSkin::cursorHotSpotOnFingertip()
{
    QFETCH(QString, name);
    QFETCH(int, scale);
    const int n = 32 * scale;
    const QByteArray b = bytes(name);
    QVERIFY(b.size() > 22);
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(b.constData() + at); };
    QCOMPARE(u16(2), quint16(2)); // a cursor, not an icon
    QCOMPARE(u16(4), quint16(1));
    QCOMPARE(quint8(b[6]), quint8(n));
    QCOMPARE(quint8(b[7]), quint8(n));
    QCOMPARE(quint8(b[8]), quint8(16));
    QCOMPARE(u16(10), quint16(12 * scale));
    QCOMPARE(u16(12), quint16(scale));

    // The hot spot is the topmost pixel of the raised finger.
    QImageReader reader(res(name), "cur");
    const QImage img = reader.read().convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!img.isNull());
    QCOMPARE(qAlpha(img.pixel(12 * scale, scale)), 255);
    for (int y = 0; y < scale; ++y)
        for (int x = 0; x < n; ++x)
            QCOMPARE(qAlpha(img.pixel(x, y)), 0);
    for (int x = 0; x < n; ++x)
        if (x < 11 * scale || x >= 14 * scale)
            QCOMPARE(qAlpha(img.pixel(x, scale)), 0);
}

void TestSkin::seamlessOverlay_data()
{
    // A small picture shown over a larger one: its outermost pixels match
    // what lies under them, so no box shows around it.
    QTest::addColumn<QString>("top");
    QTest::addColumn<QString>("under");
    QTest::addColumn<QPoint>("at");
    QTest::newRow("pin upright on strip") << "pin_upright.bmp"
                                          << "caption_strip.bmp" << QPoint(23, 7);
    for (const char *tab : {"tab_double_none.gif", "tab_double_left.bmp", "tab_double_right.bmp"}) {
        QTest::newRow(qPrintable(QStringLiteral("film on ") + tab))
            << "film.bmp" << tab << QPoint(32, 12);
        QTest::newRow(qPrintable(QStringLiteral("play on ") + tab))
            << "play.bmp" << tab << QPoint(176, 12);
    }
    QTest::newRow("news on bar") << "news.gif"
                                 << "bottom_bar.bmp" << QPoint(33, 21);
    QTest::newRow("sponsor on bar") << "sponsor.gif"
                                    << "bottom_bar.bmp" << QPoint(435, 21);
}

void TestSkin::seamlessOverlay()
{
    QFETCH(QString, top);
    QFETCH(QString, under);
    QFETCH(QPoint, at);
    const QImage small = load(top), big = load(under);
    const int w = small.width(), h = small.height();
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
                worst = std::max(
                    worst, maxChannelDiff(small.pixel(x, y), big.pixel(at.x() + x, at.y() + y)));
    QVERIFY2(worst <= 8, qPrintable(QStringLiteral("edge differs by %1").arg(worst)));
}

void TestSkin::litGlyphOverRestingGlyph_data()
{
    // Lighting a caption button must look like its resting glyph glowing,
    // so both glyphs cover the same place.
    QTest::addColumn<QString>("lit");
    QTest::addColumn<int>("left");
    QTest::newRow("pin") << "pin_flat_framed.bmp" << 23;
    QTest::newRow("minimise") << "min_lit.jpg" << 51;
    QTest::newRow("maximise") << "max_lit.jpg" << 76;
    QTest::newRow("close") << "close_lit.jpg" << 101;
}

void TestSkin::litGlyphOverRestingGlyph()
{
    QFETCH(QString, lit);
    QFETCH(int, left);
    const QImage strip = load(QStringLiteral("caption_strip.bmp"));
    const QImage button = load(lit);
    const QRect area(QPoint(left, 7), button.size());
    const QRect resting = brightBox(strip, area, 110);
    const QRect glowing = brightBox(button, button.rect(), 225);
    QVERIFY(!resting.isEmpty());
    QVERIFY(!glowing.isEmpty());
    QVERIFY2((resting.center() - glowing.center()).manhattanLength() <= 1,
             qPrintable(QStringLiteral("resting centre (%1,%2), lit centre (%3,%4)")
                            .arg(resting.center().x())
                            .arg(resting.center().y())
                            .arg(glowing.center().x())
                            .arg(glowing.center().y())));
    QVERIFY(std::abs(resting.width() - glowing.width()) <= 2);
    QVERIFY(std::abs(resting.height() - glowing.height()) <= 2);
}

QTEST_GUILESS_MAIN(TestSkin)
#include "tst_skin.moc"
