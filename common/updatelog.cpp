#include "updatelog.h"

#include "safefile.h"
#include "versioninfo.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace
{
constexpr qint64 kLogLimit = 1024 * 1024;
} // namespace

QString updateLogPath()
{
    // A relative or empty XDG_STATE_HOME is to be ignored.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(state + QStringLiteral("/veltaro/update.log"));
}

void logUpdateFailure(const QString &program, const QString &reason)
{
    const QByteArray line =
        (QDateTime::currentDateTimeUtc().toString(Qt::ISODate) + u' ' + program +
         QStringLiteral(": ") + QString(reason).replace(u'\n', u' ') + u'\n')
            .toUtf8();
    std::fputs((program + QStringLiteral(": ") + reason + u'\n').toLocal8Bit().constData(), stderr);

    // The log is a help, never a reason to fail: what cannot be written is
    // left unwritten.
    const QString path = updateLogPath();
    if (!QDir().mkpath(folderOf(path)))
        return;
    QFile log(path);
    if (log.size() + line.size() > kLogLimit && log.open(QIODevice::ReadOnly)) {
        // The newer half stays, from a line's start.
        QByteArray kept = log.readAll();
        log.close();
        kept = kept.mid(kept.size() / 2);
        kept = kept.mid(kept.indexOf('\n') + 1);
        try {
            writeFileAtomically(path, kept + line);
        } catch (const std::exception &) {
        }
        return;
    }
    if (log.open(QIODevice::Append))
        log.write(line);
}
