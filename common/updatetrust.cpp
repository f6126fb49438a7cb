#include "updatetrust.h"

#include "error.h"
#include "http.h"

namespace
{
const QString kSums = QStringLiteral("SHA256SUMS");
const QString kSignature = QStringLiteral("SHA256SUMS.minisig");
// A dozen lines of sums (UpdateInfor.inf, ten files, an updater); a
// signature of four lines whose trusted comment the publisher writes.
constexpr qint64 kSumsMaxBytes = 64 * 1024;
constexpr qint64 kSignatureMaxBytes = 16 * 1024;
} // namespace

UpdateTrust UpdateTrust::fetch(const QString &updateUrl,
                               const std::optional<minisign::PublicKey> &key,
                               const FetchIfPublished &fetch)
{
    UpdateTrust trust;
    const std::optional<QByteArray> sums = fetch(urlForName(updateUrl, kSums), kSumsMaxBytes);
    if (!key) {
        if (sums)
            trust.m_sums = Sha256Sums::parse(*sums);
        return trust;
    }
    if (!sums)
        throw Error(QStringLiteral("The update folder publishes no %1").arg(kSums));
    const std::optional<QByteArray> signature =
        fetch(urlForName(updateUrl, kSignature), kSignatureMaxBytes);
    if (!signature)
        throw Error(QStringLiteral("The update folder publishes no %1").arg(kSignature));
    try {
        minisign::verify(*key, *sums, *signature);
    } catch (const Error &error) {
        throw Error(QStringLiteral("%1: bad signature (%2)").arg(kSignature, error.message()));
    }
    trust.m_sums = Sha256Sums::parse(*sums);
    return trust;
}

UpdateTrust UpdateTrust::fetch(const QString &updateUrl, const FetchIfPublished &fetch)
{
    return UpdateTrust::fetch(updateUrl, minisign::builtInKey(), fetch);
}

void UpdateTrust::requireListed(const QString &name) const
{
    if (m_sums && !m_sums->digestOf(name))
        throw Error(QStringLiteral("%1 does not list %2").arg(kSums, name));
}

void UpdateTrust::check(const QString &name, const QByteArray &digest) const
{
    if (!m_sums)
        return;
    requireListed(name);
    if (*m_sums->digestOf(name) != digest)
        throw Error(QStringLiteral("%1: hash mismatch (not what %2 lists: damaged or forged)")
                        .arg(name, kSums));
}
