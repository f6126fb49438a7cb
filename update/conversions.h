#pragma once

#include <QString>
#include <QtGlobal>

// The number rules of the updater window, apart from any widget.

// A 16-bit integer from text: surrounding blanks, an optional sign, decimal
// digits with an optional fraction that is rounded to the nearest whole
// number, a half to the even one. Anything else, and any value outside
// -32768..32767, is an Error.
qint16 toInt16(const QString &text);

// "正在更新" + n + "个文件中的第" + k + "个文件!"
QString progressCaption(int k, int n);

// k / n in the "0.00%" pattern: "33.33%", "100.00%".
QString percentCaption(int k, int n);

// The width of the progress fill after file k of n, in twips.
int fillWidth(int k, int n, int trackWidth);
