#pragma once

#include <QString>

// A program's file name on this system: "player", or "player.exe" on Windows.
inline QString executableName(const QString &base)
{
#ifdef Q_OS_WIN
    return base + QStringLiteral(".exe");
#else
    return base;
#endif
}

// The full path of one of the product's programs ("player", "update",
// "check") in a folder.
inline QString programFile(const QString &folder, const QString &name)
{
    return folder + QLatin1Char('/') + executableName(name);
}
