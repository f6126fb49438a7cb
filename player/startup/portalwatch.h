#pragma once

#include "clock.h"

#include <QElapsedTimer>
#include <QObject>
#include <chrono>
#include <functional>
#include <memory>

// Watches for the portal's return while it does not answer. The probe asks
// the portal once, 1 s after the loss, then after 2, 4, ... and at most 30 s;
// a change of the network's reachability asks at once and starts the waits
// over. One probe at most is under way, and none while the portal answers.
class PortalWatch : public QObject
{
    Q_OBJECT
public:
    // probe blocks on a worker thread and says whether the portal answered;
    // the waits between probes run on the clock.
    PortalWatch(std::function<bool()> probe, Clock &clock, QObject *parent = nullptr);

    // The portal did not answer; nothing more while it is already watched.
    void lost();
    bool isWatching() const { return m_watching; }
    // The network changed: ask now, and wait 1 s again after a failure.
    void networkChanged();

    static constexpr std::chrono::milliseconds firstWait{1000};
    static constexpr std::chrono::milliseconds longestWait{30000};

signals:
    void returned();

private:
    void probeNow();
    void waitAgain();

    std::function<bool()> m_probe;
    std::unique_ptr<Clock::Timer> m_timer;
    std::chrono::milliseconds m_wait = firstWait;
    bool m_watching = false;
    bool m_probing = false;
    bool m_networkWatched = false;
    QElapsedTimer m_returned;
};

// Whether the portal at root gives any answer at all, an error status
// included, within a few seconds.
bool portalAnswers(const QString &root);
