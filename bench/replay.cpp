// Stepping through a recorded five-round game in the replay viewer: every step back from the
// end to the start, timed one by one; the worst one must feel instant (well under 50 ms). Once
// through the session alone, once through the whole viewer window with its board painted.
#include "QtBenchmarkMain.h"

#include "client/Tchat.h"
#include "client/board/Board.h"
#include "host/HostRecord.h"
#include "session/ClientSession.h"
#include "session/Replay.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

namespace {

class TeeOutbox : public pelvo::Outbox {
public:
    pelvo::HostRecorder* recorder = nullptr;
    void send(int slot, const QByteArray& frame) override { recorder->notice(slot, frame); }
};

// A five-round game at a recording host: one person (slot 1) who hands the seat to the computer.
QByteArray fiveRoundRecord() {
    TeeOutbox outbox;
    pelvo::Random deals, bots;
    pelvo::Engine engine(outbox, deals, bots, pelvo::Engine::Options{});
    engine.botSpeed = [] { return 1; };
    engine.dealSource = [] { return std::uint64_t(20261208); };
    pelvo::HostRecorder recorder(engine);
    outbox.recorder = &recorder;
    recorder.enabled = true;
    QByteArray bytes;
    recorder.finished = [&](const QByteArray& b, const QStringList&) { bytes = b; };
    recorder.acceptConnection();
    recorder.request(1, QStringLiteral("CMD_logininfo+1+1.0.1+Bench"));
    recorder.request(1, QStringLiteral("CMD_startgame+Bench+5+1+1"));
    recorder.request(1, QStringLiteral("CMD_justwatch+1+1"));
    while (engine.table.gameRunning && recorder.advanceClock()) {
    }
    return bytes;
}

const QByteArray& record() {
    static const QByteArray bytes = fiveRoundRecord();
    return bytes;
}

// Steps back from the end to the start; `after` runs after each step (painting).
template <class After> void walkBack(benchmark::State& state, pelvo::Replay& replay, After after) {
    double worst = 0, total = 0;
    long long steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        replay.seek(replay.count());
        state.ResumeTiming();
        for (int p = replay.count() - 1; p >= 0; --p) {
            QElapsedTimer clock;
            clock.start();
            replay.back();
            after();
            const double ms = double(clock.nsecsElapsed()) / 1e6;
            worst = std::max(worst, ms);
            total += ms;
            ++steps;
        }
    }
    state.counters["steps"] = double(replay.count());
    state.counters["worst_step_ms"] = worst;
    state.counters["mean_step_ms"] = total / double(std::max(1LL, steps));
}

void BM_SessionStepBackThroughFiveRounds(benchmark::State& state) {
    pelvo::ClientSession session;
    pelvo::Replay replay(session);
    replay.load(pelvo::readRecord(record()));
    walkBack(state, replay, [] {});
}
BENCHMARK(BM_SessionStepBackThroughFiveRounds)->Unit(benchmark::kMillisecond);

void BM_ViewerStepBackThroughFiveRounds(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("bench.pelvo-game");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(record());
    file.close();
    pelvo::Tchat viewer({QStringLiteral("--replay"), path});
    viewer.show();
    viewer.openReplay(path);
    // Each step is painted before the next: the board as the player sees it.
    walkBack(state, *viewer.replay(), [&] { viewer.board()->repaint(); });
}
BENCHMARK(BM_ViewerStepBackThroughFiveRounds)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return pelvo::bench::runWithQApplication(argc, argv);
}
