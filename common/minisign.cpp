#include "minisign.h"

#include "error.h"

#include <QList>
#include <cstring>
#include <sodium.h>

namespace minisign
{
namespace
{
constexpr std::size_t kIdBytes = 8;
constexpr std::size_t kSignatureBytes = crypto_sign_BYTES;
constexpr std::size_t kPrehashBytes = crypto_generichash_BYTES_MAX;
constexpr std::size_t kChecksumBytes = crypto_generichash_BYTES;
constexpr std::size_t kSaltBytes = crypto_pwhash_scryptsalsa208sha256_SALTBYTES;
// minisign's own limit for a trusted comment; key and signature files are a
// few hundred bytes, so anything far larger is refused before it is split.
constexpr qsizetype kCommentMaxBytes = 8192;
constexpr qsizetype kFileMaxBytes = 2 * kCommentMaxBytes;

void initSodium()
{
    static const int result = sodium_init();
    if (result < 0)
        throw Error(QStringLiteral("The cryptography library could not start"));
}

const char *bytes(const QByteArray &data)
{
    return data.constData();
}

const unsigned char *uchars(const QByteArray &data)
{
    return reinterpret_cast<const unsigned char *>(data.constData());
}

// The lines of a text file, without their ends (LF or CR LF).
QList<QByteArray> linesOf(const QByteArray &text)
{
    if (text.size() > kFileMaxBytes)
        return {};
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray &line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

// Strict base64 of exactly size bytes.
QByteArray decoded(const QByteArray &line, qsizetype size, const char *what)
{
    const auto result = QByteArray::fromBase64Encoding(
        line.trimmed(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!result || result.decoded.size() != size)
        throw Error(QStringLiteral("Malformed %1").arg(QLatin1String(what)));
    return result.decoded;
}

// The base64 line of a key file: the only line, or the one after the
// untrusted comment.
QByteArray keyLine(const QByteArray &text, const char *what)
{
    const QList<QByteArray> lines = linesOf(text);
    if (lines.size() == 1)
        return lines[0];
    if (lines.size() == 2 && lines[0].startsWith("untrusted comment:"))
        return lines[1];
    throw Error(QStringLiteral("Malformed %1").arg(QLatin1String(what)));
}

QByteArray blake2b(const QByteArray &data, std::size_t size)
{
    QByteArray out(qsizetype(size), '\0');
    crypto_generichash(reinterpret_cast<unsigned char *>(out.data()), size, uchars(data),
                       std::size_t(data.size()), nullptr, 0);
    return out;
}

quint64 littleEndian(const QByteArray &data, qsizetype at)
{
    quint64 value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(data[at + i]);
    return value;
}

template <std::size_t N> QByteArray asBytes(const std::array<unsigned char, N> &a)
{
    return QByteArray(reinterpret_cast<const char *>(a.data()), qsizetype(N));
}

QByteArray signDetached(const SecretKey &key, const QByteArray &message)
{
    QByteArray signature(kSignatureBytes, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char *>(signature.data()), nullptr,
                         uchars(message), std::size_t(message.size()), key.key.data());
    return signature;
}

bool verifyDetached(const PublicKey &key, const QByteArray &signature, const QByteArray &message)
{
    return crypto_sign_verify_detached(uchars(signature), uchars(message),
                                       std::size_t(message.size()), key.key.data()) == 0;
}
} // namespace

PublicKey parsePublicKey(const QByteArray &text)
{
    const QByteArray raw = decoded(keyLine(text, "public key"), 2 + kIdBytes + 32, "public key");
    if (!raw.startsWith("Ed"))
        throw Error(QStringLiteral("Not an Ed25519 public key"));
    PublicKey key;
    std::memcpy(key.keyId.data(), bytes(raw) + 2, kIdBytes);
    std::memcpy(key.key.data(), bytes(raw) + 2 + kIdBytes, key.key.size());
    return key;
}

SecretKey parseSecretKey(const QByteArray &text, const std::function<QByteArray()> &password)
{
    initSodium();
    // Algorithms, salt, scrypt limits, then key id, key and checksum, which
    // an encrypted key has XORed with a stream derived from the password.
    constexpr qsizetype kHead = 2 + 2 + 2 + kSaltBytes + 8 + 8;
    constexpr qsizetype kSecret = kIdBytes + 64 + kChecksumBytes;
    QByteArray raw = decoded(keyLine(text, "secret key"), kHead + kSecret, "secret key");
    if (!raw.startsWith("Ed") || raw.mid(4, 2) != "B2")
        throw Error(QStringLiteral("Not a minisign Ed25519 secret key"));
    const QByteArray kdf = raw.mid(2, 2);
    const bool encrypted = kdf == "Sc";
    if (encrypted) {
        const QByteArray salt = raw.mid(6, kSaltBytes);
        const quint64 ops = littleEndian(raw, 6 + kSaltBytes);
        const quint64 mem = littleEndian(raw, 6 + kSaltBytes + 8);
        // Sane bounds: a hostile file must not make us spend gigabytes.
        if (ops > (quint64(1) << 32) || mem > (quint64(1) << 31))
            throw Error(QStringLiteral("The secret key asks for unreasonable scrypt limits"));
        const QByteArray pass = password();
        QByteArray stream(kSecret, '\0');
        if (crypto_pwhash_scryptsalsa208sha256(
                reinterpret_cast<unsigned char *>(stream.data()), std::size_t(kSecret), bytes(pass),
                std::size_t(pass.size()), uchars(salt), ops, std::size_t(mem)) != 0)
            throw Error(QStringLiteral("Cannot derive the key from the password"));
        for (qsizetype i = 0; i < kSecret; ++i)
            raw[kHead + i] = char(raw[kHead + i] ^ stream[i]);
        sodium_memzero(stream.data(), std::size_t(stream.size()));
    } else if (kdf != QByteArray(2, '\0')) {
        throw Error(QStringLiteral("The secret key uses an unknown key derivation"));
    }
    SecretKey key;
    std::memcpy(key.keyId.data(), bytes(raw) + kHead, kIdBytes);
    std::memcpy(key.key.data(), bytes(raw) + kHead + kIdBytes, key.key.size());
    const QByteArray checksum = raw.mid(kHead + kIdBytes + 64, kChecksumBytes);
    const QByteArray expected =
        blake2b(raw.left(2) + asBytes(key.keyId) + asBytes(key.key), kChecksumBytes);
    sodium_memzero(raw.data(), std::size_t(raw.size()));
    // minisign leaves the checksum empty in a key without a password.
    const bool unchecked = !encrypted && checksum == QByteArray(kChecksumBytes, '\0');
    if (!unchecked && sodium_memcmp(bytes(checksum), bytes(expected), kChecksumBytes) != 0)
        throw Error(QStringLiteral("Wrong password for the secret key, or a damaged key"));
    // The second half of an Ed25519 secret key is its public key, which its
    // first half derives: a damaged key never signs.
    std::array<unsigned char, 32> derived{};
    std::array<unsigned char, 64> again{};
    crypto_sign_seed_keypair(derived.data(), again.data(), key.key.data());
    const bool whole = sodium_memcmp(derived.data(), key.key.data() + 32, derived.size()) == 0;
    sodium_memzero(again.data(), again.size());
    if (!whole)
        throw Error(QStringLiteral("Wrong password for the secret key, or a damaged key"));
    return key;
}

QString verify(const PublicKey &key, const QByteArray &message, const QByteArray &minisig)
{
    initSodium();
    const QList<QByteArray> lines = linesOf(minisig);
    const QByteArray commentPrefix = "trusted comment: ";
    // Like minisign, whatever follows the four lines is ignored: it is not
    // signed and changes nothing.
    if (lines.size() < 4 || !lines[0].startsWith("untrusted comment:") ||
        !lines[2].startsWith(commentPrefix))
        throw Error(QStringLiteral("Malformed signature file"));
    const QByteArray raw = decoded(lines[1], 2 + kIdBytes + kSignatureBytes, "signature");
    const QByteArray global = decoded(lines[3], kSignatureBytes, "global signature");
    const QByteArray algorithm = raw.left(2);
    if (algorithm != "ED" && algorithm != "Ed")
        throw Error(QStringLiteral("Unknown signature algorithm"));
    if (raw.mid(2, kIdBytes) != asBytes(key.keyId))
        throw Error(QStringLiteral("Signed with another key"));
    const QByteArray signature = raw.mid(2 + kIdBytes);
    const QByteArray signedBytes = algorithm == "ED" ? blake2b(message, kPrehashBytes) : message;
    if (!verifyDetached(key, signature, signedBytes))
        throw Error(QStringLiteral("The signature does not match"));
    const QByteArray comment = lines[2].mid(commentPrefix.size());
    if (comment.size() > kCommentMaxBytes)
        throw Error(QStringLiteral("Malformed signature file"));
    if (!verifyDetached(key, global, signature + comment))
        throw Error(QStringLiteral("The trusted comment is not signed"));
    return QString::fromUtf8(comment);
}

QByteArray sign(const SecretKey &key, const QByteArray &message, const QString &trustedComment,
                bool prehashed)
{
    initSodium();
    const QByteArray comment = trustedComment.toUtf8();
    if (comment.contains('\n') || comment.contains('\r') || comment.size() > kCommentMaxBytes)
        throw Error(QStringLiteral("A trusted comment is one line of at most %1 bytes")
                        .arg(kCommentMaxBytes));
    const QByteArray signature =
        signDetached(key, prehashed ? blake2b(message, kPrehashBytes) : message);
    const QByteArray global = signDetached(key, signature + comment);
    const QByteArray head = prehashed ? "ED" : "Ed";
    return "untrusted comment: signature from minisign secret key\n" +
           (head + asBytes(key.keyId) + signature).toBase64() + "\ntrusted comment: " + comment +
           '\n' + global.toBase64() + '\n';
}

std::pair<SecretKey, PublicKey> generateKeyPair()
{
    initSodium();
    SecretKey secret;
    PublicKey pub;
    crypto_sign_keypair(pub.key.data(), secret.key.data());
    randombytes_buf(secret.keyId.data(), secret.keyId.size());
    pub.keyId = secret.keyId;
    return {secret, pub};
}

std::optional<PublicKey> builtInKey()
{
#ifdef VELTARO_UPDATE_PUBLIC_KEY
    static const PublicKey key = parsePublicKey(QByteArrayLiteral(VELTARO_UPDATE_PUBLIC_KEY));
    return key;
#else
    return std::nullopt;
#endif
}

} // namespace minisign
