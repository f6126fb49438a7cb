#include "sha256sums.h"

#include "error.h"

#include <algorithm>
#include <openssl/evp.h>

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

struct Sha256::Context {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> md{EVP_MD_CTX_new(), EVP_MD_CTX_free};
};

Sha256::Sha256() : m_context(std::make_unique<Context>())
{
    if (!m_context->md || EVP_DigestInit_ex(m_context->md.get(), EVP_sha256(), nullptr) != 1)
        throw Error(QStringLiteral("SHA-256 is not available"));
}

Sha256::~Sha256() = default;

void Sha256::add(const char *data, std::size_t size)
{
    if (EVP_DigestUpdate(m_context->md.get(), data, size) != 1)
        throw Error(QStringLiteral("SHA-256 failed"));
}

QByteArray Sha256::finish()
{
    QByteArray digest(32, '\0');
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(m_context->md.get(), reinterpret_cast<unsigned char *>(digest.data()),
                           &length) != 1 ||
        length != 32)
        throw Error(QStringLiteral("SHA-256 failed"));
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
    // sha256sum -c takes a last line without its line end too. Lines are
    // views into text: no copy of the whole list is made.
    const QByteArrayView body =
        text.endsWith('\n') ? QByteArrayView(text).chopped(1) : QByteArrayView(text);
    if (body.isEmpty())
        throw Error(QStringLiteral("SHA256SUMS lists nothing"));
    Sha256Sums sums;
    for (qsizetype from = 0; from <= body.size();) {
        qsizetype end = body.indexOf('\n', from);
        if (end < 0)
            end = body.size();
        const QByteArrayView raw = body.sliced(from, end - from);
        from = end + 1;
        // A backslash when the name is escaped, 64 hex digits, a blank, a
        // blank or '*', and a name of one byte or more.
        const qsizetype hexAt = raw.startsWith('\\') ? 1 : 0;
        const qsizetype nameAt = hexAt + 66;
        if (raw.size() <= nameAt)
            throw Error(QStringLiteral("SHA256SUMS has a malformed line"));
        const QByteArrayView hex = raw.sliced(hexAt, 64);
        if (raw[nameAt - 2] != ' ' || (raw[nameAt - 1] != ' ' && raw[nameAt - 1] != '*') ||
            !std::all_of(hex.cbegin(), hex.cend(), [](char c) {
                return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
            }))
            throw Error(QStringLiteral("SHA256SUMS has a malformed line"));
        QByteArray name = raw.sliced(nameAt).toByteArray();
        if (hexAt == 1) {
            const std::optional<QByteArray> plain = unescaped(name);
            if (!plain)
                throw Error(QStringLiteral("SHA256SUMS has a malformed line"));
            name = *plain;
        }
        const QString decoded = QString::fromUtf8(name);
        if (sums.digestOf(decoded))
            throw Error(QStringLiteral("SHA256SUMS lists %1 twice").arg(decoded));
        sums.add(decoded, QByteArray::fromHex(hex.toByteArray()));
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
