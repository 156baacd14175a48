#include "bot/BotPlayer.h"

// own
#include "bot/KnownTable.h"
#include "rules/ComputerRules.h"
#include "session/ClientSession.h"

// Qt
#include <QTimer>

// std
#include <utility>

namespace pelvo {

BotPlayer::BotPlayer(ClientSession& session, std::uint64_t seed, QObject* parent)
    : QObject(parent), session_(session), random_(seed) {
    think_ = new QTimer(this);
    think_->setSingleShot(true);
    think_->setInterval(0);
    connect(think_, &QTimer::timeout, this, &BotPlayer::act);
    connect(&session, &ClientSession::turnChanged, think_, [this] {
        if (!think_->isActive()) think_->start();
    });
}

void BotPlayer::setThinkTime(int ms) {
    think_->setInterval(qMax(0, ms));
}

Table BotPlayer::knownTable() const {
    return pelvo::knownTable(session_.table(), session_.state().myseat);
}

void BotPlayer::act() {
    const ClientState& st = session_.state();
    const TableModel& t = session_.table();
    const int seat = st.myseat;
    if (!st.connected || seat < 1 || seat > TableSeats || t.turnSeat != seat) return;
    if (!t.seats[std::size_t(seat)].playing) return;

    if (t.flipsLeft > 0) {
        // The session counts the flips asked for, so a flip is never asked for twice.
        const ComputerMove m = chooseFlip(level_, knownTable(), seat, random_);
        if (m.kind == ComputerMove::Flip) session_.chooseCell(m.position);
        return;
    }
    if (t.drawPick == Pick::Picked) {
        if (std::exchange(keptTurn_, t.turnNumber) == t.turnNumber) return;
        const ComputerMove m = chooseAfterDraw(level_, knownTable(), seat, random_);
        if (m.kind == ComputerMove::ReplaceDraw)
            session_.chooseCell(m.position);
        else
            session_.pickDiscard(); // throws the drawn card away
        return;
    }
    // The piles stay open after the opening flips, but the turn to play comes only when the host
    // hands it out (and marks the seat).
    if (t.turnMarkerSeat != seat || t.drawPick != Pick::Open || t.discardPick != Pick::Open) return;
    if (std::exchange(playedTurn_, t.turnNumber) == t.turnNumber) return;
    const ComputerMove m = choosePlay(level_, knownTable(), seat, random_);
    if (m.kind == ComputerMove::ReplaceDiscard) {
        session_.pickDiscard();
        session_.chooseCell(m.position);
    } else {
        session_.drawFromPile();
    }
}

} // namespace pelvo
