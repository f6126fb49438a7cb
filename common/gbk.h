#pragma once

#include <QByteArray>
#include <QString>

// Files, form texts and downloaded text bodies are GBK (code page 936);
// in memory text is Unicode.
QString fromGbk(const QByteArray &bytes);
QByteArray toGbk(const QString &text);
