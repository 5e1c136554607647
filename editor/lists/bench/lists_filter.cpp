// The main window over a list of n shortcuts: showing it, and typing in its
// search field, where each keystroke filters and re-sorts the shown rows.
#include "ObjectStore.h"
#include "QVContext.h"
#include "QVEObjectsViewer.h"
#include "QVEWindow.h"
#include "QVShortcut.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <benchmark/benchmark.h>

namespace {

void fillStore(editor::ObjectStore& store, int n)
{
    // The universal context is ID 0 whatever the counter says after a first run.
    QVariantMap universal = editor::QVContext::newDataForType(0);
    universal.insert("contextID", qint64(0));
    store.addContext(universal);
    const char* words[] = {"Mail", "Notes", "Browser", "Terminal", "Music", "Photos", "Calendar", "Editor"};
    for (int i = 0; i < n; ++i) {
        QVariantMap record = editor::QVShortcut::newData();
        record.insert("cutname", QStringLiteral("%1 %2").arg(QLatin1String(words[i % 8])).arg(i));
        record.insert("cutcontexts", QVariantList{QVariantMap{{"cutcontextID", 0}, {"cutcontextactive", true}}});
        store.addShortcut(record);
    }
}

void BM_SearchFieldFiltersRows(benchmark::State& state)
{
    editor::ObjectStore store;
    fillStore(store, int(state.range(0)));
    std::unique_ptr<editor::QVEWindow> window = editor::QVEWindow::create();
    window->display();
    QLineEdit* field = window->searchField();
    auto* list = static_cast<editor::QVEObjectsViewer*>(window->mainViewer(1));
    // A user typing "mail 1", then erasing it.
    const QStringList typed{"m", "ma", "mai", "mail", "mail ", "mail 1", "mail ", "mail", "mai", "ma", "m", ""};
    qsizetype step = 0;
    for (auto _ : state) {
        field->setText(typed[step++ % typed.size()]);
        benchmark::DoNotOptimize(list->shownCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The main window made and shown over n shortcuts: the lists connected,
// the pane built, the first list filtered by the universal context and sorted.
void BM_ShowMainWindow(benchmark::State& state)
{
    editor::ObjectStore store;
    fillStore(store, int(state.range(0)));
    for (auto _ : state) {
        std::unique_ptr<editor::QVEWindow> window = editor::QVEWindow::create();
        window->display();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window->topInfoText());
        state.PauseTiming(); // closing the window is not part of showing it
        window.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_ShowMainWindow)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchFieldFiltersRows)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("ZELK_PLATFORM"))
        qputenv("ZELK_PLATFORM", "virtual");
    if (!qEnvironmentVariableIsSet("ZELK_MAIN_BUNDLE"))
        qputenv("ZELK_MAIN_BUNDLE", ZELK_EDITOR_BUNDLE);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
