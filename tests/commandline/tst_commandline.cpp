// --help, --version and bad options of the real programs, started with no
// display at all, and the parser the programs share.
#include "commandline.h"
#include "testfiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void programs_data();
    void programs();
    void programOptions_data();
    void programOptions();
};

// A copy of a program beside an install folder's ClientInfor.inf ("" for
// none) answers with that file's version.
void TestCommandLine::programs_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("clientInfor");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // patterns, matched anywhere
    QTest::addColumn<QString>("err");

    const QString built = QStringLiteral(BUILT_VERSION);
    const QByteArray installed =
        "[App Ver]\r\n5.3.1\r\n[Update Ver]\r\n2.0\r\n[Update Url]\r\nhttp://u/\r\n";
    const QByteArray tooLong = QByteArray("x\r\n").repeated(12);
    // A build for a package manager says who updates it.
    const QString owner = SELF_UPDATE
                              ? QString()
                              : QStringLiteral("This installation does not update itself: the "
                                               "package manager, or whoever installed it, "
                                               "keeps it up to date\\.\n");
    for (const char *p : {"player", "update", "check"}) {
        const QString program = QLatin1String(p);
        // Qt's own options work but are not the program's to explain.
        QTest::addRow("%s --help", p)
            << program << QStringList{"--help"} << QByteArray() << 0
            << "^Usage: " + program + " \\[options\\]\n(?!.*platform).*--version"
            << "^$";
        QTest::addRow("%s built version", p)
            << program << QStringList{"--version"} << QByteArray() << 0
            << "^" + program + " \\(Veltaro\\) " + QRegularExpression::escape(built) + "\n" +
                   owner + "$"
            << "^$";
        QTest::addRow("%s installed version", p)
            << program << QStringList{"--version"} << installed << 0
            << "^" + program + " \\(Veltaro\\) 5\\.3\\.1\n" + owner + "$"
            << "^$";
        QTest::addRow("%s unknown option", p)
            << program << QStringList{"--portal=x"} << QByteArray() << 2 << "^$"
            << "Unknown option 'portal'.*Usage: " + program;
    }
    QTest::newRow("unreadable ClientInfor.inf") << "check" << QStringList{"--version"} << tooLong
                                                << 0 << "^check \\(Veltaro\\) " + built << "^$";
    QTest::newRow("Qt's value wanted")
        << "player" << QStringList{"-platform"} << QByteArray() << 2 << "^$"
        << "Missing value after '-platform'";
    QTest::newRow("help wins over Qt's options")
        << "update" << QStringList{"-platform", "xcb", "-reverse", "--help"} << QByteArray() << 0
        << "Usage: update"
        << "^$";
}

void TestCommandLine::programs()
{
    QFETCH(QString, program);
    QFETCH(QByteArray, clientInfor);
    QTemporaryDir dir;
    QString path = QStringLiteral(VELTARO_BIN_DIR "/") + program;
    if (!clientInfor.isEmpty()) {
        QVERIFY(QFile::copy(path, dir.filePath(program)));
        writeFile(dir.filePath(QStringLiteral("ClientInfor.inf")), clientInfor);
        path = dir.filePath(program);
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    process.setProcessEnvironment(env);
    QFETCH(QStringList, arguments);
    process.start(path, arguments);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QTEST(process.exitCode(), "status");
    const auto dotAll = QRegularExpression::DotMatchesEverythingOption;
    const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(process.readAllStandardError());
    QFETCH(QString, out);
    QFETCH(QString, err);
    QVERIFY2(QRegularExpression(out, dotAll).match(stdOut).hasMatch(), qPrintable(stdOut));
    QVERIFY2(QRegularExpression(err, dotAll).match(stdErr).hasMatch(), qPrintable(stdErr));
}

// A console tool brings its own options and arguments; Qt's window options
// mean nothing to it.
void TestCommandLine::programOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status"); // -1: goes on
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("positional");

    QTest::newRow("own option and folder") << QStringList{"tool", "--key", "k.sec", "release"} << -1
                                           << "k.sec" << QStringList{"release"};
    QTest::newRow("own short option")
        << QStringList{"tool", "-k", "a", "b", "c"} << -1 << "a" << QStringList{"b", "c"};
    QTest::newRow("value missing") << QStringList{"tool", "--key"} << 2 << "" << QStringList();
    QTest::newRow("Qt's option unknown here")
        << QStringList{"tool", "-platform", "xcb"} << 2 << "" << QStringList();
    QTest::newRow("version") << QStringList{"tool", "--key", "k", "--version"} << 0 << "k"
                             << QStringList();
}

void TestCommandLine::programOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QCommandLineParser parser;
    const QCommandLineOption key({QStringLiteral("k"), QStringLiteral("key")},
                                 QStringLiteral("Secret key."), QStringLiteral("file"));
    parser.addOption(key);
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("Release folder."));
    const commandline::Outcome outcome =
        commandline::parse(parser, arguments, QStringLiteral("Signs."), commandline::Kind::Console,
                           QStringLiteral("9"));
    QCOMPARE(outcome.status.value_or(-1), status);
    if (status == 2)
        QVERIFY2(outcome.err.contains(QLatin1String("Usage: tool [options] folder")),
                 qPrintable(outcome.err));
    if (status == 0) // and in a build that does not update itself, who does
        QVERIFY2(outcome.out.startsWith(QStringLiteral("tool (Veltaro) 9\n")),
                 qPrintable(outcome.out));
    if (status == -1) {
        QTEST(parser.value(key), "key");
        QTEST(parser.positionalArguments(), "positional");
    }
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
