// From handing work over to its first instruction: a warm thread of the
// engine's pool against a thread started for the work, as every shortcut
// run and every action step did before. A hot key pays this twice (the run,
// then its first step), so it is part of the hot-key latency.
#include "WorkerPool.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Runs start(work) and answers the seconds until work began.
template <class Start>
double handOver(Start&& start)
{
    std::mutex mutex;
    std::condition_variable began;
    Clock::time_point at;
    bool done = false;
    const Clock::time_point before = Clock::now();
    start([&] {
        std::lock_guard lock(mutex);
        at = Clock::now();
        done = true;
        began.notify_one();
    });
    std::unique_lock lock(mutex);
    began.wait(lock, [&] { return done; });
    return std::chrono::duration<double>(at - before).count();
}

void BM_WarmPoolThread(benchmark::State& state)
{
    zelk::WorkerPool pool(4);
    for (auto _ : state)
        state.SetIterationTime(handOver([&](std::function<void()> work) { pool.start(std::move(work)); }));
}

void BM_NewThread(benchmark::State& state)
{
    for (auto _ : state)
        state.SetIterationTime(handOver([](std::function<void()> work) { std::thread(std::move(work)).detach(); }));
}

} // namespace

BENCHMARK(BM_WarmPoolThread)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NewThread)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
