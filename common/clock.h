#pragma once

#include <functional>
#include <memory>

// Where the program's timed behaviour takes its time from: the tickers'
// rotation, the promotion window's slide and the pop-up sinks' time limit
// all run on timers that a Clock hands out. The system clock runs Qt's
// timers on the thread's event loop; tests put a clock of their own in its
// place and move it on by hand.
class Clock
{
public:
    // Calls back from the event loop each interval after start(), or once when
    // it is single-shot. start() begins a fresh count, also while running;
    // a timer that goes away stops with it.
    class Timer
    {
    public:
        virtual ~Timer() = default;
        virtual void start(int intervalMs) = 0;
        virtual void stop() = 0;
        virtual bool isActive() const = 0;
    };

    virtual ~Clock() = default;
    virtual std::unique_ptr<Timer> timer(std::function<void()> timeout, bool singleShot) = 0;

    // Qt's coarse timers, as the program runs.
    static Clock &system();
};
