#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>
#include <utility>

// Runs work on a worker thread and hands its result to done on the user-
// interface thread, unless receiver is gone by then. For blocking calls
// (libcurl transfers) that must not hold the window up.
QThreadPool &backgroundPool();

template <typename Work, typename Done>
void inBackground(QObject *receiver, Work work, Done done)
{
    backgroundPool().start([guard = QPointer<QObject>(receiver), work = std::move(work),
                            done = std::move(done)]() mutable {
        auto result = work();
        // The application object outlives every window; the guard is read
        // on its thread only.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard = std::move(guard), done = std::move(done), result = std::move(result)]() mutable {
                if (guard)
                    done(std::move(result));
            },
            Qt::QueuedConnection);
    });
}
