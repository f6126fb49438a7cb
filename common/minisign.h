#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <utility>

// Keys and signatures in the formats of the minisign tool (Ed25519 through
// libsodium). Every file read here may come from anywhere: each field's
// length is checked before it is used, and anything malformed is an Error.
namespace minisign
{

struct PublicKey {
    std::array<unsigned char, 8> keyId{};
    std::array<unsigned char, 32> key{};
};

struct SecretKey {
    std::array<unsigned char, 8> keyId{};
    std::array<unsigned char, 64> key{};
};

// The base64 key line ("RW...") alone, or a whole .pub file (an
// "untrusted comment:" line, then that line).
PublicKey parsePublicKey(const QByteArray &text);

// A .key file as minisign writes it; password() is asked only when the key
// is encrypted (scrypt); an unencrypted one (minisign -W) needs none. A
// wrong password or a damaged file is an Error.
SecretKey parseSecretKey(const QByteArray &text, const std::function<QByteArray()> &password);

// Checks a .minisig file over message: algorithm "ED" (BLAKE2b-512 of the
// message signed) or "Ed" (the message itself signed, the older form), the
// key id, the signature, then the global signature over the signature and
// the trusted comment. Returns the trusted comment; an Error saying why
// otherwise.
QString verify(const PublicKey &key, const QByteArray &message, const QByteArray &minisig);

// A .minisig for message, prehashed ("ED") unless asked for the older form.
QByteArray sign(const SecretKey &key, const QByteArray &message, const QString &trustedComment,
                bool prehashed = true);

// A fresh key pair.
std::pair<SecretKey, PublicKey> generateKeyPair();

// The key this program was built with, or none in a build without one.
std::optional<PublicKey> builtInKey();

} // namespace minisign
