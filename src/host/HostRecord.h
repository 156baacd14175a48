#pragma once
// The host's record of one game, and its check. Every input the engine takes (an accepted
// request, a timer tick, a connection made or lost) passes through the HostRecorder, which
// writes it in the order taken, followed by the notices it caused. The engine depends on nothing
// else (its generators are seeded from the deal number), so running a fresh engine over the same
// inputs must give the same notices byte for byte: verifyHostRecord() does that.
//
// A record starts with the input that starts a game (the seats as they were just before it come
// first) and is handed out once the game is over, never while hidden cards still matter.

// own
#include "host/Engine.h"
#include "protocol/GameRecord.h"

// Qt
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// std
#include <array>
#include <functional>
#include <optional>

namespace pelvo {

// The start of a host record: everything the engine knew before the game's first input, as
// "word rest" table lines. lines() writes them; read() takes them back one by one.
struct HostRecordHeader {
    struct SeatLine {
        int slot = 0;
        bool watching = false;
        QString name;
        friend bool operator==(const SeatLine&, const SeatLine&) = default;
    };

    std::optional<std::uint64_t> deal; // the first readable deal line
    std::array<BotLevel, Seats + 1> levels{};
    bool windowless = false;
    int reserveSeconds = 0;
    bool holdSeats = true; // records from before the choice held seats
    int slotCount = 0;
    QList<SeatLine> seats;
    // What the engine carries beyond its seats (Engine::carriedState), one "word rest" line each.
    QList<QByteArray> carried;

    // The header's lines in the order they are written.
    QList<QByteArray> lines() const;

    enum class Read {
        Taken,     // a header line, now in this header
        Ended,     // not a header line: the first input
        Malformed, // a header line that cannot be read; `error` says why
    };
    Read read(const QByteArray& text, QString& error);

    friend bool operator==(const HostRecordHeader&, const HostRecordHeader&) = default;
};

class HostRecorder {
public:
    explicit HostRecorder(Engine& engine);

    // Off: every call only passes through to the engine.
    bool enabled = false;
    // Milliseconds for the time column (any clock that does not go back).
    std::function<qint64()> clock;
    // A finished record: its bytes and the names of the seats in the game.
    std::function<void(const QByteArray& bytes, const QStringList& names)> finished;

    // ---- the engine's inputs, taken through the recorder ----
    bool request(int slot, const QString& line);
    int acceptConnection();
    // A game started by the host itself (the simulator), not by a request.
    void startgame(const QString& starter, const QString& rounds, const QString& flag3,
                   const QString& flag4);
    void lostConnection(int slot);
    void setHoldSeats(bool hold);
    void timer1Timer();
    void computertimerTimer();
    // As Engine::advanceClock (drivers without real timers).
    bool advanceClock();

    // Every frame the engine sends goes through here (from the outbox).
    void notice(int slot, const QByteArray& frame);
    // Every seat the engine deals, before its cards go out (from the engine's dealt hook).
    void dealt(int seat);

    bool recording() const { return recording_; }
    // Ends the game's record now (the host stops): hands it out if one was running.
    void finish(const QByteArray& reason);
    // When the input being handled (or the last one) came, on `clock`: the rules' clock too, so
    // that a re-run sees the same times.
    qint64 inputTime() const { return inputAt_; }

private:
    template <class F> void input(const QByteArray& who, bool startsGame, F&& run);
    HostRecordHeader snapshot() const;
    QStringList names() const;
    qint64 now() const;

    Engine& engine_;
    bool recording_ = false;
    bool inInput_ = false;
    std::optional<RecordWriter> writer_;
    qint64 start_ = 0;
    qint64 inputAt_ = 0; // when the input being handled came
    // Notices of the input being handled, as (who, text).
    QList<std::pair<QByteArray, QByteArray>> pending_;
};

struct VerifyResult {
    bool ok = false;
    QString message; // what differs first, naming the record's line; or a summary
    int inputs = 0;
    int notices = 0;
};

// Runs a fresh engine over a host record's inputs and compares every notice.
VerifyResult verifyHostRecord(const GameRecord& record);
// The same, reading the file as it goes: a record of any length is checked in little memory.
VerifyResult verifyHostRecordFile(const QString& path);

// The deal number a host record names, if any.
std::optional<std::uint64_t> recordDeal(const GameRecord& record);

} // namespace pelvo
