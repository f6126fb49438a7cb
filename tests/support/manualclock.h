#pragma once

#include "clock.h"

#include <QtGlobal>
#include <algorithm>
#include <vector>

// A clock that stands still until the test moves it on. advance() fires the
// timers that fall due on the way in the order of their due times (at the
// same time, in the order they were started), a repeating one again each
// interval, all from inside advance().
class ManualClock : public Clock
{
    struct Entry {
        std::function<void()> timeout;
        bool singleShot;
        bool active = false;
        int interval = 0;
        qint64 due = 0;
        quint64 order = 0;
    };
    struct State {
        qint64 now = 0;
        quint64 started = 0;
        std::vector<Entry *> timers;
    };

    class ManualTimer : public Timer
    {
    public:
        ManualTimer(std::shared_ptr<State> state, std::function<void()> timeout, bool singleShot)
            : m_state(std::move(state)), m_entry{std::move(timeout), singleShot}
        {
            m_state->timers.push_back(&m_entry);
        }
        ~ManualTimer() override { std::erase(m_state->timers, &m_entry); }
        void start(int intervalMs) override
        {
            m_entry.active = true;
            m_entry.interval = std::max(intervalMs, 0);
            m_entry.due = m_state->now + m_entry.interval;
            m_entry.order = m_state->started++;
        }
        void stop() override { m_entry.active = false; }
        bool isActive() const override { return m_entry.active; }

    private:
        std::shared_ptr<State> m_state;
        Entry m_entry;
    };

public:
    std::unique_ptr<Timer> timer(std::function<void()> timeout, bool singleShot) override
    {
        return std::make_unique<ManualTimer>(m_state, std::move(timeout), singleShot);
    }

    qint64 now() const { return m_state->now; }

    void advance(qint64 ms)
    {
        const qint64 until = m_state->now + ms;
        // A callback may start, stop or destroy any timer: each round looks afresh.
        for (;;) {
            Entry *next = nullptr;
            for (Entry *entry : m_state->timers) {
                if (entry->active && entry->due <= until &&
                    (!next || std::pair(entry->due, entry->order) < std::pair(next->due, next->order)))
                    next = entry;
            }
            if (!next)
                break;
            m_state->now = next->due;
            if (next->singleShot) {
                next->active = false;
            } else {
                next->due += std::max(next->interval, 1);
                next->order = m_state->started++;
            }
            const std::function<void()> timeout = next->timeout;
            timeout();
        }
        m_state->now = until;
    }

private:
    std::shared_ptr<State> m_state = std::make_shared<State>();
};
