// Where the three settings come from: the environment over the user's file
// over the system's files over the built-in values, and what is skipped.
#include "environment.h"
#include "settings.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(UpdateCheckMode)

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
} // namespace

// Two system folders (the first wins), the user's folder and the environment.
// A file's text is written as is; "" leaves the file out.
void TestSettings::precedence_data()
{
    QTest::addColumn<QString>("system1");
    QTest::addColumn<QString>("system2");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("portalRoot");
    QTest::addColumn<QString>("homeSiteUrl");
    QTest::addColumn<UpdateCheckMode>("updateCheck");
    QTest::addColumn<QStringList>("complaints"); // a part of each line, in order

    const QString builtInRoot = QStringLiteral(BUILT_IN_PORTAL_ROOT);
    const QString builtInHome = QStringLiteral(BUILT_IN_HOME_SITE_URL);
    const QString portalA = "[Portal]\nPortalRoot=" + a + "\n";
    const QString both =
        "[Portal]\nPortalRoot=" + b + "\nHomeSiteUrl=" + b + "\n[Update]\nUpdateCheck=never\n";
    const auto draw = UpdateCheckMode::Draw;

    QTest::newRow("nothing set") << ""
                                 << ""
                                 << "" << QStringList() << builtInRoot << builtInHome << draw
                                 << QStringList();
    QTest::newRow("system file") << portalA << ""
                                 << "" << QStringList() << a << builtInHome << draw
                                 << QStringList();
    QTest::newRow("first system folder wins") << portalA << both << "" << QStringList() << a << b
                                              << UpdateCheckMode::Never << QStringList();
    QTest::newRow("user over system")
        << both << ""
        << "[Portal]\nPortalRoot=" + c + "\n[Update]\nUpdateCheck=Always\n"
        << QStringList() << c << b << UpdateCheckMode::Always << QStringList();
    QTest::newRow("environment over files")
        << both << "" << portalA
        << QStringList{"VELTARO_PORTAL_ROOT=" + c, "VELTARO_UPDATE_CHECK=draw"} << c << b << draw
        << QStringList();
    QTest::newRow("empty variable is unset") << ""
                                             << "" << portalA << QStringList{"VELTARO_PORTAL_ROOT="}
                                             << a << builtInHome << draw << QStringList();
    QTest::newRow("bad user value falls back to system")
        << portalA << ""
        << "[Portal]\nPortalRoot=ftp://c.example/\n"
        << QStringList() << a << builtInHome << draw
        << QStringList{"user/veltaro/veltaro.conf: Portal/PortalRoot"};
    QTest::newRow("not addresses at all")
        << "[Portal]\nPortalRoot=portal.example/kinotray/\nHomeSiteUrl=http://\n"
           "[Update]\nUpdateCheck=sometimes\n"
        << ""
        << "" << QStringList() << builtInRoot << builtInHome << draw
        << QStringList{"system1/veltaro/veltaro.conf: Portal/PortalRoot",
                       "system1/veltaro/veltaro.conf: Portal/HomeSiteUrl",
                       "system1/veltaro/veltaro.conf: Update/UpdateCheck"};
    QTest::newRow("bad variable falls back to the user file")
        << ""
        << "" << portalA
        << QStringList{"VELTARO_PORTAL_ROOT=file:///etc/passwd", "VELTARO_UPDATE_CHECK=yes"} << a
        << builtInHome << draw
        << QStringList{"VELTARO_PORTAL_ROOT: unusable value \"file:///etc/passwd\"",
                       "VELTARO_UPDATE_CHECK"};
    QTest::newRow("key outside its group is not read")
        << "PortalRoot=" + a + "\n[Update]\nPortalRoot=" + a + "\n"
        << ""
        << "" << QStringList() << builtInRoot << builtInHome << draw << QStringList();
    QTest::newRow("unreadable bytes are no address")
        << QStringLiteral("[Portal]\nHomeSiteUrl=http://exa mple/\n") << ""
        << "" << QStringList() << builtInRoot << builtInHome << draw
        << QStringList{"Portal/HomeSiteUrl"};
}

void TestSettings::precedence()
{
    QFETCH(QString, system1);
    QFETCH(QString, system2);
    QFETCH(QString, user);
    QFETCH(QStringList, environment);
    QTemporaryDir dir;
    QProcessEnvironment env = environmentOf(environment);
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), dir.filePath(QStringLiteral("system1")) + ':' +
                                                      dir.filePath(QStringLiteral("system2")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("user")));
    const QStringList texts{system1, system2, user};
    const QStringList folders{QStringLiteral("system1"), QStringLiteral("system2"),
                              QStringLiteral("user")};
    for (int i = 0; i < 3; ++i)
        if (!texts[i].isEmpty())
            writeFile(dir.filePath(folders[i] + QStringLiteral("/veltaro/veltaro.conf")),
                      texts[i].toUtf8());

    const Settings s = resolveSettings(env);
    QTEST(s.portalRoot, "portalRoot");
    QTEST(s.homeSiteUrl, "homeSiteUrl");
    QTEST(s.updateCheck, "updateCheck");
    QFETCH(QStringList, complaints);
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
