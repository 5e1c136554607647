// Loading and saving the editor's data folder as it grows, and an undoable
// delete in it: n actions, n key
// launchers and n shortcuts (one step, one launcher, the universal context
// each), every object built and linked as the editor does at start.
#include "EditorBenchData.h"
#include "EditorBenchMain.h"
#include "ObjectStore.h"
#include "ObjectsFile.h"
#include "PropertyList.h"
#include "QVContext.h"
#include "QVEAction.h"
#include "QVEShortcutsManager.h"

#include <QUndoStack>

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using editor::bench::writeFolder;

void BM_LoadDataFolder(benchmark::State& state)
{
    QTemporaryDir dir;
    if (!writeFolder(dir.path(), int(state.range(0)))) {
        state.SkipWithError("cannot write the data folder");
        return;
    }
    for (auto _ : state) {
        editor::ObjectStore store;
        QString error;
        if (!store.load(dir.path(), &error))
            state.SkipWithError(qPrintable(error));
        state.PauseTiming(); // dropping the objects is not part of a load
        store.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * 3);
}

void BM_SaveDataFolder(benchmark::State& state)
{
    QTemporaryDir dir;
    editor::ObjectStore store;
    if (!writeFolder(dir.path(), int(state.range(0))) || !store.load(dir.path())) {
        state.SkipWithError("cannot prepare the data folder");
        return;
    }
    for (auto _ : state) {
        QString error;
        if (!store.save(dir.path(), &error))
            state.SkipWithError(qPrintable(error));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * 3);
}

// One shortcut deleted with what it uses, undone and redone: each undo step
// keeps the store's records before and after, so its cost grows with the store.
void BM_DeleteUndoRedoShortcut(benchmark::State& state)
{
    QTemporaryDir dir;
    editor::ObjectStore store;
    if (!writeFolder(dir.path(), int(state.range(0))) || !store.load(dir.path())) {
        state.SkipWithError("cannot prepare the data folder");
        return;
    }
    editor::QVEShortcutsManager& manager = editor::QVEShortcutsManager::sharedManager();
    QUndoStack* stack = manager.undoManager();
    stack->clear();
    const quint32 id = quint32(state.range(0) / 2);
    for (auto _ : state) {
        if (manager.delShortcutsID({id}, false, true, false).isEmpty()) {
            state.SkipWithError("nothing deleted");
            break;
        }
        stack->undo();
        stack->redo();
        stack->undo();
    }
    stack->clear();
}

BENCHMARK(BM_LoadDataFolder)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveDataFolder)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteUndoRedoShortcut)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return editor::bench::runBenchmarks(argc, argv, ZELK_EDITOR_BUNDLE);
}
