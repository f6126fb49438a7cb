#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

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

} // namespace tickers

// Fetch as text for the ticker files: the GBK body of a completed answer, at
// most 1 MB and within 10 s; a longer or slower answer gives the empty text.
QString FetchText(const QString &url);
