// Stepping through a recorded five-round game in the replay viewer: every step back from the
// end to the start, timed one by one; the worst one must feel instant (well under 50 ms). Once
// through the session alone, once through the whole viewer window with its board painted.
// Last, a player's record of nothing but chat lines taken to its end in the viewer window: the
// time, the memory the process grew by at its peak, and a step back from the end.
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
    pelvo::Engine::Hooks hooks;
    hooks.botSpeed = [] { return 1; };
    hooks.dealSource = [] { return std::uint64_t(20261208); };
    hooks.dealt = [&outbox](const pelvo::Table&, int seat) { outbox.recorder->dealt(seat); };
    pelvo::Engine engine(outbox, deals, bots, pelvo::Engine::Options{}, std::move(hooks));
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

double statusMiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

void BM_ViewerChatRecordToEnd(benchmark::State& state) {
    const int lines = int(state.range(0));
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("chat.pelvo-game");
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("pelvo-game 1 player\n");
        for (int n = 1; n <= lines; ++n)
            file.write(QByteArray::number(n) + " host CMD_chat+1+line " + QByteArray::number(n) +
                       "|clRed\n");
        file.write(QByteArray::number(lines + 1) + " end game-over\n");
    }
    for (auto _ : state) {
        QFile refs(QStringLiteral("/proc/self/clear_refs"));
        if (refs.open(QIODevice::WriteOnly)) refs.write("5"); // the peak starts afresh
        refs.close();
        const double before = statusMiB("VmRSS:");
        QElapsedTimer clock;
        clock.start();
        pelvo::Tchat viewer({QStringLiteral("--replay"), path});
        viewer.show();
        QApplication::processEvents();                   // the window opens its record
        viewer.replay()->seek(viewer.replay()->count()); // the slider's End
        QApplication::processEvents();
        state.counters["to_end_s"] = double(clock.nsecsElapsed()) / 1e9;
        clock.restart();
        viewer.replay()->back();
        QApplication::processEvents();
        state.counters["step_back_ms"] = double(clock.nsecsElapsed()) / 1e6;
        state.counters["steps"] = viewer.replay()->count();
        state.counters["peak_growth_MiB"] = statusMiB("VmHWM:") - before;
    }
}
BENCHMARK(BM_ViewerChatRecordToEnd)
    ->Arg(100000)
    ->Arg(500000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return pelvo::bench::runWithQApplication(argc, argv);
}
