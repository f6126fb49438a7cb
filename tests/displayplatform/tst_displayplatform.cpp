// The window system plugin chosen for each kind of session.
#include "displayplatform.h"
#include "environment.h"

#include <QtTest>

class TestDisplayPlatform : public QObject
{
    Q_OBJECT

private slots:
    void choose_data();
    void choose();
    void installedPluginsByName();
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

QTEST_GUILESS_MAIN(TestDisplayPlatform)
#include "tst_displayplatform.moc"
