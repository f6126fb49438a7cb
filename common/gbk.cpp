#include "gbk.h"

#include "error.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

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

// GBK's single bytes are ASCII's: a text of ASCII alone (version files,
// addresses, most names) needs no converter, whose set-up costs more than
// reading the file.
bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

} // namespace

// Each call converts one whole text: a character cut off at the end becomes
// U+FFFD instead of vanishing into the decoder's state, which keeps it.
QString fromGbk(const QByteArray &bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder("GBK", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        throw Error(QStringLiteral("This system has no GBK decoder"));
    if (endsInsideCharacter(bytes))
        return decoder.decode(bytes.chopped(1)) + QChar(QChar::ReplacementCharacter);
    return decoder.decode(bytes);
}

QByteArray toGbk(const QString &text)
{
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toLatin1();
    QStringEncoder encoder("GBK", QStringEncoder::Flag::Stateless);
    if (!encoder.isValid())
        throw Error(QStringLiteral("This system has no GBK encoder"));
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        throw Error(QStringLiteral("\"%1\" cannot be written in GBK").arg(text));
    return bytes;
}
