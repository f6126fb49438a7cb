#include "tickers.h"

#include "http.h"

#include <limits>

namespace tickers
{

namespace
{
const QString itemSeparator = QStringLiteral("$$$");
const QChar fieldSeparator = QLatin1Char('|');
} // namespace

QStringList pieces(const QString &text)
{
    if (text.isEmpty())
        return {};
    return text.split(itemSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

int pieceCount(const QString &text)
{
    return static_cast<int>(pieces(text).size());
}

std::optional<Item> item(const QString &text, qint16 index)
{
    const QStringList all = pieces(text);
    if (index < 0 || index >= all.size())
        return std::nullopt;
    const QStringList fields = all.at(index).split(fieldSeparator);
    if (fields.size() < 2)
        return std::nullopt;
    return Item{fields.at(0), fields.at(1)};
}

qint16 nextItem(qint16 &counter, const QString &text)
{
    if (counter > pieceCount(text) - 2)
        counter = 0;
    const qint16 shown = counter;
    // Past the 16-bit range the rotation simply starts over.
    counter = shown == std::numeric_limits<qint16>::max() ? 0 : static_cast<qint16>(shown + 1);
    return shown;
}

QString toolTipFor(const QString &text)
{
    // Spaces stay as the file has them.
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

} // namespace tickers

QString FetchText(const QString &url)
{
    // Both ticker files are fetched while the main window loads, before it
    // is shown: a portal that never answers, drips or never ends its answer
    // must not hold the window back for long nor fill the memory.
    HttpOptions options;
    options.stallTimeoutSeconds = 8;
    options.totalTimeoutSeconds = 10;
    options.maxBodyBytes = 1024 * 1024;
    return fetchText(url, options);
}
