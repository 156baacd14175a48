#pragma once
// The table host: a hidden object in every process of the program. It listens only when this
// player hosts, holds the authoritative game, checks every move and plays empty seats.
// The rules live in Engine (plain data, no sockets); this class wires them to the listening
// socket, one TSock per slot and the three host timers.

// own
#include "host/Engine.h"
#include "host/EventLog.h"
#include "host/HostRecord.h"
#include "host/Model.h"
#include "host/TableMetrics.h"
#include "protocol/FrameSplitter.h"

// Qt
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

// std
#include <array>
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
    struct Options {
        // No player's window lives in this process (the dedicated table): a lost slot 1 is
        // taken over by the computer like any other seat.
        bool windowless = false;
        // Seconds a dropped player's seat waits for its reclaim token; below 0:
        // PELVO_RESERVE_SECONDS, else 120.
        int reserveSeconds = -1;
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
    // Received lines are handled one per tick of this many milliseconds.
    static constexpr int DispatchTick = 10;

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
    // Lines received and not yet dispatched.
    qsizetype queuedLines() const { return qsizetype(receivedlist.size()); }
    bool socktimerActive() const { return socktimer.isActive(); }
    // The delay the dispatch timer was last armed with: 0 for a line after a rest.
    int socktimerInterval() const { return socktimer.interval(); }

    // Event handlers, public so that a test can drive them.
    void Sock1Accept(TSock* listener);
    void Sock1Read(TSock* sock, int count);
    void socktimerTimer();
    void tempsockDisconnect(TSock* sock);
    void tempsockInfo(TSock* sock, int code, const QString& text);
    void timer1Timer();
    void computertimerTimer();

private:
    struct Connection {
        TSock* sock = nullptr;
        FrameSplitter splitter;
        std::uint64_t id = 0; // which connection: a slot's next holder gets a new id
        int queued = 0;
        QString addr; // the peer's address, for the event log
        bool loggedIn = false;
    };
    struct Received {
        int slot;
        std::uint64_t id;
        QString line;
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
        const char* reason = nullptr; // "flood", "oversized", "stalled", "kicked"
        int by = 0;                   // for "kicked": the slot that removed it
    };
    void noteLost(int slot);
    void hostLine(const QString& text);

    void lose(int slot);

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
    std::uint64_t nextId_ = 0;
    std::deque<Received> receivedlist;
    QTimer socktimer;
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
