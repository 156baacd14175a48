#pragma once
// The game's scores round by round, as the host posted them: each seat's round score, the total
// after the round (the penalty included), who went out and who paid for it. Plain data kept in
// the table model, so a replay's checkpoints and a reconnect carry it like the rest of the board.
//
// Every total is the host's; nothing here adds up scores. A round's results are complete when
// every seat in the game has posted and the penalty has come, or none is due.

// Qt
#include <QList>

// std
#include <array>
#include <bitset>

namespace pelvo {

// One seat's line of one round.
struct SeatScore {
    bool posted = false;
    int points = 0;       // the round's score
    int total = 0;        // the game total after the round, the penalty included
    bool penalty = false; // paid for going out without the lowest round score
    friend bool operator==(const SeatScore&, const SeatScore&) = default;
};

struct RoundScores {
    static constexpr int Seats = 4;
    static constexpr int Penalty = 25;

    // The host's round number; 0 for the totals of rounds this client did not see.
    int round = 0;
    int wentOut = 0;                          // 0: not known (the round's last turns were not seen)
    std::array<SeatScore, Seats + 1> seats{}; // 1..4
    std::bitset<Seats + 1> playing;           // seats that score in this game
    bool closed = false;                      // the results are told; later notices amend them

    bool earlier() const { return round == 0; }
    bool allPosted() const;
    // Seats whose round score is below that of the seat that went out, in seat order.
    QList<int> undercut() const;
    // The seat that paid the penalty, 0 none.
    int penaltySeat() const;
    // Every seat posted, and the penalty came or none is due.
    bool complete() const;
    friend bool operator==(const RoundScores&, const RoundScores&) = default;
};

class ScoreSheet {
public:
    static constexpr int Seats = RoundScores::Seats;
    // Rounds kept; older ones fold into the carried totals (a tie may go on for ever).
    static constexpr int MaxRows = 100;
    using SeatSet = std::bitset<Seats + 1>;

    // A new game: an empty sheet.
    void startGame(int plannedRounds, SeatSet playing);
    // The next round's cards are coming: the last results are taken down. True when that closed
    // a round still waiting for a penalty that never came.
    bool startRound();
    // A picture of a running game (a newcomer, or this client back after a lost connection):
    // what the sheet already holds of the game stays; totals it did not see are carried.
    void join(int plannedRounds, int round, const std::array<int, Seats>& totals, SeatSet playing);
    // A seat's round score and new total. True when this completes the round's results.
    bool post(int round, int seat, int points, int total, int wentOut);
    // The seat that went out pays: its new total. True when this completes the round's results
    // or amends results already told.
    bool penalize(int seat, int total);
    // The game is over: a round still waiting for its penalty is closed as it stands. True when
    // that closed it.
    bool finish();

    const QList<RoundScores>& rows() const { return rows_; }
    // The round whose results are on show, or null.
    const RoundScores* shown() const { return shown_ ? &rows_.last() : nullptr; }
    // Counts the times results were completed or amended: a listener's cue to tell them.
    int told() const { return told_; }
    int plannedRounds() const { return planned_; }
    SeatSet playing() const { return playing_; }
    // The total of `seat` after the sheet's last row; 0 before any.
    int total(int seat) const;
    bool isTieBreaker(const RoundScores& r) const { return planned_ > 0 && r.round > planned_; }
    friend bool operator==(const ScoreSheet&, const ScoreSheet&) = default;

private:
    bool close(RoundScores& r);
    void foldOldest();

    QList<RoundScores> rows_;
    int planned_ = 0;
    SeatSet playing_;
    bool shown_ = false;
    int told_ = 0;
};

} // namespace pelvo
