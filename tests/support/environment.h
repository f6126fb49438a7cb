#pragma once

#include <QProcessEnvironment>
#include <QStringList>

// An environment made of "NAME=value" pairs, and nothing else.
inline QProcessEnvironment environmentOf(const QStringList &pairs)
{
    QProcessEnvironment env;
    for (const QString &pair : pairs)
        env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    return env;
}
