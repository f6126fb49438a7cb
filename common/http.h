#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Blocking HTTP on the calling thread (libcurl). One transfer routine serves
// every caller; what differs is where the bytes go and how failures count.

struct HttpOptions {
    long connectTimeoutSeconds = 10;
    // The transfer fails when no byte arrives for this long.
    long stallTimeoutSeconds = 60;
    long maxRedirects = 5;
};

// Receives the body in pieces as it arrives; an exception thrown here aborts
// the transfer and reaches the caller.
using HttpSink = std::function<void(const char *data, std::size_t size)>;

// Called between pieces, also while the transfer waits; lets a window repaint.
using HttpProgress = std::function<void()>;

// Fetch as bytes: the whole body of a 2xx answer. No answer, a body that broke
// off, or a status that is not 2xx raises an Error, so an error page is never
// taken for a file.
QByteArray fetchBytes(const QString &url, const HttpOptions &options = {});

// The same checks as fetchBytes, with the body handed to sink as it arrives
// (memory stays flat whatever the size).
void fetchToSink(const QString &url, const HttpSink &sink, const HttpOptions &options = {},
                 const HttpProgress &progress = {});

// Fetch as text: the GBK-decoded body of a completed answer, whatever its
// status. No answer at all raises an Error; an answer whose body broke off
// gives the empty string.
QString fetchText(const QString &url, const HttpOptions &options = {});

// The download control a window carries (inetOLUpdate): fetch as bytes with
// the control's own settings.
class DownloadControl
{
public:
    QByteArray openUrl(const QString &url) const { return fetchBytes(url, options); }
    HttpOptions options;
};
