// The client's side of what a table does beyond the described host: it learns whether it runs a
// dedicated table, keeps the token that gives its seat back, reconnects on its own when the
// connection drops during a game, and says in words why a connection ended.
#include "session/ClientSession.h"

// own
#include "net/TSock.h"
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/Messages.h"
#include "session/SeatKeys.h"

// Qt
#include <QDeadlineTimer>
#include <QTimer>

// std
#include <algorithm>
#include <utility>

namespace pelvo {

namespace {
qint64 nowMs() {
    return QDeadlineTimer::current().deadline();
}
} // namespace

void ClientSession::buildAddedDispatch() {
    using namespace notice;
    const auto add = [this]<class Notice>(const char* command, auto handler) {
        commands_.add(command, [handler](const QString& payload) {
            const std::optional<Notice> n = decode<Notice>(payload);
            if (!n) throw BadField("malformed notice"); // nothing of it is applied
            handler(*n);
        });
    };
    add.operator()<TableRights>(cmd::tablerights, [this](const auto& n) { tablerights(n); });
    add.operator()<ReclaimToken>(cmd::reclaimtoken, [this](const auto& n) { reclaimtoken(n); });
    // Either way the seat is gone: its stored token would only start a reclaim that fails.
    add.operator()<Removed>(cmd::removed, [this](const auto&) {
        ending_ = Ending::Removed;
        dropToken();
    });
    add.operator()<TableClosing>(cmd::tableclosing, [this](const auto&) {
        ending_ = Ending::Closed;
        dropToken();
    });
    add.operator()<SeatReclaimed>(cmd::seatreclaimed, [this](const auto& n) { seatreclaimed(n); });
    add.operator()<SeatState>(cmd::seatstate, [this](const auto& n) { seatstate(n); });
    add.operator()<ChatHistoryLine>(cmd::chathistory, [this](const auto& n) { chathistory(n); });
    add.operator()<PlayerRemoved>(cmd::playerremoved,
                                  [this](const auto& n) { removed_.set(std::size_t(n.slot)); });
}

// ---------------------------------------------------------------- table rights

void ClientSession::tablerights(const notice::TableRights& n) {
    const bool runs = n.slot == state_.myseat;
    state_.ishost = runs;
    // Between games the one who runs the table sees the Start button, as a hosting player does.
    table_.startShown = runs && !gameRunning();
    changed();
    emit rightsChanged(runs);
}

// ---------------------------------------------------------------- the seat's token

void ClientSession::reclaimtoken(const notice::ReclaimToken& n) {
    token_ = n.token;
    reserveSeconds_ = n.reserveSeconds;
    if (gameRunning()) keepToken();
}

void ClientSession::keepToken() {
    const bool seated = state_.myseat >= 1 && state_.myseat <= TableSeats;
    if (token_.isEmpty() || tokenFolder_.isEmpty() || !seated) return;
    seatkeys::save(tokenFolder_, hostAddress_, sock_->PortName(), token_);
}

void ClientSession::unstoreToken() {
    seatkeys::remove(tokenFolder_, hostAddress_, sock_->PortName());
}

void ClientSession::dropToken() {
    token_.clear();
    unstoreToken();
}

void ClientSession::sendLogin(int slot) {
    const QString version = QString::fromLatin1(wire::version);
    if (token_.isEmpty()) {
        sendToHost(msg::logininfo(slot, version, state_.loginfield));
        return;
    }
    reclaimPending_ = true;
    sendToHost(notice::encode(notice::ReclaimSeat{slot, token_, version, state_.loginfield}));
    // A host that does not know the request never answers it: log in as usual after a while.
    const int attempt = ++logins_;
    QTimer::singleShot(ReclaimPatience, this, [this, slot, attempt, version] {
        if (!reclaimPending_ || attempt != logins_ || closing_) return;
        reclaimPending_ = false;
        dropToken();
        sendToHost(msg::logininfo(slot, version, state_.loginfield));
    });
}

void ClientSession::seatreclaimed(const notice::SeatReclaimed& n) {
    reclaimPending_ = false;
    ++logins_;
    reconnecting_ = false;
    if (retry_) retry_->stop();
    state_.myseat = n.seat;
    state_.connected = true;
    // Who sits where is told again next; what this client knew of it may be old.
    for (int s = 1; s <= TableSeats; ++s) {
        SeatModel& at = seat(s);
        if (at.occupant == Occupant::Player) at.occupant = Occupant::Computer;
        at.watching = false;
    }
    table_.spectators.clear();
    table_.justWatching = false;
    sortstuff(n.seat);
}

void ClientSession::seatstate(const notice::SeatState& n) {
    if (n.seat != state_.myseat) return;
    SeatModel& me = seat(n.seat);
    me.playing = true;
    me.sittingOut = false;
    for (int p = 1; p <= GridSize; ++p) {
        const notice::OwnCard& c = n.cards[std::size_t(p - 1)];
        me.cards[std::size_t(p)] = {c.faceUp ? c.code : 0, c.code};
    }
    table_.flipsLeft = n.flipsLeft;
    table_.askedToFlip.reset();
    table_.handShown = false;
    table_.drawInHand = false;
    table_.discardInHand = false;
    table_.drawPicture = 0;
    table_.drawPick = Pick::Closed;
    table_.discardPick = Pick::Closed;
    table_.turnMarkerSeat = n.turnState == 0 ? 0 : n.current;
    table_.turnSeat = 0;
    ++table_.turnNumber;
    const bool mine = n.current == n.seat;
    switch (n.turnState) {
    case 0: // the opening flips
        if (n.flipsLeft > 0) {
            table_.turnSeat = n.seat;
            table_.status = "Choose 2 cards to flip over.";
        }
        break;
    case 1: // choosing a pile
    case 2: // holding the drawn card
        table_.turnSeat = n.current;
        if (!mine) {
            table_.status = seat(n.current).caption() + "'s turn.";
            break;
        }
        table_.drawPick = Pick::Open;
        table_.discardPick = Pick::Open;
        table_.status = "Your Turn.";
        if (n.turnState == 2) {
            table_.drawPicture = n.drawn;
            table_.drawInHand = true;
            table_.drawPick = Pick::Picked;
            table_.status = "Choose to Keep or Discard.";
        }
        break;
    default: // between two turns: the next one is announced as usual
        break;
    }
    changed();
}

void ClientSession::chathistory(const notice::ChatHistoryLine& n) {
    // A window that reconnected still shows these lines.
    if (reconnected_) return;
    chatrecieved(n.line, n.action ? ChatLine::Kind::Action : ChatLine::Kind::Chat);
}

// ---------------------------------------------------------------- reconnecting

bool ClientSession::reconnectAfterLoss() {
    if (closing_ || ending_ != Ending::Unknown) return false;
    if (reconnecting_) {
        scheduleRetry(); // the table took the connection and dropped it again
        return true;
    }
    const bool seated = state_.myseat >= 1 && state_.myseat <= TableSeats;
    if (!state_.connected || token_.isEmpty() || reserveSeconds_ <= 0 || !seated ||
        !gameRunning() || !seat(state_.myseat).playing)
        return false;
    reconnecting_ = true;
    reconnected_ = true;
    attempt_ = 0;
    deadline_ = nowMs() + qint64(reserveSeconds_) * 1000;
    if (reconnectBase_ <= 0) {
        bool ok = false;
        const int ms = qEnvironmentVariableIntValue("PELVO_RECONNECT_MS", &ok);
        reconnectBase_ = ok && ms > 0 ? ms : 1000;
    }
    if (!retry_) {
        retry_ = new QTimer(this);
        retry_->setSingleShot(true);
        connect(retry_, &QTimer::timeout, this, &ClientSession::retryConnection);
    }
    table_.turnSeat = 0; // no move goes out until the seat is back
    note(QStringLiteral("Connection lost — reconnecting…"));
    changed();
    scheduleRetry();
    return true;
}

void ClientSession::scheduleRetry() {
    const qint64 left = deadline_ - nowMs();
    if (left <= 0) {
        // The seat is no longer kept for us.
        reconnecting_ = false;
        dropToken();
        ending_ = Ending::Unknown;
        sayWhyItEnded();
        stop();
        emit closeRequested();
        return;
    }
    // 1, 2, 4, 8 … times the base, and never past the reservation.
    const qint64 wait = std::min(qint64(reconnectBase_) << std::min(attempt_, 20), left);
    ++attempt_;
    retry_->start(int(wait));
}

void ClientSession::retryConnection() {
    if (!reconnecting_ || closing_) return;
    ignoreClose_ = true;
    sock_->Close();
    ignoreClose_ = false;
    splitter_.clear();
    receivedlist_.clear();
    try {
        sock_->Open();
    } catch (const ESockException&) {
        scheduleRetry();
    }
}

void ClientSession::sayWhyItEnded() {
    if (closing_) return; // the player closed the window
    switch (ending_) {
    case Ending::Removed:
        emit message(QStringLiteral("The table's host removed you."));
        break;
    case Ending::Closed:
        emit message(QStringLiteral("The table has closed."));
        break;
    case Ending::Unknown:
        if (state_.connected) emit message(QStringLiteral("The connection to the table was lost."));
        break;
    }
}

} // namespace pelvo
