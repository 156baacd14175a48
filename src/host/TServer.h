#pragma once
// The table host: a hidden object in every process of the program. It listens only when this
// player hosts, holds the authoritative game, checks every move and plays empty seats.
// The rules live in Engine (plain data, no sockets); this class wires them to the listening
// socket, one TSock per slot and the three host timers.

// own
#include "host/Engine.h"
#include "host/EventLog.h"
#include "host/HostRecord.h"
#include "rules/Model.h"
#include "host/TableMetrics.h"
#include "protocol/FrameSplitter.h"

// Qt
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

// std
#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace pelvo {

class TSock;

class TServer : public QObject {
    Q_OBJECT
public:
    // Time a new connection has to send its login; past it the connection is closed, so
    // silent connections cannot hold the table's slots.
    static constexpr std::chrono::milliseconds LoginTimeout{20'000};

    struct Options {
        // No player's window lives in this process (the dedicated table): a lost slot 1 is
        // taken over by the computer like any other seat.
        bool windowless = false;
        // Seconds a dropped player's seat waits for its reclaim token; below 0:
        // PELVO_RESERVE_SECONDS, else 120.
        int reserveSeconds = -1;
        // A connection that has not logged in by then is closed.
        std::chrono::milliseconds loginTimeout = LoginTimeout;
        // Whether that seat is kept from newcomers meanwhile; unset: at a dedicated table only.
        // At a player's own table a newcomer takes a free seat over as described, and the token
        // gives the seat back while nobody has.
        std::optional<bool> holdSeats = std::nullopt;
    };
    // The seconds a seat is kept when the options leave it open.
    static int defaultReserveSeconds();

    // A peer whose unsent output passes this is not reading: its connection is closed.
    static constexpr qsizetype MaxOutbound = 1024 * 1024;
    // Lines waiting in the queue from one connection; a peer past this floods the table.
    static constexpr int MaxQueuedLines = 256;
    // Received lines are handled one per tick of this many milliseconds, the connections with
    // lines waiting served in turn.
    static constexpr int DispatchTick = 10;
    // What one connection may send: a burst of RateBurst frames, then RateLinesPerSecond on
    // average, the pace the table handles lines at all. Play, chat and phrases stay far below
    // it; a peer past it is closed.
    static constexpr int RateLinesPerSecond = 1000 / DispatchTick;
    static constexpr int RateBurst = 300;

    explicit TServer(QObject* parent = nullptr);
    TServer(const Options& options, QObject* parent = nullptr);
    ~TServer() override;

    // The listening socket, port gamePortName(); the client switches it on with setListen(true).
    TSock* Sock1 = nullptr;

    // Interval of the delay and computer timers, read each time one is armed (the hosting
    // player's "Bot and Delay Speed": 500, 1000 or 2000 ms).
    std::function<int()> botSpeed;
    // The level of the computer players, read at each game start (Classic when unset).
    std::function<BotLevel()> botLevel;

    Engine& engine() { return engine_; }
    const Table& table() const { return engine_.table; }
    // Fixes the deal numbers of the games to come (tests): the same seed, the same deals.
    void seed(std::uint64_t value) {
        random_.reseed(value);
        dealPicker_.reseed(value);
    }
    // The next game is dealt from this deal number (a rematch, `--deal`); later ones are drawn.
    void setNextDeal(std::uint64_t deal) { nextDeal_ = deal; }
    // The deal number of the last game started here, if any.
    std::optional<std::uint64_t> lastDeal() const {
        return engine_.seeded() ? std::optional<std::uint64_t>(engine_.deal()) : std::nullopt;
    }
    // What starts the last game's deal again, as the player's start request gives it: its
    // deal, starter and rounds, and whether seats 3 and 4 played. Nothing while a game runs or
    // before the first one.
    struct Rematch {
        std::uint64_t deal = 0;
        QString starter, rounds;
        bool seat3 = false, seat4 = false;
    };
    std::optional<Rematch> rematch() const;

    // The host's choice to keep a dropped player's seat from newcomers (see Options).
    void setHoldSeats(bool hold);
    bool holdSeats() const { return engine_.options().holdSeats; }

    // ---- Game records ----
    // Writes a host record of each game, once it is over, into `folder` (empty: none).
    void setRecordFolder(const QString& folder);
    QString recordFolder() const { return recordFolder_; }
    // The record written last (empty before any).
    QString lastRecord() const { return lastRecord_; }
    // Writes the record of a game still running, as ended now. For a shutdown path (a signal,
    // the window closing); harmless when nothing is running.
    void flushRecords();

    // Tells every accepted connection that the table closes, then closes it (each gets the usual
    // lost-connection handling).
    void closeAll(bool tell = true);
    // Ends the table in order: stops listening and playing, tells everyone "The table is
    // closing.", waits until that has left (at most `graceMs`), closes every connection, then
    // calls `done` from the event loop.
    void closeTable(std::function<void()> done, int graceMs = 2000);
    bool closing() const { return closing_; }

signals:
    // closeTable() has begun; the connections are still open. What must be on disk before a
    // table goes (game records) is written here.
    void tableClosing();

public:
    // The operator's event lines (see EventLog.h); pelvo-table writes them to stderr. Nothing
    // is formatted while unset.
    std::function<void(const QString&)> eventLog;
    const TableMetrics& metrics() const { return metrics_; }
    TableGauges gauges() const;
    QByteArray metricsText() const { return prometheusText(metrics_, gauges()); }
    // Lines received and not yet dispatched, from all connections.
    qsizetype queuedLines() const;
    bool socktimerActive() const { return socktimer.isActive(); }
    // The delay the dispatch timer was last armed with: 0 for a line after a rest.
    int socktimerInterval() const { return socktimer.interval(); }

    // Event handlers, public so that a test can drive them.
    void Sock1Accept(TSock* listener);
    void Sock1Read(TSock* sock, int count);
    void socktimerTimer();
    void logintimerTimer();
    void tempsockDisconnect(TSock* sock);
    void tempsockInfo(TSock* sock, int code, const QString& text);
    void timer1Timer();
    void computertimerTimer();

private:
    struct Connection {
        TSock* sock = nullptr;
        FrameSplitter splitter;
        std::deque<QString> receivedlist; // its lines not yet handled, oldest first
        QString addr;                     // the peer's address, for the event log
        qint64 acceptedAt = 0;            // clock_ time
        // Rate allowance in thousandths of a frame, topped up at creditAt (clock_ time).
        qint64 credit = 0;
        qint64 creditAt = 0;
        // A login waits in receivedlist: what the peer sent after it waits too, since the
        // login may well succeed.
        bool loginQueued = false;
    };
    class Wire : public Outbox {
    public:
        explicit Wire(TServer& server) : server_(server) {}
        void send(int slot, const QByteArray& frame) override;
        void close(int slot) override;
        void move(int from, int to) override;

    private:
        TServer& server_;
    };

    // Runs engine work; lost connections noticed meanwhile are handled once it is done, so
    // the rules never re-enter themselves from inside a send.
    template <class F> void run(F&& work);
    void forget(int slot);
    void syncTimers();
    void armDispatch();
    void armLoginTimer();
    bool loggedIn(int slot) const { return table().seats[slot].loggedIn; }
    // Takes what `frames` costs from the connection's allowance; false once it is spent.
    bool withinRate(Connection& c, qsizetype frames);
    // Closes a slot's connection, telling the lost connection as `reason` (see ClosingFor).
    void closeFor(int slot, const char* reason);
    // Bookkeeping for the metrics and the event log (TServerEvents.cpp).
    void logEvent(const char* event, std::initializer_list<LogField> fields) const;
    void dispatchRequest(int slot, const QString& line);
    // A login, or a reclaim that got seat `reclaimed` back (0: it became a login).
    void noteLogin(int slot, int reclaimed);
    void noteGameState();
    // Why the table itself is closing a connection right now, so that the lost connection
    // this causes is told as that (noteLost) and not as the peer leaving.
    struct ClosingFor {
        int slot = 0;
        // "flood", "rate", "oversized", "stalled", "login_timeout", "kicked"
        const char* reason = nullptr;
        int by = 0; // for "kicked": the slot that removed it
    };
    void noteLost(int slot);
    void hostLine(const QString& text);

    void lose(int slot);
    // The engine's hooks into this server: deal numbers, the record, the clock and speeds.
    Engine::Hooks engineHooks();

    Random random_;
    Random bots_;       // the computer players' own stream
    Random dealPicker_; // draws deal numbers
    std::optional<std::uint64_t> nextDeal_;
    Wire wire_{*this};
    Engine engine_;
    HostRecorder recorder_{engine_};
    QElapsedTimer recordClock_;
    QString recordFolder_;
    QString lastRecord_;
    std::array<Connection, Slots + 1> conns_{};
    int served_ = 0; // the slot whose line was handled last; the next after it goes first
    QElapsedTimer clock_;
    std::chrono::milliseconds loginTimeout_;
    QTimer socktimer;
    QTimer logintimer;
    QElapsedTimer lastDispatch_; // since the last line was handled; invalid before the first
    QTimer timer1;
    QTimer computertimer;
    std::uint64_t timer1Armings_ = 0;
    std::uint64_t computerArmings_ = 0;
    int depth_ = 0;
    std::vector<int> lost_;
    TableMetrics metrics_;
    bool gameWasRunning_ = false;
    bool closing_ = false;
    ClosingFor closingFor_;
};

} // namespace pelvo
