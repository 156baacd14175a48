// Cost of one chat line as the conversation grows: the time to add line 1,000 and line 20,000
// (both should be flat), the memory held after 5,000 and 50,000 lines (the history keeps the
// last 5,000), and the cost of a sender's colour changes. Lines mix system notices, four
// senders, links and smilies, and the panel is shown and painted as in play. Last, the same
// sender's lines reaching a shown game window as received lines, in one colour and alternating.

#include "client/Tchat.h"
#include "client/chat/ChatPanel.h"
#include "session/ClientSession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "QtBenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <memory>

namespace {

double rssMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// Line n of a made-up conversation; each sender keeps its colour.
void addLine(pelvo::ClientSession& session, int n) {
    static const char* const names[] = {"Anna", "Klot", "Bea", "Dan"};
    static const char* const colours[] = {"clNavy", "$00006CC8", "clPurple", "clTeal"};
    const int seat = n % 4;
    if (n % 25 == 0) {
        session.note(QStringLiteral("Round %1 starting.").arg(n / 25));
    } else if (n % 10 == 3) {
        session.handleLine(
            QStringLiteral("CMD_chat+%1+%2 chats: the rules are at www.example.com/r%3 "
                           "if you want them|%4")
                .arg(seat + 1)
                .arg(names[seat])
                .arg(n)
                .arg(colours[seat]));
    } else if (n % 5 == 1) {
        session.handleLine(QStringLiteral("CMD_chat+%1+%2 chats: nice move :)#1%3 well played|%4")
                               .arg(seat + 1)
                               .arg(names[seat])
                               .arg(n % 10)
                               .arg(colours[seat]));
    } else {
        session.handleLine(
            QStringLiteral("CMD_chat+%1+%2 chats: line %3 of a longer conversation about "
                           "the cards on the table|%4")
                .arg(seat + 1)
                .arg(names[seat])
                .arg(n)
                .arg(colours[seat]));
    }
}

struct FilledPanel {
    pelvo::ClientSession session;
    pelvo::ChatPanel panel{session};
    int lines = 0;

    explicit FilledPanel(int count) {
        panel.resize(280, 260);
        panel.show();
        QApplication::processEvents();
        fillTo(count);
    }
    // Events are handled every 1,000 lines, as a running program would between bursts.
    void fillTo(int count) {
        while (lines < count) {
            addLine(session, ++lines);
            if (lines % 1000 == 0) QApplication::processEvents();
        }
        QApplication::processEvents();
    }
};

// Resident memory after 5,000 and after 50,000 lines of conversation. First, so that the
// figures are not hidden by memory the other benchmarks leave behind.
void BM_MemoryAfterLines(benchmark::State& state) {
    for (auto _ : state) {
        const double before = rssMiB();
        FilledPanel chat(5000);
        const double at5k = rssMiB();
        chat.fillTo(50000);
        const double at50k = rssMiB();
        state.counters["rss_before_MiB"] = before;
        state.counters["rss_5k_MiB"] = at5k;
        state.counters["rss_50k_MiB"] = at50k;
        state.counters["rss_50k_over_5k"] = at50k / at5k;
    }
}
BENCHMARK(BM_MemoryAfterLines)->Iterations(1)->Unit(benchmark::kSecond);

// Time to add (and lay out and paint) line N, N+1, ... of a conversation.
void BM_AddLine(benchmark::State& state) {
    const double before = rssMiB();
    FilledPanel chat(int(state.range(0)) - 1);
    for (auto _ : state) {
        addLine(chat.session, ++chat.lines);
        QApplication::processEvents();
    }
    state.counters["rss_MiB"] = rssMiB();
    state.counters["view_MiB"] = rssMiB() - before;
    state.counters["lines_at_end"] = chat.lines;
}
BENCHMARK(BM_AddLine)->Arg(1000)->Arg(20000)->Iterations(300)->Unit(benchmark::kMicrosecond);

// A sender's line in a new colour after 20,000 lines: that sender's lines still shown (about
// 1,250 of the last 5,000) are recoloured once, before the next paint.
void BM_RecolourSender(benchmark::State& state) {
    FilledPanel chat(20000);
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        chat.session.handleLine(flip ? QStringLiteral("CMD_chat+1+Anna chats: new colour|clRed")
                                     : QStringLiteral("CMD_chat+1+Anna chats: back again|clNavy"));
        QApplication::processEvents();
    }
}
BENCHMARK(BM_RecolourSender)->Iterations(10)->Unit(benchmark::kMillisecond);

// 2,000 lines of one sender on a fresh panel, in one colour (1) or alternating between two (2);
// the earlier lines' colours are brought up to date and the view painted at the end.
void BM_SenderLines(benchmark::State& state) {
    const bool alternate = state.range(0) == 2;
    for (auto _ : state) {
        state.PauseTiming();
        auto chat = std::make_unique<FilledPanel>(0);
        state.ResumeTiming();
        for (int n = 0; n < 2000; ++n) {
            const bool red = alternate && n % 2 == 1;
            chat->session.handleLine(
                QStringLiteral("CMD_chat+1+Anna chats: line %1 of a longer talk|%2")
                    .arg(n)
                    .arg(red ? QStringLiteral("clRed") : QStringLiteral("clNavy")));
        }
        chat->panel.flush();
        QApplication::processEvents();
        state.PauseTiming();
        chat.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SenderLines)->Arg(1)->Arg(2)->Iterations(3)->Unit(benchmark::kMillisecond);

// Seconds for 2,000 lines of one sender to reach a shown game window the way the host's lines
// do (queued as received, handled by the window's timer), each handled and shown before the
// next arrives: in one colour, or alternating between two.
double feedWindow(bool alternate) {
    pelvo::Tchat window({});
    window.show();
    QApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < 2000; ++n) {
        const bool red = alternate && n % 2 == 1;
        window.receivedlist().append(
            QStringLiteral("CMD_chat+1+Anna chats: line %1 of a longer "
                           "talk|%2")
                .arg(n)
                .arg(red ? QStringLiteral("clRed") : QStringLiteral("clNavy")));
        window.processsocktimer();
        QApplication::processEvents();
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

void BM_WindowSenderLines(benchmark::State& state) {
    QTemporaryDir home;
    qputenv("PELVO_HOME", home.path().toUtf8());
    std::array<double, 3> one{}, alternating{};
    for (auto _ : state) {
        for (std::size_t i = 0; i < one.size(); ++i) {
            one[i] = feedWindow(false);
            alternating[i] = feedWindow(true);
        }
    }
    std::sort(one.begin(), one.end());
    std::sort(alternating.begin(), alternating.end());
    state.counters["one_colour_s"] = one[1]; // medians
    state.counters["alternating_s"] = alternating[1];
    state.counters["alternating_over_one"] = alternating[1] / one[1];
}
BENCHMARK(BM_WindowSenderLines)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return pelvo::bench::runWithQApplication(argc, argv);
}
