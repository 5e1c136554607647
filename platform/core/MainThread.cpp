#include "MainThread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace zelk::MainThread {

namespace {

std::mutex g_mutex;
std::condition_variable g_changed;
bool g_closed = false;

// One waiting call: run only while its caller still waits.
struct Call {
    std::function<void()> fn;
    bool running = false;
    bool done = false;
    bool abandoned = false;
};

} // namespace

bool isCurrent()
{
    QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

bool run(std::function<void()> fn, bool wait)
{
    if (isCurrent()) {
        fn();
        return true;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (isClosed())
        return false;
    if (!wait) {
        QMetaObject::invokeMethod(app, [fn = std::move(fn)] {
            if (!isClosed())
                fn();
        }, Qt::QueuedConnection);
        return true;
    }
    auto call = std::make_shared<Call>();
    call->fn = std::move(fn);
    QMetaObject::invokeMethod(app, [call] {
        {
            std::lock_guard lock(g_mutex);
            if (call->abandoned || g_closed)
                return;
            call->running = true;
        }
        call->fn();
        std::lock_guard lock(g_mutex);
        call->done = true;
        g_changed.notify_all();
    }, Qt::QueuedConnection);
    std::unique_lock lock(g_mutex);
    // A call that has begun runs to its end: it may use the caller's stack.
    g_changed.wait(lock, [&] { return call->done || (g_closed && !call->running); });
    call->abandoned = !call->done;
    return call->done;
}

bool runUntilDone(std::function<void(std::function<void()> done)> start)
{
    struct Waited {
        bool done = false;
        QPointer<QEventLoop> loop;
    };
    auto waited = std::make_shared<Waited>();
    auto done = [waited] {
        std::lock_guard lock(g_mutex);
        waited->done = true;
        if (waited->loop)
            waited->loop->quit();
        g_changed.notify_all();
    };
    if (isCurrent()) {
        if (!QCoreApplication::instance()) {
            start(done);
            return waited->done;
        }
        QEventLoop loop;
        {
            std::lock_guard lock(g_mutex);
            if (g_closed)
                return false;
            waited->loop = &loop;
        }
        start(done);
        {
            std::lock_guard lock(g_mutex);
            if (waited->done)
                return true;
        }
        // An application quit ends this loop too (QCoreApplication::exit
        // leaves every loop of the thread).
        loop.exec();
        std::lock_guard lock(g_mutex);
        waited->loop = nullptr;
        return waited->done;
    }
    if (!run([start = std::move(start), done] { start(done); }, true))
        return false;
    std::unique_lock lock(g_mutex);
    g_changed.wait(lock, [&] { return waited->done || g_closed; });
    return waited->done;
}

void close()
{
    std::lock_guard lock(g_mutex);
    g_closed = true;
    g_changed.notify_all();
}

void reopen()
{
    std::lock_guard lock(g_mutex);
    g_closed = false;
}

bool isClosed()
{
    std::lock_guard lock(g_mutex);
    return g_closed;
}

} // namespace zelk::MainThread
