#include "skinpicture.h"

#include <QFile>
#include <QGuiApplication>

QString doubleSizePath(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return dot > slash ? path.left(dot) + QLatin1String("@2x") + path.mid(dot)
                       : path + QLatin1String("@2x");
}

QPixmap skinPicture(const QString &path)
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    const QString twin = doubleSizePath(path);
    if (ratio <= 1.0 || !QFile::exists(twin))
        return QPixmap(path);
    QPixmap picture(twin);
    // Qt reads the "@2x" in the name as a device pixel ratio of 2.
    picture.setDevicePixelRatio(2.0);
    if (qFuzzyCompare(ratio, 2.0))
        return picture;
    // Any other ratio: scaled once here, smoothly, rather than on every paint
    // without smoothing.
    const QSizeF logical = picture.deviceIndependentSize();
    QPixmap scaled =
        picture.scaled(qRound(logical.width() * ratio), qRound(logical.height() * ratio),
                       Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(ratio);
    return scaled;
}
