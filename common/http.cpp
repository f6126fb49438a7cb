#include "http.h"

#include "error.h"
#include "gbk.h"

#include <QList>
#include <QUrl>
#include <curl/curl.h>
#include <exception>
#include <memory>

void initHttp()
{
    // curl_global_init is not thread-safe; a function-local static is.
    static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK)
        throw Error(QStringLiteral("HTTP could not start: %1")
                        .arg(QString::fromUtf8(curl_easy_strerror(result))));
}

namespace
{

// What one transfer saw, filled in by the curl callbacks.
struct Transfer {
    const HttpSink *sink = nullptr;
    const HttpProgress *progress = nullptr;
    bool only2xx = true;
    long status = 0;
    bool locationSeen = false;
    // The headers of the answer that ends the transfer (not a redirect on the
    // way) have begun; from here on a failure means the body broke off.
    bool answered = false;
    bool rejected = false;
    qint64 maxBodyBytes = 0;
    qint64 received = 0;
    std::exception_ptr thrown;
};

bool isRedirect(long status)
{
    return status >= 300 && status < 400;
}

bool is2xx(long status)
{
    return status >= 200 && status < 300;
}

size_t onHeader(char *data, size_t size, size_t count, void *user)
{
    auto &t = *static_cast<Transfer *>(user);
    const QByteArray line(data, static_cast<qsizetype>(size * count));
    if (line.startsWith("HTTP/")) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        t.status = parts.size() > 1 ? parts[1].toLong() : 0;
        t.locationSeen = false;
        t.answered = !isRedirect(t.status);
    } else if (line.toLower().startsWith("location:")) {
        t.locationSeen = true;
    } else if (line.trimmed().isEmpty() && isRedirect(t.status)) {
        // A redirect that curl will not follow is itself the answer.
        t.answered = !t.locationSeen;
    }
    return size * count;
}

size_t onBody(char *data, size_t size, size_t count, void *user)
{
    auto &t = *static_cast<Transfer *>(user);
    // The headers are complete before the first piece of the body arrives:
    // the body of an error answer never reaches the sink.
    if (t.only2xx && !is2xx(t.status)) {
        t.rejected = true;
        return 0;
    }
    t.received += qint64(size * count);
    if (t.maxBodyBytes > 0 && t.received > t.maxBodyBytes)
        return 0;
    try {
        (*t.sink)(data, size * count);
    } catch (...) {
        t.thrown = std::current_exception();
        return 0;
    }
    return size * count;
}

int onProgress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto &t = *static_cast<Transfer *>(user);
    try {
        (*t.progress)();
    } catch (...) {
        t.thrown = std::current_exception();
        return 1;
    }
    return 0;
}

struct CurlCleanup {
    void operator()(CURL *curl) const { curl_easy_cleanup(curl); }
};

struct ShareCleanup {
    void operator()(CURLSH *share) const { curl_share_cleanup(share); }
};

// Transfers on one thread share their connections and name look-ups, so a
// run of downloads from one server (an update of many small files) does not
// pay for a new connection each time. A transfer started while another is
// under way simply takes a connection of its own.
CURLSH *threadShare()
{
    thread_local const std::unique_ptr<CURLSH, ShareCleanup> share([] {
        CURLSH *created = curl_share_init();
        if (created) {
            curl_share_setopt(created, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
            curl_share_setopt(created, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        }
        return created;
    }());
    return share.get();
}

struct Outcome {
    CURLcode code = CURLE_OK;
    QString curlMessage;
    bool answered = false;
    long status = 0;
};

QString failure(const QString &url, const QString &reason)
{
    return QStringLiteral("Download of %1 failed: %2").arg(url, reason);
}

// The one transfer routine. Exceptions thrown by the sink or the progress
// callback end the transfer and are rethrown here, after curl has returned.
Outcome transfer(const QString &url, const HttpOptions &options, const HttpSink &sink,
                 const HttpProgress &progress, bool only2xx)
{
    initHttp();
    const std::unique_ptr<CURL, CurlCleanup> curl(curl_easy_init());
    if (!curl)
        throw Error(failure(url, QStringLiteral("no HTTP handle")));

    Transfer t;
    t.sink = &sink;
    t.progress = &progress;
    t.only2xx = only2xx;
    t.maxBodyBytes = options.maxBodyBytes;
    char errorText[CURL_ERROR_SIZE] = {};
    const QByteArray address = url.toUtf8();

    CURL *c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, address.constData());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    if (CURLSH *share = threadShare())
        curl_easy_setopt(c, CURLOPT_SHARE, share);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, options.connectTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, options.lowSpeedBytesPerSecond);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, options.stallTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, options.totalTimeoutSeconds);
    // A length announced beyond the limit ends the transfer before any body.
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(options.maxBodyBytes));
    // The largest receive buffer curl takes: a large download then costs a
    // few thousand wake-ups instead of tens of thousands, which keeps it as
    // fast as the curl tool on a busy machine.
    curl_easy_setopt(c, CURLOPT_BUFFERSIZE, 512L * 1024);
    // Only the web's own protocols, and a redirect never leaves https for
    // plain http, where anyone on the way could answer instead.
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    // The scheme as a URL has it: "HTTPS://" is https too.
    const bool secure = QUrl(url).scheme() == QLatin1String("https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, options.maxRedirects);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
    if (progress) {
        curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, onProgress);
        curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
        curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    }

    Outcome outcome;
    outcome.code = curl_easy_perform(c);
    if (t.thrown)
        std::rethrow_exception(t.thrown);
    outcome.curlMessage =
        QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(outcome.code));
    if ((t.maxBodyBytes > 0 && t.received > t.maxBodyBytes) ||
        outcome.code == CURLE_FILESIZE_EXCEEDED)
        outcome.curlMessage = QStringLiteral("too large (over %1 bytes)").arg(t.maxBodyBytes);
    outcome.answered = t.answered;
    outcome.status = t.status;
    if (t.rejected || (outcome.code == CURLE_OK && only2xx && !is2xx(t.status)))
        throw Error(failure(url, QStringLiteral("HTTP status %1").arg(t.status)));
    return outcome;
}

void fetchChecked(const QString &url, const HttpSink &sink, const HttpOptions &options,
                  const HttpProgress &progress)
{
    const Outcome outcome = transfer(url, options, sink, progress, true);
    if (outcome.code != CURLE_OK)
        throw Error(failure(url, outcome.curlMessage));
}

} // namespace

QString urlForName(const QString &base, const QString &name)
{
    QString url = base;
    for (const QString &segment : QString(name).replace(u'\\', u'/').split(u'/'))
        url += u'/' + QString::fromLatin1(QUrl::toPercentEncoding(segment));
    return url;
}

QString webAddress(const QString &text)
{
    const QString address = text.trimmed();
    const QUrl url(address);
    if (!url.isValid() || url.host().isEmpty())
        return QString();
    const QString scheme = url.scheme();
    const bool web = scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 ||
                     scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0;
    return web ? address : QString();
}

QByteArray fetchBytes(const QString &url, const HttpOptions &options)
{
    QByteArray body;
    fetchChecked(
        url, [&body](const char *data, std::size_t size) { body.append(data, qsizetype(size)); },
        options, {});
    return body;
}

std::optional<QByteArray> fetchBytesIfPublished(const QString &url, const HttpOptions &options,
                                                const HttpProgress &progress)
{
    QByteArray body;
    const Outcome outcome = transfer(
        url, options,
        [&body](const char *data, std::size_t size) { body.append(data, qsizetype(size)); },
        progress, false);
    if (outcome.code == CURLE_OK && (outcome.status == 404 || outcome.status == 410))
        return std::nullopt;
    if (outcome.code == CURLE_OK && !is2xx(outcome.status))
        throw Error(failure(url, QStringLiteral("HTTP status %1").arg(outcome.status)));
    if (outcome.code != CURLE_OK)
        throw Error(failure(url, outcome.curlMessage));
    return body;
}

void fetchToSink(const QString &url, const HttpSink &sink, const HttpOptions &options,
                 const HttpProgress &progress)
{
    fetchChecked(url, sink, options, progress);
}

QString fetchText(const QString &url, const HttpOptions &options)
{
    QByteArray body;
    const Outcome outcome = transfer(
        url, options,
        [&body](const char *data, std::size_t size) { body.append(data, qsizetype(size)); }, {},
        false);
    if (outcome.code == CURLE_OK)
        return fromGbk(body);
    // Like a request object whose state never reached "complete": an answer
    // that began but broke off gives no text, no answer at all is an error.
    if (outcome.answered)
        return QString();
    throw Error(failure(url, outcome.curlMessage));
}
