#include "portalwatch.h"

#include "../background.h"
#include "error.h"
#include "http.h"

#include <QNetworkInformation>
#include <algorithm>

PortalWatch::PortalWatch(std::function<bool()> probe, Clock &clock, QObject *parent)
    : QObject(parent), m_probe(std::move(probe)),
      m_timer(clock.timer([this] { probeNow(); }, true))
{
}

void PortalWatch::lost()
{
    if (m_watching)
        return;
    m_watching = true;
    // The network's reports are only wanted once the portal has gone; a
    // run that never loses it pays nothing for them.
    if (!m_networkWatched && QNetworkInformation::loadDefaultBackend()) {
        m_networkWatched = true;
        connect(QNetworkInformation::instance(), &QNetworkInformation::reachabilityChanged, this,
                &PortalWatch::networkChanged);
    }
    // A portal lost again soon after it came back (it answers the probe but
    // not the pages) is asked ever less often, not every second.
    if (!m_returned.isValid() || m_returned.hasExpired(longestWait.count()))
        m_wait = firstWait;
    waitAgain();
}

void PortalWatch::networkChanged()
{
    if (!m_watching)
        return;
    m_wait = firstWait;
    if (m_probing)
        return; // the probe under way waits 1 s when it fails
    m_timer->stop();
    probeNow();
}

void PortalWatch::waitAgain()
{
    m_timer->start(int(m_wait.count()));
    m_wait = std::min(m_wait * 2, longestWait);
}

void PortalWatch::probeNow()
{
    if (m_probing || !m_watching)
        return;
    m_probing = true;
    inBackground(this, m_probe, [this](bool answered) {
        m_probing = false;
        if (!answered) {
            waitAgain();
            return;
        }
        m_watching = false;
        m_timer->stop();
        m_returned.start();
        emit returned();
    });
}

bool portalAnswers(const QString &root)
{
    HttpOptions options;
    options.connectTimeoutSeconds = 5;
    options.totalTimeoutSeconds = 5;
    // The status line is the answer; the body is not wanted.
    options.maxBodyBytes = 1;
    try {
        fetchText(root, options);
        return true;
    } catch (const Error &) {
        return false;
    }
}
