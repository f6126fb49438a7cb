#include "conversions.h"

#include "error.h"

#include <algorithm>

qint16 toInt16(const QString &text)
{
    // Exact decimal arithmetic on the digits: a double would turn "2.5" and
    // many longer fractions into the wrong neighbour before rounding. Read by
    // hand: blanks, a sign, digits, a point and digits, blanks, and one line
    // feed at the very end, which a line read with its end still holds.
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    qsizetype i = 0;
    const auto skip = [&](auto accepted) {
        const qsizetype from = i;
        while (i < text.size() && accepted(text[i]))
            ++i;
        return text.mid(from, i - from);
    };
    skip(isBlank);
    const bool negative = i < text.size() && text[i] == u'-';
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    const QString whole = skip(isDigit);
    QString fraction;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        fraction = skip(isDigit);
    }
    skip(isBlank);
    if (i + 1 == text.size() && text[i] == u'\n')
        ++i;
    if (i != text.size() || (whole.isEmpty() && fraction.isEmpty()))
        throw Error(QStringLiteral("not a number: \"%1\"").arg(text));

    qsizetype first = 0;
    while (first < whole.size() && whole[first] == u'0')
        ++first;
    const QString digits = whole.mid(first);
    if (digits.size() > 5)
        throw Error(QStringLiteral("out of the 16-bit range: \"%1\"").arg(text));
    qint32 value = digits.isEmpty() ? 0 : digits.toInt();

    if (!fraction.isEmpty()) {
        const QChar lead = fraction[0];
        const bool restIsZero =
            std::all_of(fraction.begin() + 1, fraction.end(), [](QChar c) { return c == u'0'; });
        if (lead > u'5' || (lead == u'5' && !restIsZero) ||
            (lead == u'5' && restIsZero && value % 2 == 1))
            ++value;
    }
    if (negative)
        value = -value;
    if (value < -32768 || value > 32767)
        throw Error(QStringLiteral("out of the 16-bit range: \"%1\"").arg(text));
    return static_cast<qint16>(value);
}

QString progressCaption(int k, int n)
{
    return QStringLiteral("正在更新%1个文件中的第%2个文件!").arg(n).arg(k);
}

QString percentCaption(int k, int n)
{
    return QString::number(100.0 * k / n, 'f', 2) + u'%';
}

int fillWidth(int k, int n, int trackWidth)
{
    return qRound(static_cast<float>(static_cast<double>(k) / n * trackWidth));
}
