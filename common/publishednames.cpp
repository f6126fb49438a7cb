#include "publishednames.h"

#include <QSet>

namespace
{
// The longest file name of the file systems the client runs on, in bytes
// (ext4, btrfs, XFS, NTFS in UTF-16 units). Temporaries have short names of
// their own, so a published name may use all of it.
constexpr qsizetype kMaxComponentBytes = 255;

const QStringList &reservedNames()
{
    static const QStringList names{
        QStringLiteral("clientinfor.inf"),
        QStringLiteral("updateinfor.inf"),
        QStringLiteral("sha256sums"),
        QStringLiteral("sha256sums.minisig"),
    };
    return names;
}

bool hasControlCharacter(const QString &name)
{
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}
} // namespace

QString normalisedName(const QString &name)
{
    QString normalised = name;
    return normalised.replace(u'\\', u'/');
}

QString publishedNameProblem(const QString &name)
{
    const QString n = normalisedName(name);
    if (n.isEmpty())
        return QStringLiteral("empty name");
    if (hasControlCharacter(n))
        return QStringLiteral("\"%1\" holds a control character").arg(name);
    if (n.startsWith(u'/'))
        return QStringLiteral("\"%1\" is absolute").arg(name);
    // "C:x" is relative to drive C's current folder on Windows, "x:y" an
    // alternate data stream; no published name needs a colon.
    if (n.contains(u':'))
        return QStringLiteral("\"%1\" names a drive or stream").arg(name);
    const QStringList parts = n.split(u'/');
    for (const QString &part : parts) {
        if (part.isEmpty())
            return QStringLiteral("\"%1\" has an empty component").arg(name);
        if (part == u"." || part == u"..")
            return QStringLiteral("\"%1\" has a \"%2\" component").arg(name, part);
        if (part.toUtf8().size() > kMaxComponentBytes)
            return QStringLiteral("\"%1\" has a component longer than %2 bytes")
                .arg(name)
                .arg(kMaxComponentBytes);
        if (part.startsWith(QLatin1String(kWorkingFilePrefix), Qt::CaseInsensitive))
            return QStringLiteral("\"%1\" is a name the updater keeps for itself").arg(name);
    }
    if (reservedNames().contains(n.toCaseFolded()))
        return QStringLiteral("\"%1\" is a name the updater keeps for itself").arg(name);
    return QString();
}

QString updaterNameProblem(const QString &name)
{
    const QString problem = publishedNameProblem(name);
    if (!problem.isEmpty())
        return problem;
    if (normalisedName(name).contains(u'/'))
        return QStringLiteral("the new updater \"%1\" is not a plain file name").arg(name);
    return QString();
}

QStringList publishedNamesProblems(const QStringList &names, const QString &updaterName)
{
    QStringList problems;
    QSet<QString> seen;
    for (const QString &name : names) {
        const QString problem = publishedNameProblem(name);
        if (!problem.isEmpty()) {
            problems << problem;
            continue;
        }
        if (const QString key = normalisedName(name).toCaseFolded(); !seen.contains(key))
            seen.insert(key);
        else
            problems << QStringLiteral("\"%1\" names a file listed before it").arg(name);
    }
    if (!updaterName.isEmpty())
        if (const QString problem = updaterNameProblem(updaterName); !problem.isEmpty())
            problems << problem;
    return problems;
}
