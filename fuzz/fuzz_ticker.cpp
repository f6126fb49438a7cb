// The ticker files come from the network: any text must cut into items, and
// the rotation must stay inside them, whatever the counter.
#include "check.h"
#include "gbk.h"
#include "tickers.h"

#include <algorithm>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // The first two bytes choose the index and the starting counter.
    const auto index = static_cast<qint16>(data[0] << 8 | data[1]);
    const QString text = fromGbk(
        QByteArray(reinterpret_cast<const char *>(data + 2), static_cast<qsizetype>(size - 2)));

    const QStringList pieces = tickers::pieces(text);
    const int count = tickers::pieceCount(text);
    check(count == pieces.size());
    check(text.isEmpty() ? count == 0 : pieces.join(QStringLiteral("$$$")) == text);

    if (const auto item = tickers::item(text, index)) {
        check(index >= 0 && index < count);
        check(!item->caption.contains(u'|') && !item->link.contains(u'|'));
        check(pieces.at(index).startsWith(item->caption + u'|' + item->link));
        tickers::isWebLink(item->link);
    }

    // The rotation counter starts at 0 and only counts up, so it is never
    // negative; any non-negative start must lead into the range.
    auto counter = static_cast<qint16>(index & 0x7fff);
    for (int turn = 0; turn < 3; ++turn) {
        const qint16 shown = tickers::nextItem(counter, text);
        check(shown >= 0 && shown <= std::max(0, count - 2));
    }
    return 0;
}
