// The version files come from the install folder and from the network: any
// bytes must either read into the fixed arrays or raise an Error, never more.
#include "check.h"
#include "error.h"
#include "gbk.h"
#include "versioninfo.h"

#include <algorithm>
#include <cstdint>

namespace
{

// What the line rule promises: no CR survives inside a line, every other
// character is kept in order, and there is one line per line end plus the
// unterminated rest, if any.
void checkLines(const QString &text, const QStringList &lines)
{
    QString kept;
    qsizetype ends = 0;
    qsizetype restStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\r') {
            ++ends;
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            restStart = i + 1;
        } else {
            kept.append(text.at(i));
        }
    }
    check(lines.join(QString()) == kept);
    check(lines.size() == ends + (restStart < text.size() ? 1 : 0));
    for (const QString &line : lines)
        check(!line.contains(u'\r'));
}

template <std::size_t N> void checkRead(const QByteArray &bytes, const QStringList &lines)
{
    try {
        const std::array<QString, N> read = readLines<N>(bytes);
        check(static_cast<std::size_t>(lines.size()) <= N);
        for (std::size_t i = 0; i < N; ++i)
            check(read[i] == (i < static_cast<std::size_t>(lines.size()) ? lines[i] : QString()));
    } catch (const Error &) {
        check(static_cast<std::size_t>(lines.size()) > N);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString text = fromGbk(bytes);
    const QStringList lines = splitLines(text);
    checkLines(text, lines);
    checkRead<11>(bytes, lines);
    checkRead<21>(bytes, lines);

    const QString installed = fromGbk(bytes.left(bytes.size() / 2));
    const QString published = fromGbk(bytes.mid(bytes.size() / 2));
    check(!newerThan(installed, installed));
    check(!(newerThan(installed, published) && newerThan(published, installed)));
    // Texts that differ are ordered one way or the other, except numbers
    // of equal value (5.1 and 5.1.0, 5.09 and 5.9).
    const auto dotted = [](const QString &v) {
        return !v.isEmpty() && v.count(u'.') < v.size() && !v.startsWith(u'.') &&
               !v.endsWith(u'.') && !v.contains(QStringLiteral("..")) &&
               std::all_of(v.cbegin(), v.cend(),
                           [](QChar c) { return c == u'.' || (c >= u'0' && c <= u'9'); });
    };
    if (installed != published && !(dotted(installed) && dotted(published)))
        check(newerThan(installed, published) || newerThan(published, installed));
    return 0;
}
