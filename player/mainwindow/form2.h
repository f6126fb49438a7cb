#pragma once

#include "clock.h"

#include <QWidget>
#include <memory>

class BrowserView;

// A never-shown window that swallows one pop-up: its view receives the
// pop-up's content, and the window unloads itself once that has loaded, or
// after loadLimitMs when it never does.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    // A flood of pop-ups must cost nothing lasting: at most this many sinks
    // are loaded at once, and none waits longer than this for its document.
    static constexpr int maxLoaded = 16;
    static constexpr int loadLimitMs = 30000;

    // The time limit runs on the clock.
    Form2(QWidget *parent, Clock &clock);
    ~Form2() override;

    BrowserView *WebBrowser1;

    void WebBrowser1_DocumentComplete();
    // Ends the content's loading and destroys the window soon after.
    void unload();
    bool isUnloading() const { return m_unloading; }

private:
    std::unique_ptr<Clock::Timer> m_loadLimit;
    bool m_unloading = false;
    static inline int s_loaded = 0;
};
