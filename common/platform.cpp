#include "platform.h"

#include "forms/twips.h"
#include "windowing.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QUrl>
#include <cstdlib>

#ifndef Q_OS_WIN
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>
#endif

namespace platform
{

QString installFolder()
{
    return QCoreApplication::applicationDirPath();
}

#ifdef Q_OS_WIN

// Windows: no route table to read here; the machine is taken to be online.
bool connectionAvailable()
{
    return true;
}

#else

namespace
{

// Interfaces that carry a default route, IPv4 or IPv6, loopback excluded.
QSet<QString> defaultRouteInterfaces()
{
    QSet<QString> names;
    QFile ipv4(QStringLiteral("/proc/net/route"));
    if (ipv4.open(QIODevice::ReadOnly)) {
        ipv4.readLine(); // column titles
        while (!ipv4.atEnd()) {
            const QList<QByteArray> fields = ipv4.readLine().simplified().split(' ');
            constexpr unsigned routeUp = 0x1;
            if (fields.size() > 3 && fields[1] == "00000000" &&
                (fields[3].toUInt(nullptr, 16) & routeUp))
                names.insert(QString::fromLatin1(fields[0]));
        }
    }
    QFile ipv6(QStringLiteral("/proc/net/ipv6_route"));
    if (ipv6.open(QIODevice::ReadOnly)) {
        while (!ipv6.atEnd()) {
            const QList<QByteArray> fields = ipv6.readLine().simplified().split(' ');
            constexpr unsigned routeUp = 0x1, routeReject = 0x200;
            if (fields.size() < 10 || fields[0] != QByteArray(32, '0') || fields[1] != "00")
                continue;
            const unsigned flags = fields[8].toUInt(nullptr, 16);
            if ((flags & routeUp) && !(flags & routeReject))
                names.insert(QString::fromLatin1(fields[9]));
        }
    }
    names.remove(QStringLiteral("lo"));
    return names;
}

} // namespace

bool connectionAvailable()
{
    const QSet<QString> routed = defaultRouteInterfaces();
    if (routed.isEmpty())
        return false;
    ifaddrs *list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    bool online = false;
    for (const ifaddrs *entry = list; entry && !online; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        const bool hasAddress = entry->ifa_addr && (entry->ifa_addr->sa_family == AF_INET ||
                                                    entry->ifa_addr->sa_family == AF_INET6);
        online = hasAddress && (flags & IFF_UP) && (flags & IFF_RUNNING) &&
                 !(flags & IFF_LOOPBACK) && routed.contains(QString::fromLatin1(entry->ifa_name));
    }
    freeifaddrs(list);
    return online;
}

#endif

void startProgram(const QString &path)
{
    QProcess::startDetached(path, {}, QFileInfo(path).absolutePath());
}

void openLink(const QString &url)
{
    QDesktopServices::openUrl(QUrl(url));
}

namespace
{

// Qt centres a box without a parent on the screen under the pointer; it goes
// where the program's windows open instead. The box has its size once its
// show event has run, and is mapped only after it.
class MessageBox : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        if (!parentWidget())
            move(windowing::centredIn(windowing::screenArea(), size()).topLeft());
    }
};

} // namespace

QMessageBox::StandardButton showMessage(QWidget *parent, const QString &text, const QString &title,
                                        QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons)
{
    // A box without a title of its own carries the program's name.
    MessageBox box(icon, title.isEmpty() ? QGuiApplication::applicationDisplayName() : title, text,
                   buttons, parent);
    if (parent)
        windowing::own(&box, parent->window());
    box.exec();
    return box.standardButton(box.clickedButton());
}

QRect screenAreaTwips()
{
    const QRect area = windowing::screenArea();
    return {area.topLeft() * forms::kTwipsPerPixel, area.size() * forms::kTwipsPerPixel};
}

} // namespace platform

Seams Seams::system()
{
    Seams seams;
    seams.probe = platform::connectionAvailable;
    seams.random = [] { return QRandomGenerator::global()->generateDouble(); };
    seams.message = platform::showMessage;
    seams.startProgram = platform::startProgram;
    seams.openLink = platform::openLink;
    seams.screenAreaTwips = platform::screenAreaTwips;
    seams.endProcess = [] { std::_Exit(0); };
    seams.installFolder = platform::installFolder();
    seams.updateKey = minisign::builtInKey();
    seams.updatesItself = VELTARO_SELF_UPDATE;
    return seams;
}
