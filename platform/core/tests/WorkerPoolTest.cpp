// The process's background work: a few warm threads, growth when all are
// busy, no work after a stop, a bounded join; and the hand-over of work to
// the main thread that a quit closes.
#include "MainThread.h"
#include "TestSupport.h"
#include "WorkerPool.h"

#include <QCoreApplication>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

using zelk::WorkerPool;
using zelk::test::waitUntil;

namespace {

// Work that waits until the test lets it go.
class Latch {
public:
    void wait()
    {
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_cv.wait(lock, [this] { return m_open; });
    }
    void open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_cv.notify_all();
    }
    int waiting()
    {
        std::lock_guard lock(m_mutex);
        return m_waiting;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = false;
    int m_waiting = 0;
};

} // namespace

TEST(WorkerPoolTest, WarmThreadsTakeWorkAndThePoolGrowsWhenAllAreBusy)
{
    const int before = WorkerPool::liveThreads();
    {
        WorkerPool pool(2);
        EXPECT_EQ(pool.threadCount(), 2);
        Latch latch;
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(pool.start([&] { latch.wait(); }));
        ASSERT_TRUE(waitUntil([&] { return latch.waiting() == 2; }));
        EXPECT_EQ(pool.threadCount(), 2) << "the warm threads took the work";
        ASSERT_TRUE(pool.start([&] { latch.wait(); }));
        ASSERT_TRUE(waitUntil([&] { return latch.waiting() == 3; })) << "busy threads must not hold work back";
        EXPECT_EQ(pool.threadCount(), 3);
        EXPECT_EQ(pool.busyCount(), 3);
        latch.open();
        EXPECT_TRUE(pool.join(std::chrono::seconds(10)));
        EXPECT_EQ(pool.threadCount(), 0);
    }
    EXPECT_EQ(WorkerPool::liveThreads(), before);
}

TEST(WorkerPoolTest, StoppedPoolTakesNoWorkAndJoinIsBounded)
{
    WorkerPool pool(1);
    Latch latch;
    ASSERT_TRUE(pool.start([&] { latch.wait(); }));
    ASSERT_TRUE(waitUntil([&] { return latch.waiting() == 1; }));
    pool.stop();
    std::atomic<bool> ran{false};
    EXPECT_FALSE(pool.start([&] { ran = true; }));
    EXPECT_FALSE(pool.join(std::chrono::milliseconds(100))) << "work still busy: the join says so";
    latch.open();
    EXPECT_TRUE(pool.join(std::chrono::seconds(10)));
    EXPECT_FALSE(ran.load());
}

TEST(WorkerPoolTest, RunInBackgroundUsesTheInstalledPool)
{
    WorkerPool pool(1);
    WorkerPool::install(&pool);
    std::atomic<bool> ran{false};
    EXPECT_TRUE(zelk::runInBackground([&] { ran = true; }));
    EXPECT_TRUE(waitUntil([&] { return ran.load(); }));
    pool.stop();
    EXPECT_FALSE(zelk::runInBackground([] {})) << "a stopped pool: the process is quitting";
    WorkerPool::install(nullptr);
}

TEST(MainThreadTest, WaitingCallerIsReleasedUnrunWhenTheHandOverCloses)
{
    std::atomic<bool> ran{false}, returned{false}, answered{true};
    std::thread caller([&] {
        answered = zelk::MainThread::run([&] { ran = true; }, true);
        returned = true;
    });
    // The main loop does not turn (the quit is past it): the caller waits...
    std::this_thread::yield();
    EXPECT_FALSE(returned.load());
    zelk::MainThread::close();
    caller.join();
    EXPECT_FALSE(answered.load());
    QCoreApplication::processEvents(); // the queued call, now dropped
    EXPECT_FALSE(ran.load());
    zelk::MainThread::reopen();

    answered = false;
    std::thread again([&] { answered = zelk::MainThread::run([&] { ran = true; }, true); });
    EXPECT_TRUE(waitUntil([&] { return ran.load(); }));
    again.join();
    EXPECT_TRUE(answered.load());
}

TEST(MainThreadTest, RunUntilDoneWaitsForWorkThatEndsLater)
{
    for (const bool fromMain : {false, true}) {
        SCOPED_TRACE(fromMain ? "from the main thread" : "from another thread");
        std::atomic<bool> returned{false}, done{false};
        auto start = [&](std::function<void()> finish) {
            // Ends in a later turn of the loop, as a menu the user closes.
            QTimer::singleShot(100, QCoreApplication::instance(), [&, finish] {
                done = true;
                finish();
            });
        };
        if (fromMain) {
            EXPECT_TRUE(zelk::MainThread::runUntilDone(start));
            EXPECT_TRUE(done.load());
            continue;
        }
        std::thread caller([&] {
            EXPECT_TRUE(zelk::MainThread::runUntilDone(start));
            EXPECT_TRUE(done.load()) << "returned before the work ended";
            returned = true;
        });
        EXPECT_TRUE(waitUntil([&] { return returned.load(); }));
        caller.join();
    }
}
