// Round trip of a move in a real solo game over loopback: the main window hosts in process,
// three computer seats play, and the board is clicked as a person would.
//   DrawClickToShown: click on the draw pile -> the drawn card is on screen.
//   GridClickToShown: click on a grid card with a drawn card in hand -> the move is on screen.
// Each includes both dispatch timers (the host's 10 ms queue tick and the client's 1 ms tick).
// Counters p50_ms / p99_ms / max_ms summarise the samples of the run. PELVO_BENCH_TURNS sets
// the turns each one measures (200; the test suite's smoke run takes a few).

#include "windows/MessageBox.h"
#include "client/Tchat.h"
#include "client/board/Board.h"
#include "host/TServer.h"
#include "windows/Tgamestart.h"

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include "QtBenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

using namespace pelvo;

namespace {

// Sleeps in the event loop until `done` holds: the sockets and timers wake it. The tick only
// bounds the wait (polling without sleeping would spend the run in system calls and take the
// processor from the host and client being measured).
template <typename Pred> bool spinUntil(Pred done, int ms = 30000) {
    QDeadlineTimer deadline(ms);
    QTimer tick;
    tick.start(20);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

class SoloGame {
public:
    SoloGame() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        qputenv("PELVO_PORT", QByteArray::number(port));
        qputenv("PELVO_HOME", home_.path().toUtf8());
        setMessageBoxHandler([](QWidget*, const QString&) {});
        w_ = std::make_unique<Tchat>(QStringList{});
        board_ = w_->board();
        w_->server()->botSpeed = [] { return 1; };
        QObject::connect(&w_->session(), &ClientSession::moveMade, [this] { ++moves_; });
        w_->show();
        if (!spinUntil([&] { return w_->state().connected; }))
            throw std::runtime_error("no connection to the in-process host");
    }

    // Brings the game to the start of an own turn: starts games, makes the opening flips.
    void awaitTurn() {
        for (;;) {
            const bool ready =
                spinUntil([&] { return !started_ || gameOver() || flipPhase() || myTurn(); });
            if (!ready) throw std::runtime_error("the game is stuck");
            if (!started_ || gameOver()) {
                startGame();
                continue;
            }
            if (flipPhase()) {
                click(board_->card(me(), 1));
                click(board_->card(me(), 5));
                spinUntil([&] { return !flipPhase(); });
                continue;
            }
            return;
        }
    }

    QWidget* drawPile() const { return board_->findChild<QWidget*>("image_draw"); }
    bool cardInHand() const { return table().drawPick == Pick::Picked; }
    // Moves counted so far: on our turn the next move shown is ours.
    int moves() const { return moves_; }
    bool moveShown(int movesBefore) const { return moves_ > movesBefore; }
    QWidget* gridCard(int position) const { return board_->card(me(), position); }
    // A left click as the window system delivers it: press, then release, at the middle.
    static void click(QWidget* target) {
        const QPointF at = QRectF(target->rect()).center();
        const QPointF global = target->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(target, &release);
    }

private:
    int me() const { return w_->state().myseat; }
    bool gameOver() const { return board_->label_status()->text() == "Game Over!"; }
    const TableModel& table() const { return w_->session().table(); }
    bool flipPhase() const { return table().turnSeat == me() && table().flipsLeft > 0; }
    // The status line begins "Your Turn." only once the turn is handed out (a new round opens
    // the piles before its flips); on the last turn of a round it goes on " Last turn.", which
    // an exact match once took for no turn at all, stalling the run.
    bool myTurn() const {
        return table().turnSeat == me() && table().flipsLeft <= 0 &&
               table().drawPick == Pick::Open &&
               board_->label_status()->text().startsWith(QLatin1String("Your Turn."));
    }
    void startGame() {
        click(board_->button_start());
        Tgamestart* options = w_->gamestart();
        options->setRounds(9);
        options->changebox("image_bot3", 1);
        options->changebox("image_bot4", 1);
        click(options->findChild<QAbstractButton*>("button_start"));
        started_ = true;
        spinUntil([&] { return !gameOver(); });
    }

    QTemporaryDir home_;
    std::unique_ptr<Tchat> w_;
    Board* board_ = nullptr;
    bool started_ = false;
    int moves_ = 0; // moves the session has told of
};

std::unique_ptr<SoloGame> game;

SoloGame& theGame() {
    if (!game) game = std::make_unique<SoloGame>();
    return *game;
}

void report(benchmark::State& state, std::vector<double>& samples) {
    if (samples.empty()) return;
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) {
        return samples[std::min(samples.size() - 1, std::size_t(q * double(samples.size())))];
    };
    state.counters["p50_ms"] = at(0.50) * 1e3;
    state.counters["p99_ms"] = at(0.99) * 1e3;
    state.counters["max_ms"] = samples.back() * 1e3;
}

void DrawClickToShown(benchmark::State& state) {
    SoloGame& g = theGame();
    std::vector<double> samples;
    int turn = 0;
    for (auto _ : state) {
        g.awaitTurn();
        QElapsedTimer clock;
        clock.start();
        SoloGame::click(g.drawPile());
        if (!spinUntil([&] { return g.cardInHand(); })) state.SkipWithError("no card arrived");
        const double seconds = double(clock.nsecsElapsed()) * 1e-9;
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
        const int moves = g.moves();
        SoloGame::click(g.gridCard(1 + turn++ % 9)); // finish the turn, untimed
        spinUntil([&] { return g.moveShown(moves); });
    }
    report(state, samples);
}

void GridClickToShown(benchmark::State& state) {
    SoloGame& g = theGame();
    std::vector<double> samples;
    int turn = 0;
    for (auto _ : state) {
        g.awaitTurn();
        SoloGame::click(g.drawPile());
        spinUntil([&] { return g.cardInHand(); });
        const int moves = g.moves();
        QElapsedTimer clock;
        clock.start();
        SoloGame::click(g.gridCard(1 + turn++ % 9));
        if (!spinUntil([&] { return g.moveShown(moves); })) state.SkipWithError("no move shown");
        const double seconds = double(clock.nsecsElapsed()) * 1e-9;
        state.SetIterationTime(seconds);
        samples.push_back(seconds);
    }
    report(state, samples);
}

} // namespace

int main(int argc, char** argv) {
    bool ok = false;
    int turns = qEnvironmentVariableIntValue("PELVO_BENCH_TURNS", &ok);
    if (!ok || turns < 1) turns = 200;
    for (auto [name, fn] : {std::pair{"DrawClickToShown", &DrawClickToShown},
                            std::pair{"GridClickToShown", &GridClickToShown}})
        benchmark::RegisterBenchmark(name, fn)->UseManualTime()->Iterations(turns)->Unit(
            benchmark::kMillisecond);
    // The windows go before the application object.
    return pelvo::bench::runWithQApplication(argc, argv, [] { game.reset(); });
}
