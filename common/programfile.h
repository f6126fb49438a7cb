#pragma once

#include <QString>

// The full path of one of the product's programs in a folder ("player",
// "update", "check"; with ".exe" on Windows).
inline QString programFile(const QString &folder, const QString &name)
{
#ifdef Q_OS_WIN
    return folder + QLatin1Char('\\') + name + QStringLiteral(".exe");
#else
    return folder + QLatin1Char('/') + name;
#endif
}

// A name that can only mean a file directly inside a folder: not empty, not
// "." or "..", no folder part, no drive letter, not absolute.
inline bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'))
           && !name.contains(QLatin1Char(':'));
}
