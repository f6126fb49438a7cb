// The updater reads its counts from a downloaded file: any text must give a
// 16-bit value or an Error. Plain whole numbers are checked against Qt's own
// reading.
#include "check.h"
#include "conversions.h"
#include "error.h"

#include <QRegularExpression>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
    bool isShort = false;
    const short expected = text.toShort(&isShort);
    const bool plain = whole.match(text).hasMatch();
    try {
        const qint16 value = toInt16(text);
        if (plain)
            check(isShort && value == expected);
    } catch (const Error &) {
        check(!(plain && isShort));
    }
    return 0;
}
