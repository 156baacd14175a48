#include "bot/BotPlayer.h"

// own
#include "bot/KnownTable.h"
#include "rules/ComputerRules.h"
#include "session/ClientSession.h"

// Qt
#include <QTimer>

namespace pelvo {

BotPlayer::BotPlayer(ClientSession& session, std::uint64_t seed, QObject* parent)
    : QObject(parent), session_(session), random_(seed) {
    think_ = new QTimer(this);
    think_->setSingleShot(true);
    think_->setInterval(0);
    connect(think_, &QTimer::timeout, this, &BotPlayer::act);
    connect(&session, &ClientSession::tableChanged, think_, [this] {
        if (!think_->isActive()) think_->start();
    });
}

void BotPlayer::setThinkTime(int ms) {
    think_->setInterval(qMax(0, ms));
}

Table BotPlayer::knownTable() const {
    return pelvo::knownTable(session_.table(), session_.state().myseat);
}

QByteArray BotPlayer::stamp() const {
    const TableModel& t = session_.table();
    return QByteArray::number(t.turnNumber) + ' ' + QByteArray::number(t.flipsLeft) + ' ' +
           QByteArray::number(int(t.drawPick)) + ' ' + QByteArray::number(int(t.discardPick)) +
           ' ' + QByteArray::number(t.drawPicture) + ' ' + QByteArray::number(t.round) + ' ' +
           QByteArray::number(qulonglong(t.askedToFlip.to_ulong()));
}

void BotPlayer::act() {
    const ClientState& st = session_.state();
    const TableModel& t = session_.table();
    const int seat = st.myseat;
    if (!st.connected || seat < 1 || seat > TableSeats || t.turnSeat != seat) return;
    if (!t.seats[std::size_t(seat)].playing) return;
    const QByteArray now = stamp();
    if (now == actedOn_) return; // the host has not answered the last move yet
    actedOn_ = now;

    const Table known = knownTable();
    if (t.flipsLeft > 0) {
        const ComputerMove m = chooseFlip(level_, known, seat, random_);
        if (m.kind == ComputerMove::Flip) session_.chooseCell(m.position);
        return;
    }
    if (t.drawPick == Pick::Picked) {
        const ComputerMove m = chooseAfterDraw(level_, known, seat, random_);
        if (m.kind == ComputerMove::ReplaceDraw)
            session_.chooseCell(m.position);
        else
            session_.pickDiscard(); // throws the drawn card away
        return;
    }
    if (t.drawPick != Pick::Open || t.discardPick != Pick::Open) return;
    const ComputerMove m = choosePlay(level_, known, seat, random_);
    if (m.kind == ComputerMove::ReplaceDiscard) {
        session_.pickDiscard();
        session_.chooseCell(m.position);
    } else {
        session_.drawFromPile();
    }
}

} // namespace pelvo
