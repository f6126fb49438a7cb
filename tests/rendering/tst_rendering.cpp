#include "startup/rendering.h"

#include <QTest>

using Rendering::Facts;

class tst_Rendering : public QObject
{
    Q_OBJECT

private slots:
    void choose_data();
    void choose();
    void withoutOpenGl_data();
    void withoutOpenGl();
    void openGlSettingStaysInThisProcess();
};

void tst_Rendering::choose_data()
{
    QTest::addColumn<bool>("gpuDevice");
    QTest::addColumn<QString>("renderer");
    QTest::addColumn<QByteArray>("userQuick");
    QTest::addColumn<QByteArray>("userFlags");
    QTest::addColumn<bool>("software");
    QTest::addColumn<bool>("setQuick");
    QTest::addColumn<QByteArray>("flags");

    // with "--process-per-site" as the program's other flags
    const QByteArray soft = "--disable-gpu --process-per-site";
    const QByteArray gpu = "--process-per-site";
    // render node, GL_RENDERER, user's QT_QUICK_BACKEND, user's
    // QTWEBENGINE_CHROMIUM_FLAGS; expected: software path, Quick back end
    // switched, QTWEBENGINE_CHROMIUM_FLAGS set to (empty: left alone)
    QTest::newRow("no render node")
        << false << QString() << QByteArray() << QByteArray() << true << true << soft;
    QTest::newRow("no render node, renderer a real GPU")
        << false << QStringLiteral("AMD Radeon RX 6600") << QByteArray() << QByteArray() << true
        << true << soft;
    QTest::newRow("node but no context")
        << true << QString() << QByteArray() << QByteArray() << true << true << soft;
    QTest::newRow("llvmpipe") << true << QStringLiteral("llvmpipe (LLVM 15.0.6, 256 bits)")
                              << QByteArray() << QByteArray() << true << true << soft;
    QTest::newRow("zink over lavapipe")
        << true << QStringLiteral("zink (Lavapipe (LLVM 15.0.6, 256 bits))") << QByteArray()
        << QByteArray() << true << true << soft;
    QTest::newRow("softpipe") << true << QStringLiteral("softpipe") << QByteArray() << QByteArray()
                              << true << true << soft;
    QTest::newRow("classic swrast") << true << QStringLiteral("Software Rasterizer") << QByteArray()
                                    << QByteArray() << true << true << soft;
    QTest::newRow("SwiftShader") << true << QStringLiteral("Google SwiftShader") << QByteArray()
                                 << QByteArray() << true << true << soft;
    QTest::newRow("Intel") << true << QStringLiteral("Mesa Intel(R) UHD Graphics 620 (KBL GT2)")
                           << QByteArray() << QByteArray() << false << false << gpu;
    QTest::newRow("NVIDIA") << true << QStringLiteral("NVIDIA GeForce GTX 1060/PCIe/SSE2")
                            << QByteArray() << QByteArray() << false << false << gpu;
    QTest::newRow("virgl in a VM")
        << true << QStringLiteral("virgl") << QByteArray() << QByteArray() << false << false << gpu;
    QTest::newRow("user's Quick back end wins")
        << false << QString() << QByteArray("rhi") << QByteArray() << true << false << soft;
    QTest::newRow("user's Chromium flags win")
        << false << QString() << QByteArray() << QByteArray("--enable-logging") << true << true
        << QByteArray();
    QTest::newRow("user's Chromium flags win on a GPU")
        << true << QStringLiteral("AMD Radeon RX 6600") << QByteArray()
        << QByteArray("--disable-gpu") << false << false << QByteArray();
}

void tst_Rendering::choose()
{
    QFETCH(bool, gpuDevice);
    QFETCH(QString, renderer);
    QFETCH(QByteArray, userQuick);
    QFETCH(QByteArray, userFlags);
    QFETCH(bool, software);
    QFETCH(bool, setQuick);
    QFETCH(QByteArray, flags);

    const Rendering::Choice choice =
        Rendering::choose(Facts{gpuDevice, renderer, userQuick, userFlags});
    QCOMPARE(choice.software, software);
    QCOMPARE(choice.setQuickSoftware, setQuick);
    QCOMPARE(Rendering::chromiumFlags(choice, "--process-per-site"), flags);
    QVERIFY(!choice.reason.isEmpty());
}

void tst_Rendering::withoutOpenGl_data()
{
    QTest::addColumn<bool>("gpuDevice");
    QTest::addColumn<QByteArray>("userIntegration");
    QTest::addColumn<QByteArray>("userQuick");
    QTest::addColumn<bool>("without");
    QTest::newRow("no GPU device") << false << QByteArray() << QByteArray() << true;
    QTest::newRow("user asked for software Quick") << false << QByteArray() << QByteArray("software") << true;
    QTest::newRow("GPU device") << true << QByteArray() << QByteArray() << false;
    QTest::newRow("user's GL integration") << false << QByteArray("glx") << QByteArray() << false;
    QTest::newRow("user's Quick on OpenGL") << false << QByteArray() << QByteArray("rhi") << false;
}

void tst_Rendering::withoutOpenGl()
{
    QFETCH(bool, gpuDevice);
    QFETCH(QByteArray, userIntegration);
    QFETCH(QByteArray, userQuick);
    QFETCH(bool, without);
    QCOMPARE(Rendering::withoutOpenGl(gpuDevice, userIntegration, userQuick), without);
}

// The setting that keeps OpenGL out is for the player only: the programs it
// starts, a Qt-based desktop browser among them, must not inherit it.
void tst_Rendering::openGlSettingStaysInThisProcess()
{
    if (Rendering::hasGpuDevice())
        QSKIP("this machine has a GPU device: OpenGL stays");
    qunsetenv("QT_XCB_GL_INTEGRATION");
    QVERIFY(Rendering::prepare());
    QCOMPARE(qgetenv("QT_XCB_GL_INTEGRATION"), QByteArray("none"));
    Rendering::probe();
    QVERIFY(!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"));
}

QTEST_GUILESS_MAIN(tst_Rendering)
#include "tst_rendering.moc"
