// The window system plugin chosen for each kind of session, where windows
// open, and the names the desktop knows the windows by.
#include "displayplatform.h"
#include "environment.h"
#include "windowing.h"

#include <QtTest>

class TestDisplayPlatform : public QObject
{
    Q_OBJECT

private slots:
    void choose_data();
    void choose();
    void installedPluginsByName();
    void centredIn_data();
    void centredIn();
    void namesMatchTheMenuEntry();
};

void TestDisplayPlatform::choose_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QStringList>("plugins");
    QTest::addColumn<QString>("chosen");

    const QStringList both{"offscreen", "wayland", "xcb"};
    QTest::newRow("X11 session") << QStringList{"DISPLAY=:0"} << both << "";
    QTest::newRow("no session at all") << QStringList() << both << "";
    QTest::newRow("Wayland with XWayland")
        << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:1", "XDG_SESSION_TYPE=wayland"}
        << both << "xcb";
    QTest::newRow("Wayland without XWayland")
        << QStringList{"WAYLAND_DISPLAY=wayland-0"} << both << "wayland";
    QTest::newRow("XWayland but no xcb plugin")
        << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:1"} << QStringList{"wayland"}
        << "wayland";
    QTest::newRow("neither: Qt reports it")
        << QStringList{"WAYLAND_DISPLAY=wayland-0"} << QStringList{"xcb", "offscreen"} << "";
    QTest::newRow("the user's choice stands")
        << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=:1", "QT_QPA_PLATFORM=wayland"} << both
        << "";
    QTest::newRow("empty variables are unset")
        << QStringList{"WAYLAND_DISPLAY=wayland-0", "DISPLAY=", "QT_QPA_PLATFORM="} << both
        << "wayland";
}

void TestDisplayPlatform::choose()
{
    QFETCH(QStringList, environment);
    QFETCH(QStringList, plugins);
    QTEST(displayplatform::choose(environmentOf(environment), plugins), "chosen");
}

// Names as QT_QPA_PLATFORM takes them, from the plugins on this machine.
void TestDisplayPlatform::installedPluginsByName()
{
    const QStringList names = displayplatform::installedPlugins();
    QVERIFY2(names.contains(QLatin1String("xcb")) && names.contains(QLatin1String("offscreen")),
             qPrintable(names.join(' ')));
    for (const QString &name : names)
        QVERIFY2(!name.startsWith(QLatin1String("libq")) && !name.endsWith(QLatin1String(".so")) &&
                     !name.contains(QLatin1Char('-')),
                 qPrintable(name));
}

void TestDisplayPlatform::centredIn_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("placed");

    QTest::newRow("1024x768, the main window")
        << QRect(0, 0, 1024, 768) << QSize(1013, 667) << QRect(5, 50, 1013, 667);
    QTest::newRow("a panel at the top shifts it down")
        << QRect(0, 30, 1024, 738) << QSize(1013, 667) << QRect(5, 65, 1013, 667);
    QTest::newRow("primary right of another monitor")
        << QRect(1920, 0, 1366, 768) << QSize(1013, 667) << QRect(2096, 50, 1013, 667);
    QTest::newRow("primary left of and above the origin")
        << QRect(-1366, -100, 1366, 768) << QSize(350, 236) << QRect(-858, 166, 350, 236);
    QTest::newRow("800x600: the window takes the area")
        << QRect(0, 0, 800, 600) << QSize(1013, 667) << QRect(0, 0, 800, 600);
    QTest::newRow("too tall only: full height, centred across")
        << QRect(100, 0, 1280, 600) << QSize(1013, 667) << QRect(233, 0, 1013, 600);
    QTest::newRow("exactly the area")
        << QRect(0, 0, 350, 236) << QSize(350, 236) << QRect(0, 0, 350, 236);
}

void TestDisplayPlatform::centredIn()
{
    QFETCH(QRect, area);
    QFETCH(QSize, size);
    QFETCH(QRect, placed);
    QCOMPARE(windowing::centredIn(area, size), placed);
    QVERIFY(area.contains(placed));
}

// The desktop matches windows to the menu entry by these names.
void TestDisplayPlatform::namesMatchTheMenuEntry()
{
    QFile entry(QStringLiteral(VELTARO_SOURCE_DIR "/cmake/veltaro.desktop.in"));
    QVERIFY(entry.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(entry.readAll()).split(QLatin1Char('\n'));
    QVERIFY(lines.contains(QStringLiteral("Name[zh_CN]=") + windowing::menuEntryName()));
    QVERIFY(lines.contains(QStringLiteral("StartupWMClass=") + windowing::windowClass()));
}

QTEST_GUILESS_MAIN(TestDisplayPlatform)
#include "tst_displayplatform.moc"
