// Typing in the main window's search field over a list of n shortcuts:
// each keystroke filters and re-sorts the shown rows (and the table asks
// for the visible cells when it is painted).
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
    store.addContext(editor::QVContext::newDataForType(0));
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
