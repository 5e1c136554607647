#pragma once
// The editor benchmarks' main: an offscreen application on the virtual
// platform, with the editor's bundle, unless the caller's environment says
// otherwise.
#include <QApplication>
#include <benchmark/benchmark.h>

namespace editor::bench {

inline int runBenchmarks(int argc, char** argv, const char* bundle)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("ZELK_PLATFORM"))
        qputenv("ZELK_PLATFORM", "virtual");
    if (!qEnvironmentVariableIsSet("ZELK_MAIN_BUNDLE"))
        qputenv("ZELK_MAIN_BUNDLE", bundle);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace editor::bench
