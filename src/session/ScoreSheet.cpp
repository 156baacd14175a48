#include "session/ScoreSheet.h"

// std
#include <algorithm>

namespace pelvo {

namespace {
bool inRange(int seat) {
    return seat >= 1 && seat <= RoundScores::Seats;
}
} // namespace

bool RoundScores::allPosted() const {
    for (int s = 1; s <= Seats; ++s)
        if (playing.test(std::size_t(s)) && !seats[std::size_t(s)].posted) return false;
    return playing.any();
}

QList<int> RoundScores::undercut() const {
    QList<int> lower;
    if (!inRange(wentOut) || !seats[std::size_t(wentOut)].posted) return lower;
    const int out = seats[std::size_t(wentOut)].points;
    for (int s = 1; s <= Seats; ++s)
        if (s != wentOut && seats[std::size_t(s)].posted && seats[std::size_t(s)].points < out)
            lower << s;
    return lower;
}

int RoundScores::penaltySeat() const {
    for (int s = 1; s <= Seats; ++s)
        if (seats[std::size_t(s)].penalty) return s;
    return 0;
}

bool RoundScores::complete() const {
    return allPosted() && (penaltySeat() != 0 || undercut().isEmpty());
}

void ScoreSheet::startGame(int plannedRounds, SeatSet playing) {
    rows_.clear();
    planned_ = plannedRounds;
    playing_ = playing;
    shown_ = false;
}

bool ScoreSheet::startRound() {
    const bool closedNow = finish();
    shown_ = false;
    return closedNow;
}

void ScoreSheet::join(int plannedRounds, int round, const std::array<int, Seats>& totals,
                      SeatSet playing) {
    int last = 0;
    for (const RoundScores& r : rows_) last = std::max(last, r.round);
    // Another game than the one on the sheet: start afresh.
    if (plannedRounds != planned_ || round < last) rows_.clear();
    planned_ = plannedRounds;
    playing_ = playing;
    shown_ = false;
    bool differs = rows_.isEmpty() && round > 1;
    for (int s = 1; s <= Seats; ++s)
        differs =
            differs || (playing.test(std::size_t(s)) && total(s) != totals[std::size_t(s - 1)]);
    if (!differs) return;
    RoundScores carried;
    carried.playing = playing;
    carried.closed = true;
    for (int s = 1; s <= Seats; ++s)
        if (playing.test(std::size_t(s)))
            carried.seats[std::size_t(s)] = {true, 0, totals[std::size_t(s - 1)], false};
    rows_ << carried;
    foldOldest();
}

bool ScoreSheet::post(int round, int seat, int points, int total, int wentOut) {
    if (!inRange(seat)) return false;
    if (rows_.isEmpty() || rows_.last().earlier() || rows_.last().round != round) {
        RoundScores fresh;
        fresh.round = round;
        fresh.playing = playing_;
        rows_ << fresh;
        foldOldest();
    }
    RoundScores& r = rows_.last();
    r.playing.set(std::size_t(seat)); // a seat that scores plays
    r.seats[std::size_t(seat)] = {true, points, total, false};
    if (inRange(wentOut)) r.wentOut = wentOut;
    if (r.closed) { // results told already: tell them again, right
        ++told_;
        return true;
    }
    return r.complete() && close(r);
}

bool ScoreSheet::penalize(int seat, int total) {
    if (!inRange(seat) || rows_.isEmpty() || rows_.last().earlier()) return false;
    RoundScores& r = rows_.last();
    SeatScore& s = r.seats[std::size_t(seat)];
    s.penalty = true;
    s.total = total;
    // Only the seat that went out pays, so the penalty says who it was.
    if (!inRange(r.wentOut)) r.wentOut = seat;
    if (r.closed) {
        ++told_;
        return true;
    }
    return r.complete() && close(r);
}

bool ScoreSheet::finish() {
    if (rows_.isEmpty() || rows_.last().earlier() || rows_.last().closed) return false;
    return close(rows_.last());
}

bool ScoreSheet::close(RoundScores& r) {
    r.closed = true;
    shown_ = true;
    ++told_;
    return true;
}

int ScoreSheet::total(int seat) const {
    for (qsizetype i = rows_.size() - 1; i >= 0; --i)
        if (rows_[i].seats[std::size_t(seat)].posted)
            return rows_[i].seats[std::size_t(seat)].total;
    return 0;
}

void ScoreSheet::foldOldest() {
    while (rows_.size() > MaxRows) {
        rows_.removeFirst();
        // The new oldest row keeps its totals and carries the rounds before it.
        RoundScores& first = rows_.first();
        if (first.earlier()) continue;
        first.round = 0;
        first.wentOut = 0;
        first.closed = true;
        for (SeatScore& s : first.seats) {
            s.points = 0;
            s.penalty = false;
        }
    }
}

} // namespace pelvo
