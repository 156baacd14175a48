// One whole four-computer game through the table engine, every notice built as for real
// clients and handed to an outbox that only counts (one onlooker is connected).
#include "host/Engine.h"

#include <benchmark/benchmark.h>

namespace {

class CountingOutbox : public pelvo::Outbox {
public:
    long long frames = 0, bytes = 0;
    void send(int, const QByteArray& frame) override {
        ++frames;
        bytes += frame.size();
    }
};

void playGame(pelvo::Random& random, CountingOutbox& outbox) {
    pelvo::Engine engine(outbox, random, pelvo::Engine::Options{},
                         pelvo::Engine::Hooks{.botSpeed = [] { return 1; }});
    engine.table.slotCount = 5;
    engine.table.seats[5].inUse = true;
    engine.startgame(QStringLiteral("bench"), QStringLiteral("5"), QStringLiteral("1"),
                     QStringLiteral("1"));
    while (engine.table.gameRunning && engine.advanceClock()) {
    }
}

void BM_WholeGame(benchmark::State& state) {
    CountingOutbox outbox;
    pelvo::Random random(1);
    std::uint64_t seed = 1;
    for (auto _ : state) {
        random.reseed(seed++);
        playGame(random, outbox);
    }
    state.counters["games/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["messages/game"] = double(outbox.frames) / double(state.iterations());
}
BENCHMARK(BM_WholeGame);

} // namespace

BENCHMARK_MAIN();
