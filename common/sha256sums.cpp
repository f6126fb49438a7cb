#include "sha256sums.h"

#include "error.h"

#include <QRegularExpression>

namespace
{
QString slashed(QString name)
{
    return name.replace(u'\\', u'/');
}

// GNU's escaped form: "\\" for a backslash, "\n" for a line feed.
std::optional<QByteArray> unescaped(const QByteArray &name)
{
    QByteArray out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] != '\\') {
            out += name[i];
            continue;
        }
        if (++i == name.size())
            return std::nullopt;
        if (name[i] == '\\')
            out += '\\';
        else if (name[i] == 'n')
            out += '\n';
        else
            return std::nullopt;
    }
    return out;
}
} // namespace

Sha256::Sha256()
{
    crypto_hash_sha256_init(&m_state);
}

void Sha256::add(const char *data, std::size_t size)
{
    crypto_hash_sha256_update(&m_state, reinterpret_cast<const unsigned char *>(data), size);
}

QByteArray Sha256::finish()
{
    QByteArray digest(crypto_hash_sha256_BYTES, '\0');
    crypto_hash_sha256_final(&m_state, reinterpret_cast<unsigned char *>(digest.data()));
    return digest;
}

QByteArray sha256(const QByteArray &data)
{
    Sha256 hash;
    hash.add(data.constData(), std::size_t(data.size()));
    return hash.finish();
}

Sha256Sums Sha256Sums::parse(const QByteArray &text)
{
    static const QRegularExpression line(QStringLiteral("^(\\\\?)([0-9a-fA-F]{64}) [ *](.+)$"));
    if (!text.endsWith('\n'))
        throw Error(QStringLiteral("SHA256SUMS does not end with a line end"));
    Sha256Sums sums;
    for (const QByteArray &raw : text.chopped(1).split('\n')) {
        const QRegularExpressionMatch m = line.match(QString::fromLatin1(raw));
        if (!m.hasMatch())
            throw Error(QStringLiteral("SHA256SUMS has a malformed line"));
        QByteArray name = raw.mid(raw.size() - m.capturedLength(3));
        if (!m.captured(1).isEmpty()) {
            const std::optional<QByteArray> plain = unescaped(name);
            if (!plain)
                throw Error(QStringLiteral("SHA256SUMS has a malformed line"));
            name = *plain;
        }
        const QString decoded = QString::fromUtf8(name);
        if (sums.digestOf(decoded))
            throw Error(QStringLiteral("SHA256SUMS lists %1 twice").arg(decoded));
        sums.add(decoded, QByteArray::fromHex(m.captured(2).toLatin1()));
    }
    return sums;
}

std::optional<QByteArray> Sha256Sums::digestOf(const QString &name) const
{
    const QString wanted = slashed(name);
    for (const Line &l : m_lines)
        if (slashed(l.name) == wanted)
            return l.digest;
    return std::nullopt;
}

void Sha256Sums::add(const QString &name, const QByteArray &digest)
{
    m_lines.append({name, digest});
}

QByteArray Sha256Sums::format() const
{
    QByteArray text;
    for (const Line &l : m_lines) {
        QByteArray name = l.name.toUtf8();
        const bool escape = name.contains('\\') || name.contains('\n');
        if (escape)
            name.replace("\\", "\\\\").replace("\n", "\\n");
        text += (escape ? "\\" : "") + l.digest.toHex() + "  " + name + '\n';
    }
    return text;
}
