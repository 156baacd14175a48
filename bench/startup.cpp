// Start-up cost inside the process: creating the main window with its side windows and the
// hidden table host, and taking one received line through the dispatch table.
// The whole program's time to its first frame: PELVO_TEST_REPORT_STARTUP=1 build/src/pelvo.

#include "client/Tchat.h"
#include "protocol/LineQueue.h"

#include "QtBenchmarkMain.h"

#include <benchmark/benchmark.h>

namespace {

void BM_CreateMainWindow(benchmark::State& state) {
    for (auto _ : state) {
        pelvo::Tchat window({"Anna", "127.0.0.1"});
        benchmark::DoNotOptimize(window.server());
    }
}
BENCHMARK(BM_CreateMainWindow)->Unit(benchmark::kMillisecond);

void BM_DispatchOneLine(benchmark::State& state) {
    pelvo::Tchat window({"Anna", "127.0.0.1"});
    // A seat that shows "<Waiting>": the handler runs in full but adds no chat line.
    const QString line = QStringLiteral("CMD_playerdisconnected+3+Bo");
    for (auto _ : state) {
        window.receivedlist().append(line);
        window.processsocktimer();
    }
}
BENCHMARK(BM_DispatchOneLine);

} // namespace

int main(int argc, char** argv) {
    return pelvo::bench::runWithQApplication(argc, argv);
}
