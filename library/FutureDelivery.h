#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>
#include <memory>
#include <type_traits>
#include <utility>

// Work done on another thread, handed to a thread that attaches continuations.
//
// With Qt 6.4, QFuture::then may run its continuation twice when the future
// finishes on another thread while the continuation is being attached (the
// attach sees the finished state and runs it, then stores it, and the
// finishing thread runs the stored one as well); a continuation with a context
// then moves from its promise twice and crashes. A QFutureWatcher has no such
// window: it is told of the finish under the future's own lock. So a future
// that may finish elsewhere is never given a continuation directly: it is
// watched, and the returned future finishes on context's thread, where
// continuations attached on that thread can never be raced.
//
// The returned future carries the results, the exception or the cancellation
// of the given one. When context goes first, it is cancelled. Call on context's
// thread.
template <typename T>
QFuture<T> deliveredTo(QObject* context, QFuture<T> future)
{
    Q_ASSERT(context && QThread::currentThread() == context->thread());
    auto promise = std::make_shared<QPromise<T>>();
    QFuture<T> delivered = promise->future();
    promise->start();
    auto* watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher, [watcher, promise] {
        watcher->deleteLater();
        QFuture<T> done = watcher->future();
        try {
            done.waitForFinished(); // finished already; throws what the work threw
        } catch (...) {
            promise->setException(std::current_exception());
            promise->finish();
            return;
        }
        if (done.isCanceled()) {
            promise->future().cancel();
        } else if constexpr (!std::is_void_v<T>) {
            for (qsizetype i = 0; i < done.resultCount(); ++i)
                promise->addResult(done.resultAt(i));
        }
        promise->finish();
    });
    watcher->setFuture(std::move(future));
    return delivered;
}

// Runs work on the global thread pool; its result arrives on context's thread.
template <typename F>
auto runDeliveredTo(QObject* context, F&& work)
{
    return deliveredTo(context, QtConcurrent::run(std::forward<F>(work)));
}
