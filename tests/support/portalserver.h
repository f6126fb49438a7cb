#pragma once

// The loopback portal-server under test control: serves a folder on a free
// port, records every request, and injects faults per path. Everything here
// blocks, so it works in plain test functions without an event loop.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>
#include <curl/curl.h>
#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#endif

class PortalServer
{
public:
    struct Request {
        qint64 epochMs = 0;
        QString method;
        QString path;   // as requested, e.g. "/kinotray/marquee/Notice.txt"
        int status = 0; // 0 when the connection was closed without an answer
    };

    explicit PortalServer(const QString &root)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_LINUX
        // A suite that aborts (a sanitizer report, a crash) takes its server
        // along instead of leaving it listening.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        m_process.start(QStringLiteral(VELTARO_PORTAL_SERVER),
                        {QStringLiteral("--root"), root, QStringLiteral("--port"),
                         QStringLiteral("0"), QStringLiteral("--log"), logPath()});
        if (!m_process.waitForStarted(10000)) {
            qWarning("portal-server did not start: %s", qPrintable(m_process.errorString()));
            return;
        }
        const QByteArray prefix = "listening on http://127.0.0.1:";
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        const QByteArray line = m_process.readLine().trimmed();
        if (line.startsWith(prefix) && line.endsWith('/'))
            m_port = line.mid(prefix.size()).chopped(1).toInt();
        if (m_port <= 0)
            qWarning("portal-server did not report its port (got \"%s\")", line.constData());
    }

    ~PortalServer()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    PortalServer(const PortalServer &) = delete;
    PortalServer &operator=(const PortalServer &) = delete;

    // The sample portal in the source tree.
    static QString demoPortalRoot() { return QStringLiteral(VELTARO_SOURCE_DIR "/demo/portal"); }

    bool isRunning() const { return m_port > 0 && m_process.state() == QProcess::Running; }
    int port() const { return m_port; }
    qint64 processId() const { return m_process.processId(); }

    // path is relative to the served folder: url("kinotray/marquee/Notice.txt").
    QString url(const QString &path = QString()) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(relative(path));
    }

    // Every request since the start or the last clearLog(), oldest first.
    QList<Request> requestLog() const
    {
        QList<Request> result;
        QFile file(logPath());
        if (!file.open(QIODevice::ReadOnly) || !file.seek(m_logOffset))
            return result;
        for (const QByteArray &raw : file.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw);
            const int first = line.indexOf(' ');
            const int second = line.indexOf(' ', first + 1);
            const int last = line.lastIndexOf(' ');
            if (first < 0 || second < 0 || last <= second)
                continue;
            result.append({line.left(first).toLongLong(), line.mid(first + 1, second - first - 1),
                           line.mid(second + 1, last - second - 1), line.mid(last + 1).toInt()});
        }
        return result;
    }

    // The paths of requestLog(), e.g. {"/kinotray/", "/kinotray/adv/banner.html"}.
    QStringList requests() const
    {
        QStringList paths;
        for (const Request &request : requestLog())
            paths.append(request.path);
        return paths;
    }

    void clearLog() { m_logOffset = QFileInfo(logPath()).size(); }

    // Faults per path (relative, like url()); each returns whether the server
    // took the rule. Rules for one path add up.
    bool setStatus(const QString &path, int code) { return control(path, "status", code); }
    bool setDelay(const QString &path, int ms) { return control(path, "delay", ms); }
    bool setClose(const QString &path) { return control(path, "close", 1); }
    bool setDropAfter(const QString &path, qint64 bytes) { return control(path, "drop", bytes); }
    bool setUnsized(const QString &path) { return control(path, "unsized", 1); }
    // A piece of 4 KB every ms milliseconds, no length.
    bool setDrip(const QString &path, int ms) { return control(path, "drip", ms); }
    // The file over and over, never ending, no length.
    bool setEndless(const QString &path) { return control(path, "endless", 1); }
    bool setRedirect(const QString &path, const QString &location)
    {
        return control(path, "redirect", location);
    }
    bool reset() { return send(QUrlQuery(QStringLiteral("reset=1"))); }

private:
    static QString relative(const QString &path)
    {
        return path.startsWith(u'/') ? path.mid(1) : path;
    }

    QString logPath() const { return m_dir.filePath(QStringLiteral("access.log")); }

    bool control(const QString &path, const QString &key, const QVariant &value)
    {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("path"), u'/' + relative(path));
        query.addQueryItem(key, value.toString());
        return send(query);
    }

    // A plain blocking request with its own client, so that faults in the
    // code under test cannot disturb the test's own control.
    bool send(const QUrlQuery &query) const
    {
        QUrl control(url(QStringLiteral("__control")));
        control.setQuery(query);
        const QByteArray address = control.toEncoded();
        CURL *curl = curl_easy_init();
        if (!curl)
            return false;
        long status = 0;
        curl_easy_setopt(curl, CURLOPT_URL, address.constData());
        curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
        curl_easy_setopt(
            curl, CURLOPT_WRITEFUNCTION,
            +[](char *, size_t size, size_t count, void *) { return size * count; });
        const CURLcode result = curl_easy_perform(curl);
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_cleanup(curl);
        if (result != CURLE_OK || status != 200)
            qWarning("portal-server control %s failed", address.constData());
        return result == CURLE_OK && status == 200;
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    qint64 m_logOffset = 0;
    int m_port = 0;
};
