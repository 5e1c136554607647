#include "WorkerPool.h"

#include "Log.h"

#include <atomic>

namespace zelk {

namespace {

// Threads beyond the warm ones end after this long without work.
constexpr std::chrono::seconds kSpareThreadLife{30};

std::atomic<WorkerPool*> g_installed{nullptr};
std::atomic<int> g_liveThreads{0};

} // namespace

WorkerPool::WorkerPool(int warmThreads) : m_warm(std::max(0, warmThreads))
{
    std::lock_guard lock(m_mutex);
    for (int i = 0; i < m_warm; ++i)
        startThread();
}

WorkerPool::~WorkerPool()
{
    if (g_installed.load() == this)
        install(nullptr);
    stop();
    std::unique_lock lock(m_mutex);
    m_ended.wait(lock, [this] { return m_finished.size() == m_threads.size(); });
    reapFinished();
}

bool WorkerPool::start(std::function<void()> work)
{
    if (!work)
        return false;
    std::lock_guard lock(m_mutex);
    if (m_stopped)
        return false;
    reapFinished();
    m_queue.push_back(std::move(work));
    if (m_idle >= int(m_queue.size()))
        m_wake.notify_one();
    else
        startThread();
    return true;
}

void WorkerPool::startThread()
{
    // Idle from now on, though it may not wait yet: it takes work first.
    ++m_idle;
    ++g_liveThreads;
    std::thread thread([this] { workerLoop(); });
    m_threads.emplace(thread.get_id(), std::move(thread));
}

void WorkerPool::stop()
{
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_wake.notify_all();
}

bool WorkerPool::join(std::chrono::milliseconds bound)
{
    stop();
    std::unique_lock lock(m_mutex);
    const bool allEnded =
        m_ended.wait_for(lock, bound, [this] { return m_finished.size() == m_threads.size(); });
    reapFinished();
    if (allEnded)
        return true;
    zlog("WorkerPool", "join") << m_threads.size() << "background threads still busy after" << bound.count() << "ms";
    return false;
}

int WorkerPool::busyCount() const
{
    std::lock_guard lock(m_mutex);
    return m_busy;
}

int WorkerPool::threadCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_threads.size() - m_finished.size());
}

void WorkerPool::reapFinished()
{
    for (const std::thread::id& id : m_finished) {
        auto it = m_threads.find(id);
        if (it == m_threads.end())
            continue;
        it->second.join(); // it has left its loop: the join is immediate
        m_threads.erase(it);
    }
    m_finished.clear();
}

void WorkerPool::workerLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        const bool woken = m_wake.wait_for(lock, kSpareThreadLife, [this] { return m_stopped || !m_queue.empty(); });
        if (m_queue.empty()) {
            if (m_stopped || (!woken && m_idle > m_warm))
                break;
            continue;
        }
        std::function<void()> work = std::move(m_queue.front());
        m_queue.pop_front();
        --m_idle;
        ++m_busy;
        lock.unlock();
        work();
        work = nullptr; // what the work held goes before the pool counts it done
        lock.lock();
        --m_busy;
        ++m_idle;
    }
    --m_idle;
    m_finished.push_back(std::this_thread::get_id());
    --g_liveThreads;
    m_ended.notify_all();
}

void WorkerPool::install(WorkerPool* pool) { g_installed.store(pool); }

WorkerPool* WorkerPool::installed() { return g_installed.load(); }

int WorkerPool::liveThreads() { return g_liveThreads.load(); }

bool runInBackground(std::function<void()> work)
{
    if (WorkerPool* pool = WorkerPool::installed())
        return pool->start(std::move(work));
    std::thread(std::move(work)).detach();
    return true;
}

} // namespace zelk
