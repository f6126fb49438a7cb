#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <optional>

namespace forms
{
class Label;
class Timer;
} // namespace forms

// The ticker text: items separated by "$$$", each item "caption|link", with
// any further "|" fields ignored. Nothing is trimmed, so a file that puts each
// item on its own line gives captions that begin with the line break.
namespace tickers
{

// The text cut at every "$$$"; the empty text has no pieces at all.
QStringList pieces(const QString &text);
int pieceCount(const QString &text);

struct Item {
    QString caption;
    QString link;
};

// Piece index cut at "|"; nothing when there is no such piece or the piece
// has no link field.
std::optional<Item> item(const QString &text, qint16 index);

// The item a rotation tick shows, advancing counter past it. Every piece but
// the one after the last "$$$" takes its turn; a counter beyond that range
// starts again at 0.
qint16 nextItem(qint16 &counter, const QString &text);

// The hover hint for a label's text: the text as written, never taken for
// markup (a tooltip renders anything that looks like HTML).
QString toolTipFor(const QString &text);

// One ticker of the bottom bar: its label, its timer and its error caption,
// rotating through the text and counter fields of the window it is on.
class Ticker
{
public:
    Ticker(QString &text, qint16 &counter, forms::Label *label, forms::Timer *timer,
           QString errorCaption);

    // Shows piece index of text on label, its caption also as the hover
    // hint and its link as the label's tag, and starts the timer. A piece
    // that cannot be shown puts up the error caption and leaves the link and
    // the timer as they were, so a click still opens the last good item.
    void show(const QString &text, forms::Label *label, qint16 index) const;
    // A rotation tick: the next item of the text.
    void tick();
    // Fetches the text from url in the background. When it has arrived it
    // is stored, the rotation starts over and item 0 shows; when no answer
    // came a text from before keeps rotating, and without one the error
    // caption shows. done then learns whether the portal answered.
    void fetch(const QString &url, std::function<void(bool answered)> done);

    forms::Label *label() const { return m_label; }

private:
    QString &m_text;
    qint16 &m_counter;
    forms::Label *m_label;
    forms::Timer *m_timer;
    QString m_errorCaption;
};

} // namespace tickers

// Fetch as text for the ticker files: the GBK body of a completed answer, at
// most 1 MB and within 10 s; a longer or slower answer gives the empty text,
// no answer at all an Error.
QString FetchText(const QString &url);
