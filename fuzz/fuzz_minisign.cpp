// The files an update area serves, and the keys, are read from untrusted
// bytes: every parser must refuse or accept without reading out of bounds,
// and nothing but the real signature may verify.
#include "check.h"
#include "error.h"
#include "minisign.h"
#include "sha256sums.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    static const auto keys = minisign::generateKeyPair();
    static const QByteArray message = "SHA256SUMS";

    try {
        minisign::parsePublicKey(bytes);
    } catch (const Error &) {
    }
    try {
        // An encrypted key would ask for its password: refused here, so no
        // scrypt run is spent on a fuzzed one.
        minisign::parseSecretKey(bytes, []() -> QByteArray { throw Error(QStringLiteral("no password")); });
    } catch (const Error &) {
    }
    try {
        minisign::verify(keys.second, message, bytes);
        // A signature by a key made in this process cannot be guessed.
        check(false);
    } catch (const Error &) {
    }
    try {
        const Sha256Sums sums = Sha256Sums::parse(bytes);
        check(Sha256Sums::parse(sums.format()).format() == sums.format());
    } catch (const Error &) {
    }
    return 0;
}
