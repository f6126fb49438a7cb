#pragma once

#include <QPixmap>
#include <QString>

// A skin picture for the screens at hand. Where the desktop scales by more
// than 1 (Qt's scale factor, Xft.dpi, QT_SCALE_FACTOR) and the picture has a
// twin drawn at twice the pixels ("logo@2x.jpg" beside "logo.jpg"), the twin
// is used, smoothly brought to the screen's ratio when that is not 2, so the
// picture keeps its size in the layout and is drawn sharp, not blown up.
QPixmap skinPicture(const QString &path);

// The twin's path: "name@2x.ext" for "name.ext".
QString doubleSizePath(const QString &path);
