#pragma once
// The table host without sockets or windows: seating, the round and turn rules, scoring and the
// computer players, all working on the plain Table. Everything the host says goes through an
// Outbox; the two game timers are seams (arming records interval and countdown, the tick methods
// are plain calls), so a test or the simulator drives whole games tick by tick.
//
// Requests from the wire enter through request(fromSlot, line). That is the one place where
// fields are read and checked: a request is bound to the connection it came on (its own-slot or
// seat field must name that slot), numbers must lie within the tables, and only then does a rule
// run. Computer players make their moves through the same checks, as slot Computer: they enter
// where a wire request arrives once its fields are read as numbers.

// own
#include "rules/ComputerRules.h"
#include "rules/ExpertRules.h"
#include "rules/Model.h"
#include "protocol/CommandTable.h"

// Qt
#include <QByteArray>
#include <QString>

// std
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <utility>

namespace pelvo {

class Outbox {
public:
    virtual ~Outbox() = default;
    virtual void send(int slot, const QByteArray& frame) = 0;
    // False for an outbox nobody reads (a simulation counting outcomes): the engine then builds
    // and sends no game notice, neither to everyone nor a seat's own cards. (What a login is
    // answered still goes out.) Asked at every notice, so it may change between games.
    virtual bool wantsFrames() const { return true; }
    // The outcome of a round as it is scored, frames wanted or not: each seat in the game's
    // round score and new total, then the penalty of the seat that went out, if any.
    virtual void roundScored(int seat, int roundScore, int total) {
        (void)seat;
        (void)roundScore;
        (void)total;
    }
    virtual void penalised(int seat, int total) {
        (void)seat;
        (void)total;
    }
    // Close a slot's connection; its lost-connection handling follows (lostConnection).
    virtual void close(int slot) { (void)slot; }
    // The connection of slot `from` carries on as slot `to` (a reclaimed seat); `from` is empty
    // afterwards and `to` had no connection.
    virtual void move(int from, int to) {
        (void)from;
        (void)to;
    }
};

// A host timer as the rules see it: armed with an interval (the bot speed at that moment), an
// action and a countdown kept in the Table; each tick lowers the countdown.
struct TimerSeam {
    bool enabled = false;
    int interval = 0;
    int action = 0;
    std::uint64_t armings = 0; // grows at every arming, so a driver can restart its real timer
    std::int64_t dueAt = 0;    // virtual clock of advanceClock()
};

// What the engine asks of whoever runs it; each may be left unset.
struct EngineHooks {
    // Read at each game start: the deal number. Both generators are then seeded from it
    // (each round's shuffle from the deal and the round alone), so a deal number replays the
    // same cards whatever the players and the computer decide. Unset: the generators run on.
    std::function<std::uint64_t()> dealSource{};
    // Called for every seat in the game as it is dealt, before its cards go out.
    std::function<void(const Table& table, int seat)> dealt{};
    // Interval of both timers, read at each arming; below 1 (or unset) counts as 1000.
    std::function<int()> botSpeed{};
    // Read at each game start: the level of each seat's computer (entry 0 unused).
    std::function<std::array<BotLevel, Seats + 1>()> botLevels{};
    // Milliseconds of a steady clock; reservations run on it. Unset: the system's.
    std::function<qint64()> wallClock{};
    // Where new reclaim tokens come from. Unset: 128 bits of the system's source.
    // A re-run of a game's record hands out the tokens the table gave then.
    std::function<QString()> tokenSource{};
};

class Engine {
public:
    // The sender of a move made by the host itself (a computer player): not bound to a slot.
    static constexpr int Computer = 0;

    struct Options {
        // No player's window lives in this process: a lost slot 1 is taken over by the
        // computer like any other seat, and the rights to run the table pass between players.
        bool windowless = false;
        // How long a seat whose player dropped out of a game waits for that player's reclaim
        // token; 0 keeps no seat and hands out no token.
        int reserveSeconds = 0;
        // Whether such a seat is also kept from newcomers. Off, the next newcomer may take it
        // over (lowest slot first, as any free slot) and the token is good until one does.
        bool holdSeats = true;
    };
    // Lines of chat kept for a joiner.
    static constexpr int HistoryLines = 50;

    using Hooks = EngineHooks;

    // `deals` shuffles and picks who starts; `bots` makes the computer players' random picks.
    // With one generator both come from it.
    Engine(Outbox& outbox, Random& deals, Random& bots, Options options, Hooks hooks = {});
    Engine(Outbox& outbox, Random& random, Options options, Hooks hooks = {})
        : Engine(outbox, random, random, options, std::move(hooks)) {}
    Engine(Outbox& outbox, Random& random) : Engine(outbox, random, random, Options{}) {}

    const Options& options() const { return options_; }
    // Holding seats from newcomers can be switched while a table runs (the host's choice).
    void setHoldSeats(bool hold) { options_.holdSeats = hold; }

    Table table;
    // The cards seen this round, kept up to date as they move: Expert seats read it.
    const expert::SeenCards& seenCards() const { return seen_; }
    TimerSeam timer1;        // delay timer: action 1 pass the turn, 2 start the next round
    TimerSeam computertimer; // action 1 play a turn from its start, 2 finish after a draw

    // ---- Deals ----
    // The deal number of the game started last (valid once the deal source has been read).
    std::uint64_t deal() const { return deal_; }
    bool seeded() const { return seeded_; }
    // What the last game was started with, for a rematch.
    struct Start {
        QString starter, rounds, flag3, flag4;
    };
    const Start& lastStart() const { return lastStart_; }
    // ---- Wire requests (validated here, then handed to the rules) ----
    // Returns true when the request passed every check and the rule took it.
    bool request(int fromSlot, const QString& line);

    // ---- Connections and seating ----
    // Gives a new connection a slot (lowest free first) and marks it in use; 10 means full:
    // refuse it with CMD_full and close it. Sends nothing itself.
    int acceptConnection();
    // "Socket Closed" for a slot: announces it, frees the slot, lets the computer take over.
    void lostConnection(int slot);
    void disconnectsock(int slot);

    // ---- Game rules (typed; the request gate has checked ranges and binding) ----
    void startgame(const QString& starter, const QString& rounds, const QString& flag3,
                   const QString& flag4);
    void startround();
    // Tells everyone in chat which level the computer players play at.
    void announceLevels();
    void dealcards();
    bool flipcard(int seat, int position);
    bool drawcard(int seat);
    bool replacedraw(int seat, int position);
    bool discarddrawn(int seat);
    bool replacediscard(int seat, int position);
    // Lays `code` face up in a seat's cell, keeping the cards seen up to date (the card it
    // covers is the caller's to move).
    void layFaceUp(int seat, int position, int code);
    void findplayer();
    void checkforcomplete(int seat);
    void endround();
    int getscores(int seat) const;
    bool checkforwin();

    // ---- Timers ----
    void timer1Timer();
    void computertimerTimer();
    // Virtual time for drivers without real timers: runs the next tick of whichever timer is
    // due first. Returns false when no timer runs.
    bool advanceClock();
    std::int64_t clock() const { return now_; }

    // ---- Computer players (the decisions are in ComputerRules) ----
    // The level each seat's computer plays at (entry 0 unused); Classic unless set, and from
    // the botLevels hook at each game start.
    std::array<BotLevel, Seats + 1> botLevels{};
    BotLevel levelOf(int seat) const {
        return seat >= 1 && seat <= Seats ? botLevels[std::size_t(seat)] : BotLevel::Classic;
    }
    bool computerflipcards(int seat);
    void computerplay(int seat);
    void computerdrew(int seat);
    int computermatch(int seat, int value) const;
    int computergethighest(int seat) const;
    bool computershouldplace(int seat, int position, bool firm, int value) const;
    bool computervertcomplete(int seat, int position) const;
    int computergetscores(int seat) const;
    int empty(int seat) const { return computer::empty(table, seat); }

    // Sends to every slot in use, ascending (nothing when the outbox wants no frames).
    void broadcast(const QByteArray& frame);
    // Whether a notice to everyone has a reader: the outbox wants frames and a slot is in use.
    bool listened() const;
    // A line from the host itself in everyone's chat (an action from slot 0 in the clients'
    // system colour): clients built to the original catalogue show it too.
    void hostLine(const QString& text);

    // ---- Table rights, reserved seats, chat history ----
    // The slot whose start, removal and "Just Watch" for others the host obeys: slot 1 at a
    // player's own table; at a dedicated table the first to log in, then the lowest slot logged
    // in.
    int rightsHolder() const { return options_.windowless ? holder_ : 1; }
    // The seat's reclaim token (empty: none) and whether the seat waits for it now.
    QString tokenOf(int seat) const;
    // What a game's record carries of the table beyond its seats, so the game re-runs alike: who
    // runs the table, the seats' tokens, who has logged in, the chat a joiner gets. One
    // "word rest" line each; restore takes them back one at a time (false: not such a line).
    QList<QByteArray> carriedState() const;
    bool restoreCarried(const QByteArray& word, const QByteArray& rest);
    bool isReserved(int seat) const;
    // The seat the last reclaim request got back; 0 when it became an ordinary login.
    int lastReclaimedSeat() const { return reclaimed_; }

private:
    // request handlers: read and check the fields, then call the rule
    void onLogininfo(const QString& payload);
    void onKickhim(const QString& payload);
    void onChat(const QString& payload);
    void onAction(const QString& payload);
    void onPlayasound(const QString& payload);
    void onStartgame(const QString& payload);
    void onJustwatch(const QString& payload);
    void onFlipcard(const QString& payload);
    void onDrawcard(const QString& payload);
    void onReplacedraw(const QString& payload);
    void onDiscarddrawn(const QString& payload);
    void onReplacediscard(const QString& payload);
    void onReclaimseat(const QString& payload);
    // The move requests once their fields are read as numbers: checked (seat bound to the
    // sender, position within the grid), then handed to the rule. The wire handlers above call
    // these; the computer players call them through submit().
    void requestFlipcard(int seat, int position);
    void requestDrawcard(int seat);
    void requestReplacedraw(int seat, int position);
    void requestDiscarddrawn(int seat);
    void requestReplacediscard(int seat, int position);
    // A seat field bound to the sender: 1..4 and, from a connection, that connection's slot.
    int boundSeat(int seat) const;
    static int gridPosition(int position);
    int relaySlot(const QString& slotText) const;

    void receivedlogininfo(int slot, const QString& version, const QString& name);
    void justwatch(int seat, const QString& mode);
    void takeOver(int seat);
    void sendGamestats(int slot);
    // What a login adds beyond the described notices: who runs the table, the seat's reclaim
    // token, the chat so far.
    void welcome(int slot);
    // A connection is gone: keep its seat for its token, or forget the token; pass the rights.
    void afterLoss(int slot);
    void passRights();
    // Seat `seat`'s own cards and the turn, for a player who got the seat back: only what its
    // holder was dealt or saw.
    void sendSeatState(int seat);
    // The seat's holder drew the card it holds now (the computer did not draw it meanwhile).
    bool holderDrew(int seat) const;
    // Reservations end with the game.
    void endReservations();
    void remember(const QByteArray& frame);
    // A game notice to everyone, built only when somebody reads it. Only for notices the chat
    // history never keeps, as nothing is remembered when nobody listens.
    template <class Build> void tell(Build&& build) {
        if (listened()) broadcast(build());
    }
    void addCommands();

    void armTimer(TimerSeam& timer, int action, int& countdown, int ticks);
    void stopTimer(TimerSeam& timer);
    int speed() const;
    // A computer player's move, as a request from slot Computer; true when it was taken.
    bool submit(int seat, const ComputerMove& move);

    qint64 wallNow() const;

    Outbox& outbox_;
    Hooks hooks_;
    Random& random_;
    Random& bots_;
    expert::SeenCards seen_;
    std::uint64_t deal_ = 0;
    bool seeded_ = false;
    Start lastStart_;
    Options options_;
    CommandTable commands_;
    bool commandsAdded_ = false;
    int from_ = Computer; // sender of the request being handled
    bool accepted_ = false;
    std::int64_t now_ = 0;

    // A seat's holder, from the connection that got the seat to the end of its reservation:
    // the token, and what it was shown of the seat's hidden cards.
    struct SeatKey {
        QString token;
        qint64 reservedUntil = 0;  // wallClock() time; 0 while the player is connected
        bool dealtHere = false;    // got this round's CMD_mycards
        std::uint64_t sawDraw = 0; // the draw (draws_) whose card it was sent
    };
    std::array<SeatKey, Seats + 1> keys_{}; // seats 1..4
    std::uint64_t draws_ = 0;               // draws from the draw pile so far
    int reclaimed_ = 0;
    int holder_ = 0;
    std::deque<QByteArray> history_;
    qsizetype historyBytes_ = 0;
};

} // namespace pelvo
