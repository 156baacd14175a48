#pragma once
// The entry point of benchmarks that need widgets: an offscreen QApplication around Google
// Benchmark. `beforeExit` runs while the application object still exists (windows go first).

#include <QApplication>

#include <benchmark/benchmark.h>

#include <functional>

namespace pelvo::bench {

inline int runWithQApplication(int argc, char** argv,
                               const std::function<void()>& beforeExit = {}) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeExit) beforeExit();
    return 0;
}

} // namespace pelvo::bench
