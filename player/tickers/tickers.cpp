#include "tickers.h"

#include "../background.h"
#include "error.h"
#include "forms/forms.h"
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

Ticker::Ticker(QString &text, qint16 &counter, forms::Label *label, forms::Timer *timer,
               QString errorCaption)
    : m_text(text), m_counter(counter), m_label(label), m_timer(timer),
      m_errorCaption(std::move(errorCaption))
{
}

void Ticker::show(const QString &text, forms::Label *label, qint16 index) const
{
    const std::optional<Item> shown = item(text, index);
    if (!shown) {
        label->setCaption(m_errorCaption);
        label->setToolTipText(toolTipFor(label->text()));
        return;
    }
    label->setCaption(shown->caption);
    label->setToolTipText(toolTipFor(label->text()));
    label->setTag(shown->link);
    m_timer->setEnabled(true);
}

void Ticker::tick()
{
    show(m_text, m_label, nextItem(m_counter, m_text));
}

void Ticker::fetch(const QString &url, std::function<void(bool answered)> done)
{
    inBackground(
        m_label,
        [url]() -> std::optional<QString> {
            try {
                return FetchText(url);
            } catch (const Error &) {
                return std::nullopt;
            }
        },
        [this, done = std::move(done)](std::optional<QString> text) {
            if (text) {
                m_text = *text;
                m_counter = 0;
                show(m_text, m_label, 0);
            } else if (m_text.isEmpty()) {
                show(m_text, m_label, 0);
            }
            done(text.has_value());
        });
}

} // namespace tickers

QString FetchText(const QString &url)
{
    // A portal that never answers, drips or never ends its answer must not
    // keep the ticker's error caption away for long nor fill the memory.
    HttpOptions options;
    options.stallTimeoutSeconds = 8;
    options.totalTimeoutSeconds = 10;
    options.maxBodyBytes = 1024 * 1024;
    return fetchText(url, options);
}
