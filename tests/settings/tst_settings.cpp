// Where the three settings come from: the environment over the user's file
// over the system's files over the built-in values, and what is skipped.
#include "environment.h"
#include "settings.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void precedence_data();
    void precedence();
    void fileLocations_data();
    void fileLocations();
};

namespace
{
const QString a = QStringLiteral("http://a.example/kinotray/");
const QString b = QStringLiteral("https://b.example/kinotray/");
const QString c = QStringLiteral("http://c.example/kinotray/");
const char *modeNames[] = {"draw", "always", "never"};
} // namespace

// The files of two system folders (the first wins) and the user's folder, ""
// for none; the environment; what comes out (portal, home site, update
// check); and a part of each complaint, in order.
void TestSettings::precedence_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QStringList>("result");
    QTest::addColumn<QStringList>("complaints");

    const QString root = QStringLiteral(BUILT_IN_PORTAL_ROOT);
    const QString home = QStringLiteral(BUILT_IN_HOME_SITE_URL);
    const QString portalA = "[Portal]\nPortalRoot=" + a + "\n";
    const QString allB =
        "[Portal]\nPortalRoot=" + b + "\nHomeSiteUrl=" + b + "\n[Update]\nUpdateCheck=never\n";
    const QString system = "system1/veltaro/veltaro.conf: ";

    QTest::newRow("nothing set") << QStringList{"", "", ""} << QStringList()
                                 << QStringList{root, home, "draw"} << QStringList();
    QTest::newRow("first system folder wins") << QStringList{portalA, allB, ""} << QStringList()
                                              << QStringList{a, b, "never"} << QStringList();
    QTest::newRow("user over system")
        << QStringList{allB, "", "[Portal]\nPortalRoot=" + c + "\n[Update]\nUpdateCheck=Always\n"}
        << QStringList() << QStringList{c, b, "always"} << QStringList();
    QTest::newRow("environment over files")
        << QStringList{allB, "", portalA}
        << QStringList{"VELTARO_PORTAL_ROOT=" + c, "VELTARO_UPDATE_CHECK=draw"}
        << QStringList{c, b, "draw"} << QStringList();
    QTest::newRow("empty variable is unset")
        << QStringList{"", "", portalA} << QStringList{"VELTARO_PORTAL_ROOT="}
        << QStringList{a, home, "draw"} << QStringList();
    QTest::newRow("bad user value falls back to system")
        << QStringList{portalA, "", "[Portal]\nPortalRoot=ftp://c.example/\n"} << QStringList()
        << QStringList{a, home, "draw"}
        << QStringList{"user/veltaro/veltaro.conf: Portal/PortalRoot"};
    QTest::newRow("not addresses at all")
        << QStringList{"[Portal]\nPortalRoot=portal.example/kinotray/\nHomeSiteUrl=http://\n"
                       "[Update]\nUpdateCheck=sometimes\n",
                       "", ""}
        << QStringList() << QStringList{root, home, "draw"}
        << QStringList{system + "Portal/PortalRoot", system + "Portal/HomeSiteUrl",
                       system + "Update/UpdateCheck"};
    QTest::newRow("bad variable falls back to the user file")
        << QStringList{"", "", portalA}
        << QStringList{"VELTARO_PORTAL_ROOT=file:///etc/passwd", "VELTARO_UPDATE_CHECK=yes"}
        << QStringList{a, home, "draw"}
        << QStringList{"VELTARO_PORTAL_ROOT: unusable value \"file:///etc/passwd\"",
                       "VELTARO_UPDATE_CHECK"};
    QTest::newRow("key outside its group is not read")
        << QStringList{"PortalRoot=" + a + "\n[Update]\nPortalRoot=" + a + "\n", "", ""}
        << QStringList() << QStringList{root, home, "draw"} << QStringList();
    QTest::newRow("space in the host")
        << QStringList{"[Portal]\nHomeSiteUrl=http://exa mple/\n", "", ""} << QStringList()
        << QStringList{root, home, "draw"} << QStringList{"Portal/HomeSiteUrl"};
}

void TestSettings::precedence()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, environment);
    QFETCH(QStringList, complaints);
    QTemporaryDir dir;
    QProcessEnvironment env = environmentOf(environment);
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), dir.filePath(QStringLiteral("system1")) + ':' +
                                                      dir.filePath(QStringLiteral("system2")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("user")));
    const char *folders[] = {"system1", "system2", "user"};
    for (int i = 0; i < 3; ++i)
        if (!files[i].isEmpty())
            writeFile(dir.filePath(QLatin1String(folders[i]) + "/veltaro/veltaro.conf"),
                      files[i].toUtf8());

    const Settings s = resolveSettings(env);
    QTEST(QStringList({s.portalRoot, s.homeSiteUrl, modeNames[int(s.updateCheck)]}), "result");
    QCOMPARE(s.complaints.size(), complaints.size());
    for (int i = 0; i < complaints.size(); ++i)
        QVERIFY2(s.complaints[i].contains(complaints[i]), qPrintable(s.complaints[i]));
}

void TestSettings::fileLocations_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QStringList>("files");

    QTest::newRow("defaults") << QStringList{"HOME=/home/u"}
                              << QStringList{"/etc/xdg/veltaro/veltaro.conf",
                                             "/home/u/.config/veltaro/veltaro.conf"};
    QTest::newRow("relative entries are skipped")
        << QStringList{"HOME=/home/u", "XDG_CONFIG_DIRS=etc::/opt/etc/", "XDG_CONFIG_HOME=conf"}
        << QStringList{"/opt/etc/veltaro/veltaro.conf", "/home/u/.config/veltaro/veltaro.conf"};
    QTest::newRow("only relative system entries")
        << QStringList{"HOME=/h", "XDG_CONFIG_DIRS=etc", "XDG_CONFIG_HOME=/c"}
        << QStringList{"/etc/xdg/veltaro/veltaro.conf", "/c/veltaro/veltaro.conf"};
}

void TestSettings::fileLocations()
{
    QFETCH(QStringList, environment);
    QTEST(settingsFiles(environmentOf(environment)), "files");
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
