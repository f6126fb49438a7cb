#include "gbk.h"

#include "error.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace
{
// Whether bytes end inside a two-byte character (a lead byte with no second
// byte after it).
bool endsInsideCharacter(const QByteArray &bytes)
{
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x81 && byte <= 0xFE) {
            if (i + 1 == bytes.size())
                return true;
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}
} // namespace

// Each call converts one whole text: a character cut off at the end becomes
// U+FFFD instead of vanishing into the decoder's state, which keeps it.
QString fromGbk(const QByteArray &bytes)
{
    QStringDecoder decoder("GBK", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        throw Error(QStringLiteral("This system has no GBK decoder"));
    if (endsInsideCharacter(bytes))
        return decoder.decode(bytes.chopped(1)) + QChar(QChar::ReplacementCharacter);
    return decoder.decode(bytes);
}

QByteArray toGbk(const QString &text)
{
    QStringEncoder encoder("GBK", QStringEncoder::Flag::Stateless);
    if (!encoder.isValid())
        throw Error(QStringLiteral("This system has no GBK encoder"));
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        throw Error(QStringLiteral("\"%1\" cannot be written in GBK").arg(text));
    return bytes;
}
