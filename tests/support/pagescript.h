#pragma once

#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

// Runs script in the view's page and waits for its value.
inline QVariant evaluate(QWebEngineView *view, const QString &script, int timeoutMs = 20000)
{
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, timeoutMs))
        qWarning("no answer to %s", qPrintable(script));
    return result;
}
