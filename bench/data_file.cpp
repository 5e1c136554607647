// Reading and writing an actions data file as it grows: the shape the
// editor and the engine load at start and save after every change.
#include "PropertyList.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QVariantMap actionsFile(int records)
{
    QVariantList actions;
    actions.reserve(records);
    for (int i = 0; i < records; ++i) {
        actions.append(QVariantMap{
            {"actionname", QStringLiteral("Type text %1").arg(i)},
            {"actionclass", "QVTypeAction"},
            {"actionID", QVariant::fromValue<qint64>(i + 1)},
            {"actiondata", QVariantMap{{"Action", QVariant::fromValue<qint64>(1)},
                                       {"Text", QStringLiteral("Hello from action %1 <with> & markup").arg(i)}}},
            {"actioneditorrect", "{{0, 0}, {0, 0}}"},
            {"actionnotused", false},
        });
    }
    return {{"nextID", QVariant::fromValue<qint64>(records + 1)}, {"actionsarray", actions}};
}

void BM_WriteDataFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Actions.plist");
    const QVariantMap data = actionsFile(int(state.range(0)));
    for (auto _ : state) {
        QString error;
        if (!zelk::plist::writeFile(path, data, &error))
            state.SkipWithError(qPrintable(error));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_ReadDataFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Actions.plist");
    if (!zelk::plist::writeFile(path, actionsFile(int(state.range(0))))) {
        state.SkipWithError("cannot write the data file");
        return;
    }
    for (auto _ : state) {
        QString error;
        auto value = zelk::plist::readFile(path, &error);
        if (!value)
            state.SkipWithError(qPrintable(error));
        benchmark::DoNotOptimize(value);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(BM_WriteDataFile)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDataFile)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
