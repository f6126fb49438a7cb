#pragma once

#include "minisign.h"
#include "sha256sums.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// What an update folder vouches for. SHA256SUMS lists the SHA-256 of
// UpdateInfor.inf and of every published file; SHA256SUMS.minisig signs it
// with the publisher's key. A client built with a key takes nothing that the
// signature does not cover; a client built without one still checks the sums
// when the folder publishes them, which catches broken-off downloads.

// Fetches a published file of at most maxBytes; none when the server says
// it is not there.
using FetchIfPublished =
    std::function<std::optional<QByteArray>(const QString &url, qint64 maxBytes)>;

class UpdateTrust
{
public:
    // Fetches SHA256SUMS (and its signature when key is given) from
    // updateUrl. With a key, a missing, malformed or non-verifying signature
    // or list is an Error; without one, a folder that publishes no list
    // vouches for nothing and is taken as it is.
    static UpdateTrust fetch(const QString &updateUrl,
                             const std::optional<minisign::PublicKey> &key,
                             const FetchIfPublished &fetch);
    // The same with the key this program was built with.
    static UpdateTrust fetch(const QString &updateUrl, const FetchIfPublished &fetch);

    // Whether the folder listed sums at all.
    bool vouches() const { return m_sums.has_value(); }
    // An Error unless the list names name with this SHA-256 (32 raw bytes);
    // nothing to check when the folder lists no sums.
    void check(const QString &name, const QByteArray &digest) const;
    // An Error unless the list names name (before anything is fetched).
    void requireListed(const QString &name) const;

private:
    std::optional<Sha256Sums> m_sums;
};
