#include "startup/rendering.h"

#include <QTest>

using Rendering::Facts;

class tst_Rendering : public QObject
{
    Q_OBJECT

private slots:
    void choose_data();
    void choose();
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

QTEST_GUILESS_MAIN(tst_Rendering)
#include "tst_rendering.moc"
