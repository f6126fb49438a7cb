#include "error.h"
#include "http.h"
#include "portalserver.h"

#include <QRandomGenerator>
#include <QtTest>
#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

// The message of the Error that call raises; a null string when it raises none.
QString errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const Error &error) {
        return error.message();
    }
    return QString();
}

QByteArray collect(const QString &url, const HttpOptions &options = {})
{
    QByteArray received;
    fetchToSink(
        url, [&](const char *data, std::size_t size) { received.append(data, qsizetype(size)); },
        options);
    return received;
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(42);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

// A port that is bound but not listening: connecting to it is refused.
class ClosedPort
{
public:
    ClosedPort() : m_fd(socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(m_fd, reinterpret_cast<sockaddr *>(&address), length);
        getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~ClosedPort() { close(m_fd); }
    int port() const { return m_port; }

private:
    int m_fd;
    int m_port = 0;
};

} // namespace

class tst_Http : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void bodyArrivesUnchanged_data();
    void bodyArrivesUnchanged();
    void errorStatus_data();
    void errorStatus();
    void gbkTextIsDecoded();
    void noAnswer_data();
    void noAnswer();
    void bodyBrokenOff_data();
    void bodyBrokenOff();
    void stallEndsTransfer();
    void redirects_data();
    void redirects();
    void namesArePercentEncoded_data();
    void namesArePercentEncoded();
    void callbackExceptionAbortsTransfer_data();
    void callbackExceptionAbortsTransfer();
    void progressIsReported();
    void serverAnswers_data();
    void serverAnswers();

private:
    void writeFile(const QString &name, const QByteArray &bytes);

    QTemporaryDir m_dir;
    std::unique_ptr<PortalServer> m_server;
    QByteArray m_large;
};

void tst_Http::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(QStringLiteral("root/") + name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void tst_Http::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_large = randomBytes(12 * 1024 * 1024 + 7);
    writeFile(QStringLiteral("large.bin"), m_large);
    writeFile(QStringLiteral("page.txt"), "the error page\n");
    writeFile(QStringLiteral("target.txt"), "you got here");
    QFile outside(m_dir.filePath(QStringLiteral("outside.txt")));
    QVERIFY(outside.open(QIODevice::WriteOnly));
    outside.write("secret");
    m_server = std::make_unique<PortalServer>(m_dir.filePath(QStringLiteral("root")));
    QVERIFY(m_server->isRunning());
}

void tst_Http::init()
{
    QVERIFY(m_server->reset());
    m_server->clearLog();
}

void tst_Http::bodyArrivesUnchanged_data()
{
    QTest::addColumn<QByteArray>("content");

    QByteArray everyByte;
    for (int round = 0; round < 4; ++round)
        for (int value = 0; value < 256; ++value)
            everyByte.append(char(value));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("every byte value, NUL included") << everyByte;
    QTest::newRow("larger than 10 MB") << m_large;
}

void tst_Http::bodyArrivesUnchanged()
{
    QFETCH(QByteArray, content);
    const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_');
    writeFile(name, content);

    QCOMPARE(fetchBytes(m_server->url(name)), content);
    QCOMPARE(collect(m_server->url(name)), content);
}

void tst_Http::errorStatus_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("injected");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("text");

    QTest::newRow("missing file") << "missing.txt" << 0 << "404"
                                  << "404\n";
    QTest::newRow("404 with a body") << "page.txt" << 404 << "404"
                                     << "the error page\n";
    QTest::newRow("500 with a body") << "page.txt" << 500 << "500"
                                     << "the error page\n";
}

void tst_Http::errorStatus()
{
    QFETCH(QString, path);
    QFETCH(int, injected);
    QFETCH(QString, status);
    QFETCH(QString, text);
    if (injected)
        QVERIFY(m_server->setStatus(path, injected));
    const QString url = m_server->url(path);

    const QString error = errorOf([&] { fetchBytes(url); });
    QVERIFY2(error.contains(url) && error.contains(status), qPrintable(error));
    bool sinkCalled = false;
    QVERIFY(!errorOf([&] {
                 fetchToSink(url, [&](const char *, std::size_t) { sinkCalled = true; });
             }).isNull());
    QVERIFY(!sinkCalled);
    QCOMPARE(fetchText(url), text);
}

void tst_Http::gbkTextIsDecoded()
{
    // "官方动态：测试" in GBK
    writeFile(QStringLiteral("Notice.txt"), QByteArray("\xb9\xd9\xb7\xbd\xb6\xaf\xcc\xac"
                                                       "\xa3\xba\xb2\xe2\xca\xd4|x$$$"));
    QCOMPARE(fetchText(m_server->url(QStringLiteral("Notice.txt"))),
             QString::fromUtf8("官方动态：测试|x$$$"));
}

void tst_Http::noAnswer_data()
{
    QTest::addColumn<QString>("fault");

    QTest::newRow("connection refused") << "refused";
    QTest::newRow("closed before any answer") << "closed";
    QTest::newRow("redirected to a refused port") << "redirected";
}

void tst_Http::noAnswer()
{
    QFETCH(QString, fault);
    ClosedPort closedPort;
    const QString refusedUrl =
        QStringLiteral("http://127.0.0.1:%1/page.txt").arg(closedPort.port());
    QString url = m_server->url(QStringLiteral("page.txt"));
    if (fault == u"refused")
        url = refusedUrl;
    else if (fault == u"closed")
        QVERIFY(m_server->setClose(QStringLiteral("page.txt")));
    else
        QVERIFY(m_server->setRedirect(QStringLiteral("page.txt"), refusedUrl));

    const QString error = errorOf([&] { fetchBytes(url); });
    QVERIFY2(error.contains(url), qPrintable(error));
    QVERIFY(!errorOf([&] { collect(url); }).isNull());
    QVERIFY(!errorOf([&] { fetchText(url); }).isNull());
}

void tst_Http::bodyBrokenOff_data()
{
    QTest::addColumn<int>("after");

    QTest::newRow("after the headers") << 0;
    QTest::newRow("midway") << 100000;
}

void tst_Http::bodyBrokenOff()
{
    QFETCH(int, after);
    QVERIFY(m_server->setDropAfter(QStringLiteral("large.bin"), after));
    const QString url = m_server->url(QStringLiteral("large.bin"));

    QVERIFY(!errorOf([&] { fetchBytes(url); }).isNull());
    QVERIFY(!errorOf([&] { collect(url); }).isNull());
    const QString text = fetchText(url);
    QVERIFY(text.isEmpty());
}

void tst_Http::stallEndsTransfer()
{
    // The server would answer after 4 s; with a 1 s stall limit the client
    // must have given up by then.
    QVERIFY(m_server->setDelay(QStringLiteral("page.txt"), 4000));
    HttpOptions options;
    options.stallTimeoutSeconds = 1;
    const QString url = m_server->url(QStringLiteral("page.txt"));

    QVERIFY(!errorOf([&] { fetchBytes(url, options); }).isNull());
    QVERIFY(!errorOf([&] { fetchText(url, options); }).isNull());
}

void tst_Http::redirects_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QStringList>("requests");

    QTest::newRow("absolute location")
        << "target.txt" << QByteArray("you got here") << QStringList{"/hop", "/target.txt"};
    QTest::newRow("relative location")
        << "/target.txt" << QByteArray("you got here") << QStringList{"/hop", "/target.txt"};
    QTest::newRow("loop beyond the limit")
        << "hop" << QByteArray() << QStringList{"/hop", "/hop", "/hop"};
    QTest::newRow("to a local file") << "file:///etc/hostname" << QByteArray() << QStringList{"/hop"};
    QTest::newRow("to another protocol")
        << "ftp://127.0.0.1:9/target.txt" << QByteArray() << QStringList{"/hop"};
}

void tst_Http::redirects()
{
    QFETCH(QString, location);
    QFETCH(QByteArray, expected);
    QFETCH(QStringList, requests);
    const QString target = location.startsWith(u'/') || location.contains(u"://")
                               ? location
                               : m_server->url(location);
    QVERIFY(m_server->setRedirect(QStringLiteral("hop"), target));
    HttpOptions options;
    options.maxRedirects = 2;
    const QString url = m_server->url(QStringLiteral("hop"));

    QByteArray body;
    const QString error = errorOf([&] { body = fetchBytes(url, options); });
    QCOMPARE(error.isNull(), !expected.isEmpty());
    QCOMPARE(body, expected);
    QCOMPARE(m_server->requests(), requests);
    if (expected.isEmpty())
        QVERIFY(!errorOf([&] { fetchText(url, options); }).isNull());
}

void tst_Http::namesArePercentEncoded_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");

    QTest::newRow("hash") << "a#b" << "a#b";
    QTest::newRow("blank") << "a b" << "a b";
    QTest::newRow("question mark") << "a?b" << "a?b";
    QTest::newRow("percent") << "100%" << "100%";
    QTest::newRow("Chinese") << "新版.txt" << "新版.txt";
    QTest::newRow("backslash separates folders") << "sub\\x y.txt" << "sub/x y.txt";
}

void tst_Http::namesArePercentEncoded()
{
    QFETCH(QString, name);
    QFETCH(QString, stored);
    writeFile(stored, stored.toUtf8());
    writeFile(QStringLiteral("a"), "only the part before # or ?");
    QCOMPARE(fetchBytes(urlForName(m_server->url(QStringLiteral("")).chopped(1), name)),
             stored.toUtf8());
}

void tst_Http::callbackExceptionAbortsTransfer_data()
{
    QTest::addColumn<bool>("fromSink");

    QTest::newRow("thrown by the sink") << true;
    QTest::newRow("thrown by the progress callback") << false;
}

void tst_Http::callbackExceptionAbortsTransfer()
{
    QFETCH(bool, fromSink);
    int pieces = 0;
    const HttpSink sink = [&](const char *, std::size_t) {
        ++pieces;
        if (fromSink)
            throw Error(QStringLiteral("disk full"));
    };
    const HttpProgress progress = [&] {
        if (!fromSink)
            throw Error(QStringLiteral("window gone"));
    };

    const QString error = errorOf(
        [&] { fetchToSink(m_server->url(QStringLiteral("large.bin")), sink, {}, progress); });
    QCOMPARE(error, fromSink ? QStringLiteral("disk full") : QStringLiteral("window gone"));
    QVERIFY(pieces <= 1);
}

void tst_Http::progressIsReported()
{
    int calls = 0;
    QByteArray received;
    fetchToSink(
        m_server->url(QStringLiteral("large.bin")),
        [&](const char *data, std::size_t size) { received.append(data, qsizetype(size)); }, {},
        [&] { ++calls; });
    QCOMPARE(received, m_large);
    QVERIFY(calls > 0);
}

void tst_Http::serverAnswers_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<long>("status");
    QTest::addColumn<QString>("contentType");

    writeFile(QStringLiteral("sub/index.html"), "<p>\xe4\xb8\xad</p>");
    writeFile(QStringLiteral("gbk.txt"), "\xb9\xd9");
    QTest::newRow("utf-8 text") << "/target.txt" << 200L << "text/plain; charset=utf-8";
    QTest::newRow("gbk text") << "/gbk.txt" << 200L << "text/plain; charset=gbk";
    QTest::newRow("other file") << "/large.bin" << 200L << "application/octet-stream";
    QTest::newRow("folder index") << "/sub/" << 200L << "text/html; charset=utf-8";
    QTest::newRow("folder without slash") << "/sub" << 301L << "text/plain";
    QTest::newRow("missing") << "/nothing" << 404L << "text/plain";
    QTest::newRow("dot-dot") << "/../outside.txt" << 404L << "text/plain";
    QTest::newRow("encoded dot-dot") << "/%2e%2e/outside.txt" << 404L << "text/plain";
    QTest::newRow("dot-dot inside") << "/sub/../../outside.txt" << 404L << "text/plain";
}

// The server itself, as every suite relies on it: types, folders, and no way
// out of the served folder.
void tst_Http::serverAnswers()
{
    QFETCH(QString, path);
    QFETCH(long, status);
    QFETCH(QString, contentType);

    const QByteArray url =
        QStringLiteral("http://127.0.0.1:%1%2").arg(m_server->port()).arg(path).toLatin1();
    CURL *curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    QCOMPARE(curl_easy_perform(curl), CURLE_OK);
    long answered = 0;
    const char *type = nullptr;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answered);
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    const QString answeredType = QString::fromLatin1(type);
    curl_easy_cleanup(curl);
    QCOMPARE(answered, status);
    QCOMPARE(answeredType, contentType);
}

QTEST_GUILESS_MAIN(tst_Http)
#include "tst_http.moc"
