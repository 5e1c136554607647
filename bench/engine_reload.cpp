// The editor's "update now" as the data grows: the engine saves its launcher
// dates, rereads the six data files, rebuilds every object, links the
// shortcuts to their actions, launchers and contexts, and switches the
// universal context on (which registers the hot keys).
#include "EngineBench.h"

namespace {

using namespace enginebench;

// n objects: 3/10 actions, 1/10 contexts (one universal, the others
// front-application ones), 3/10 launchers (two thirds key combinations, the
// rest application launches) and 3/10 shortcuts, each linked to one action,
// one launcher, the universal context and, for some, a front-application one.
bool writeObjects(int n)
{
    const int third = n * 3 / 10;
    const int contexts = n - 3 * third;
    QVariantList actionRecords, contextRecords, launcherRecords, shortcutRecords;
    contextRecords << contextRecord(0, 0);
    for (int i = 1; i < contexts; ++i)
        contextRecords << contextRecord(i, 1, QStringLiteral("app%1").arg(i));
    for (int i = 0; i < third; ++i) {
        actionRecords << actionRecord(i);
        launcherRecords << (i % 3 != 2 ? keyLauncherRecord(i, combination(i)) : appLauncherRecord(i, QStringLiteral("app%1").arg(i)));
        QList<qint64> linked{0};
        if (i + 1 < contexts)
            linked << i + 1;
        shortcutRecords << shortcutRecord(i, i, i, linked);
    }
    return writeDataFolder(actionRecords, contextRecords, launcherRecords, shortcutRecords);
}

void BM_ReloadDataFolder(benchmark::State& state)
{
    if (!writeObjects(int(state.range(0)))) {
        state.SkipWithError("cannot write the data folder");
        return;
    }
    engine::QVAppl::Ptr appl = startEngine();
    if (!appl || !appl->isStarted()) {
        state.SkipWithError("the engine did not start");
        return;
    }
    const QVariantMap updateObjects{{"action", "updateobjects"}};
    for (auto _ : state)
        appl->editorNotification(updateObjects);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_ReloadDataFolder)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return enginebench::runBenchmarks(argc, argv); }
