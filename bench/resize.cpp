// What a window resize costs once the table's scale changes: every card picture is painted again
// from the SVG deck at the new size and the screen's pixel ratio. Dragging the window's edge
// stays smooth while this stays well under a frame or two (aim: below 30 ms).
//
//   build/bench/pelvo-bench-resize                  (QT_SCALE_FACTOR=2 for a dense screen)

#include "client/board/Board.h"
#include "client/board/CardArt.h"
#include "protocol/Messages.h"
#include "session/ClientSession.h"

#include "QtBenchmarkMain.h"

#include <benchmark/benchmark.h>

namespace {

using pelvo::board::CardArt;
using pelvo::board::CardSize;

// All 54 faces (back, 52 cards, joker) at one card size, at a scale that differs every time.
void BM_RenderAll54Faces(benchmark::State& state) {
    CardArt& art = CardArt::instance();
    const CardSize size = state.range(0) == 0 ? CardSize::Large : CardSize::Small;
    const qreal base = state.range(1) / 100.0;
    int step = 0;
    for (auto _ : state) {
        art.setScale(base + (step++ % 2) * 0.05);
        art.renderAll(size);
    }
    art.setScale(1.0);
    state.SetLabel(size == CardSize::Large ? "large cards" : "small cards");
}
BENCHMARK(BM_RenderAll54Faces)
    ->ArgsProduct({{0, 1}, {100, 200}})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// The board of a game in progress taking a new scale: its 36 grid cards, both piles, markers,
// fonts and places.
void BM_BoardRescale(benchmark::State& state) {
    pelvo::ClientSession session;
    session.setTransport([](const QByteArray&) { return true; });
    pelvo::Board board(session);
    const auto feed = [&](QByteArray frame) {
        if (frame.endsWith('\xff')) frame.chop(1);
        session.handleLine(QString::fromUtf8(frame));
    };
    feed(pelvo::msg::sendlogininfo(1));
    feed(pelvo::msg::startgameNotice("Anna", 5, true, true));
    feed(pelvo::msg::roundstarting(1, 37));
    feed(pelvo::msg::mycards(1, {5, 18, 31, 44, 53, 12, 25, 38, 51}));
    for (int seat = 1; seat <= 4; ++seat)
        for (int g = 1; g <= 9; ++g) feed(pelvo::msg::heflipped(seat, g, (seat * 9 + g) % 53 + 1));
    const qreal base = state.range(0) / 100.0;
    int step = 0;
    for (auto _ : state) board.setScale(base + (step++ % 2) * 0.05);
}
BENCHMARK(BM_BoardRescale)
    ->Arg(100)
    ->Arg(200)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return pelvo::bench::runWithQApplication(argc, argv);
}
