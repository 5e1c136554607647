// From a hot-key press, as the desktop reports it, to the first call of the
// action it runs: the application's handler posts the key notification,
// the launchers manager finds the launcher among all the registered ones,
// the shortcut starts its run thread and the step starts the action's own.
#include "EngineBench.h"

#include "QVShortcut.h"
#include "QVShortcutsManager.h"
#include "VirtualPlatform.h"

#include <thread>

namespace {

using namespace enginebench;

void BM_HotKeyToFirstActionCall(benchmark::State& state)
{
    const int launchers = int(state.range(0));
    QVariantList actionRecords, launcherRecords, shortcutRecords;
    for (int i = 0; i < launchers; ++i) {
        actionRecords << actionRecord(i);
        launcherRecords << keyLauncherRecord(i, combination(i));
        shortcutRecords << shortcutRecord(i, i, i, {0});
    }
    if (!writeDataFolder(actionRecords, {contextRecord(0, 0)}, launcherRecords, shortcutRecords)) {
        state.SkipWithError("cannot write the data folder");
        return;
    }
    engine::QVAppl::Ptr appl = startEngine();
    zelk::VirtualHotKeys& hotKeys = zelk::VirtualPlatform::current()->virtualHotKeys();
    if (!appl || hotKeys.registeredCodes().size() != launchers) {
        state.SkipWithError("the engine did not register every key");
        return;
    }

    int next = 0;
    for (auto _ : state) {
        // Every key in turn, so the look-up meets the whole list.
        const int i = next++ % launchers;
        const auto shortcut = engine::QVShortcutsManager::sharedManager().shortcutWithID(quint32(i));
        if (!shortcut) {
            state.SkipWithError("a shortcut is missing");
            break;
        }
        firstCallNs() = 0;
        const qint64 pressed = nowNs();
        hotKeys.userPresses(combination(i));
        while (firstCallNs().load() == 0)
            std::this_thread::yield();
        state.SetIterationTime(double(firstCallNs().load() - pressed) / 1e9);
        hotKeys.userReleases(combination(i));
        // The next press must not find this run still going (it would stop it).
        while (shortcut->isRunning())
            std::this_thread::yield();
    }
}

} // namespace

BENCHMARK(BM_HotKeyToFirstActionCall)->Arg(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) { return enginebench::runBenchmarks(argc, argv); }
