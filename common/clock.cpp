#include "clock.h"

#include <QTimer>

namespace
{

class SystemTimer : public Clock::Timer
{
public:
    SystemTimer(std::function<void()> timeout, bool singleShot)
    {
        m_timer.setSingleShot(singleShot);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(timeout));
    }
    void start(int intervalMs) override { m_timer.start(intervalMs); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

class SystemClock : public Clock
{
public:
    std::unique_ptr<Timer> timer(std::function<void()> timeout, bool singleShot) override
    {
        return std::make_unique<SystemTimer>(std::move(timeout), singleShot);
    }
};

} // namespace

Clock &Clock::system()
{
    static SystemClock clock;
    return clock;
}
