// Whole four-computer games through the table engine, shaped like the simulator: game g is
// dealt from deal number g, every seat plays at the benchmark's level, one onlooker is
// connected. "Frames" builds every notice as for real clients and hands it to an outbox that
// only counts; "Quiet" is the simulator's default, an outbox that wants no frames and hears only
// the round scores. games/s is per second of processor time.
#include "host/Engine.h"

#include <benchmark/benchmark.h>

namespace {

class CountingOutbox : public pelvo::Outbox {
public:
    bool frames = true;
    long long frameCount = 0, bytes = 0, rounds = 0;
    bool wantsFrames() const override { return frames; }
    void send(int, const QByteArray& frame) override {
        ++frameCount;
        bytes += frame.size();
    }
    void roundScored(int seat, int, int) override {
        if (seat == 1) ++rounds;
    }
};

void playGame(std::uint64_t deal, pelvo::BotLevel level, pelvo::Random& random, pelvo::Random& bots,
              CountingOutbox& outbox) {
    std::array<pelvo::BotLevel, pelvo::Seats + 1> levels{};
    levels.fill(level);
    pelvo::Engine::Hooks hooks;
    hooks.dealSource = [deal] { return deal; };
    hooks.botSpeed = [] { return 1; };
    hooks.botLevels = [levels] { return levels; };
    pelvo::Engine engine(outbox, random, bots, pelvo::Engine::Options{}, std::move(hooks));
    engine.table.slotCount = 5;
    engine.table.seats[5].inUse = true;
    engine.startgame(QStringLiteral("bench"), QStringLiteral("5"), QStringLiteral("1"),
                     QStringLiteral("1"));
    while (engine.table.gameRunning && engine.advanceClock()) {
    }
}

// Arguments: level (0 Classic, 1 Expert), frames built (0 or 1).
void BM_WholeGame(benchmark::State& state) {
    const auto level = state.range(0) == 0 ? pelvo::BotLevel::Classic : pelvo::BotLevel::Expert;
    CountingOutbox outbox;
    outbox.frames = state.range(1) != 0;
    pelvo::Random random, bots;
    std::uint64_t deal = 1;
    for (auto _ : state) playGame(deal++, level, random, bots, outbox);
    state.SetLabel(std::string(pelvo::botLevelName(level)) +
                   (outbox.frames ? " frames" : " quiet"));
    state.counters["games/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["rounds/game"] = double(outbox.rounds) / double(state.iterations());
    if (outbox.frames)
        state.counters["messages/game"] = double(outbox.frameCount) / double(state.iterations());
}
BENCHMARK(BM_WholeGame)->ArgsProduct({{0, 1}, {0, 1}});

} // namespace

BENCHMARK_MAIN();
