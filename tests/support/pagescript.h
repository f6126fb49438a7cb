#pragma once

#include <memory>

#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

// Runs script in the view's page and waits for its value.
inline QVariant evaluate(QWebEngineView *view, const QString &script, int timeoutMs = 20000)
{
    // Shared with the callback, which may still come after a timeout.
    struct Answer {
        QVariant value;
        bool done = false;
    };
    const auto answer = std::make_shared<Answer>();
    view->page()->runJavaScript(script, [answer](const QVariant &value) {
        answer->value = value;
        answer->done = true;
    });
    if (!QTest::qWaitFor([&] { return answer->done; }, timeoutMs))
        qWarning("no answer to %s", qPrintable(script));
    return answer->value;
}

// A script's trip to the page and back: whatever the page was sent before
// has reached it, and what it sent back before has arrived. What a test
// waits for to see that something did not happen.
inline void roundTrip(QWebEngineView *view)
{
    evaluate(view, QStringLiteral("0"));
}
