#pragma once
// Background work of a process, owned in one place and joined at its end.
//
// A WorkerPool keeps a few threads warm, so a shortcut run and its first
// action start without a thread start-up (hot-key latency), and grows when
// every thread is busy (a run waits for its actions, so work may block).
// Threads idle longer than a while beyond the warm ones end. stop() takes no
// more work; join() waits, bounded, for every thread to end.
//
// runInBackground() hands work to the pool its owner installed (the engine's
// application object); without one (a part tested alone, the editor) the
// work gets a thread of its own.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace zelk {

class WorkerPool {
public:
    explicit WorkerPool(int warmThreads = 4);
    // Stops and joins without a bound: stop the work first (see join()).
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Runs work on an idle thread, starting one when none is idle; false
    // (nothing runs) once the pool is stopped.
    bool start(std::function<void()> work);
    // No new work from now on; idle threads end, busy ones end with their work.
    void stop();
    // stop(), then waits until every thread has ended or bound has passed.
    // Answers true when none is left. After false the pool still holds busy
    // threads: its owner ends the process rather than wait on them.
    bool join(std::chrono::milliseconds bound);

    int busyCount() const;
    int threadCount() const;

    // The pool that runInBackground() uses (not owned); nullptr for none.
    static void install(WorkerPool* pool);
    static WorkerPool* installed();
    // Threads of every pool of the process that have not ended yet.
    static int liveThreads();

private:
    void startThread(); // under m_mutex
    void workerLoop();
    void reapFinished(); // under m_mutex

    const int m_warm;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;    // work queued, or stop
    std::condition_variable m_ended;   // a thread ended
    std::deque<std::function<void()>> m_queue;
    std::map<std::thread::id, std::thread> m_threads;
    std::vector<std::thread::id> m_finished;
    int m_idle = 0; // threads not at work (starting, or waiting for work)
    int m_busy = 0;
    bool m_stopped = false;
};

// Runs work on the installed pool, else on a detached thread of its own.
// false when the installed pool is stopped (the process is quitting).
bool runInBackground(std::function<void()> work);

} // namespace zelk
