#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Blocking HTTP on the calling thread (libcurl). One transfer routine serves
// every caller; what differs is where the bytes go and how failures count.

struct HttpOptions {
    long connectTimeoutSeconds = 10;
    // The transfer fails when it averages under lowSpeedBytesPerSecond for
    // this long, so a server that drips a few bytes a second cannot hold a
    // window open for days.
    long stallTimeoutSeconds = 60;
    long lowSpeedBytesPerSecond = 1024;
    long maxRedirects = 5;
    // The whole transfer, answer and body, ends after this long; 0 lets a
    // steady transfer run as long as it takes.
    long totalTimeoutSeconds = 0;
    // A body longer than this breaks the transfer off as a body that broke
    // off would; 0 takes any length.
    qint64 maxBodyBytes = 0;
};

// Sets the HTTP library up, once per process; every transfer calls it. A
// program that transfers on worker threads calls it on its main thread
// first: the set-up keeps state of the thread it runs on until the exit.
void initHttp();

// Receives the body in pieces as it arrives; an exception thrown here aborts
// the transfer and reaches the caller.
using HttpSink = std::function<void(const char *data, std::size_t size)>;

// Called between pieces, also while the transfer waits; lets a window repaint.
using HttpProgress = std::function<void()>;

// Fetch as bytes: the whole body of a 2xx answer. No answer, a body that broke
// off, or a status that is not 2xx raises an Error, so an error page is never
// taken for a file.
QByteArray fetchBytes(const QString &url, const HttpOptions &options = {});

// Fetch as bytes for a file that may not be published: none when the server
// answers 404 or 410, otherwise as fetchBytes.
std::optional<QByteArray> fetchBytesIfPublished(const QString &url, const HttpOptions &options = {},
                                                const HttpProgress &progress = {});

// The same checks as fetchBytes, with the body handed to sink as it arrives
// (memory stays flat whatever the size).
void fetchToSink(const QString &url, const HttpSink &sink, const HttpOptions &options = {},
                 const HttpProgress &progress = {});

// Fetch as text: the GBK-decoded body of a completed answer, whatever its
// status. No answer at all raises an Error; an answer whose body broke off
// gives the empty string.
QString fetchText(const QString &url, const HttpOptions &options = {});

// The address of a published file: base, "/", and name with each path
// segment percent-encoded (a backslash separates segments too), so "a#b"
// fetches "a%23b", never "a".
QString urlForName(const QString &base, const QString &name);

// An http or https address with a host, after surrounding blanks and line
// ends are dropped; the address to open, or the empty string when it is not one.
QString webAddress(const QString &text);

// The download control a window carries (inetOLUpdate): fetch as bytes with
// the control's own settings.
class DownloadControl
{
public:
    // maxBytes (0 for any length) bounds the body.
    QByteArray openUrl(const QString &url, qint64 maxBytes = 0) const
    {
        return fetchBytes(url, limitedTo(maxBytes));
    }
    std::optional<QByteArray> openUrlIfPublished(const QString &url, qint64 maxBytes = 0) const
    {
        return fetchBytesIfPublished(url, limitedTo(maxBytes));
    }
    HttpOptions options;

private:
    HttpOptions limitedTo(qint64 maxBytes) const
    {
        HttpOptions limited = options;
        limited.maxBodyBytes = maxBytes;
        return limited;
    }
};
