#include "session/ClientSession.h"

// own
#include "net/TSock.h"
#include "protocol/ColourText.h"
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/LogText.h"
#include "protocol/Messages.h"
#include "protocol/Ports.h"
#include "protocol/WireText.h"
#include "session/RoundResults.h"
#include "session/SeatKeys.h"

// Qt
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTimer>

// std
#include <utility>

Q_LOGGING_CATEGORY(lcSession, "pelvo.session")

namespace pelvo {

namespace {
constexpr int FirstSlot = 1;
constexpr int LastSlot = 9;
constexpr quint32 red = 255;

QString chatterName(int index) {
    return index == 0 ? QStringLiteral("Cancel1") : QStringLiteral("wave%1").arg(index);
}

// Other names a table host may give a seat's computer player than the one this client shows.
struct ComputerAlias {
    int seat;
    const char* name;
};
constexpr ComputerAlias computerAliases[] = {{3, "Klock"}};
} // namespace

ClientSession::ClientSession(QObject* parent) : QObject(parent), chat_(this) {
    for (int s = 1; s <= TableSeats; ++s) seat(s).defaultName = state_.seatnames[std::size_t(s)];

    sock_ = new TSock(this);
    sock_->setObjectName("sock");
    sock_->setPortName(gamePortName());
    sock_->OnRead = [this](TSock*, int) { sockRead(); };
    sock_->OnInfo = [this](TSock*, int code, const QString& text) { sockInfo(code, text); };

    // Dispatch runs only while lines wait, so an idle client costs nothing.
    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(1);
    connect(timer1_, &QTimer::timeout, this, &ClientSession::Timer1Timer);

    // A table greets a new connection at once; one that stays silent is no table to wait for.
    if (const auto ms = qEnvironmentVariableIntValue("PELVO_CONNECT_TIMEOUT_MS"); ms > 0)
        connectTimeoutMs_ = ms;
    connectTimer_ = new QTimer(this);
    connectTimer_->setSingleShot(true);
    connect(connectTimer_, &QTimer::timeout, this, [this] {
        if (loginPending_) failConnect(ConnectFailure::TimedOut, 0, QString());
    });

    buildDispatchTable();
}

ClientSession::~ClientSession() {
    // The socket closes while the session is being taken apart; its notices must not reach it.
    sock_->OnInfo = nullptr;
    sock_->OnRead = nullptr;
}

QStringList ClientSession::chatterCaptions() {
    return {
        "<Cancel>",       "Doh",          "Cough", "Hello",   "Thank You", "Where have you been?",
        "Snoring",        "Sneezing",     "Sorry", "Welcome", "Yeehaa",    "Yippee",
        "Oh No",          "Applause",     "Honk",  "Oooh",    "Razzberry", "Cheer",
        "Woman Laughing", "Man Laughing", "Crying"};
}

void ClientSession::setSettings(const Settings& settings) {
    if (settings == settings_) return;
    settings_ = settings;
    emit settingsChanged();
}

void ClientSession::chooseSettings(const Settings& settings) {
    setSettings(settings);
    emit settingsChosen();
}

// ---------------------------------------------------------------- connection

void ClientSession::connectToHost(const QString& address, const QString& name) {
    state_.loginfield = name;
    hostAddress_ = address;
    // A program that was closed or crashed during a game asks for its seat back.
    if (token_.isEmpty() && !tokenFolder_.isEmpty())
        token_ = seatkeys::load(tokenFolder_, address, sock_->PortName());
    sock_->setHostName(address);
    sock_->Open();
    loginPending_ = true;
    connectTimer_->start(connectTimeoutMs_);
}

void ClientSession::failConnect(ConnectFailure kind, int wsaNumber, const QString& detail) {
    loginPending_ = false;
    connectFailed_ = true;
    connectTimer_->stop();
    stop();
    ConnectFailureReport report;
    report.kind = kind;
    report.address = sock_->HostName();
    report.port = sock_->PortName();
    report.timeoutMs = connectTimeoutMs_;
    report.detail = detail;
    qCDebug(lcSession) << "connection failed:" << int(kind) << wsaNumber << detail;
    emit connectFailed(connectFailureText(report));
}

bool ClientSession::sendToHost(const QByteArray& frame) {
    bool sent = false;
    if (transport_) {
        sent = transport_(frame);
    } else {
        try {
            sent = sock_->Send(frame);
        } catch (const ESockException& e) {
            qCDebug(lcSession) << "send refused:" << e.what();
        }
    }
    if (sent) emit frameSent(frame);
    return sent;
}

void ClientSession::setTransport(std::function<bool(const QByteArray&)> send) {
    transport_ = std::move(send);
}

void ClientSession::sockRead() {
    QList<QByteArray> frames;
    const int skipped = splitter_.skipped();
    splitter_.feed(sock_->Receive(), frames);
    if (splitter_.skipped() != skipped) qCWarning(lcSession) << "skipped an oversized frame";
    if (!frames.isEmpty() && loginPending_) {
        loginPending_ = false; // the host has spoken: from here on its notices decide
        connectTimer_->stop();
    }
    for (const QByteArray& frame : frames) {
        const QString line = decodeWire(frame);
        receivedlist_.append(line);
        emit lineReceived(line);
    }
    if (!receivedlist_.isEmpty() && !timer1_->isActive()) timer1_->start();
}

void ClientSession::sockInfo(int code, const QString& text) {
    if (connectFailed_) return;
    if (code == InfoError && reconnecting_ && !sock_->Connected()) {
        scheduleRetry(); // this try found nobody; wait and try again
        return;
    }
    if (loginPending_ && code == InfoError) {
        // "Error #10061 (WSAECONNREFUSED)": the attempt failed; the socket reports nothing more.
        static const QRegularExpression number(QStringLiteral("^Error #(\\d+)"));
        const int wsa = number.match(text).captured(1).toInt();
        failConnect(classifyConnectError(wsa), wsa, text);
        return;
    }
    if (text != QLatin1String("Socket Closed") || ignoreClose_) return;
    if (loginPending_ && receivedlist_.isEmpty()) {
        failConnect(ConnectFailure::Refused, 0, text);
        return;
    }
    // A handler waiting on the player (a message box) finishes first; then the window closes.
    if (dispatching_ > 0) {
        hangUpPending_ = true;
        return;
    }
    // What arrived before the close is still handled: a full table sends "CMD_full" and
    // closes at once, and the player must see why the game ends.
    while (!receivedlist_.isEmpty() && !closing_) processsocktimer();
    if (reconnectAfterLoss()) return;
    sayWhyItEnded();
    stop();
    emit closeRequested();
}

void ClientSession::stop() {
    closing_ = true;
    timer1_->stop();
}

void ClientSession::Timer1Timer() {
    processsocktimer();
    if (receivedlist_.isEmpty()) timer1_->stop();
}

void ClientSession::processsocktimer() {
    if (receivedlist_.isEmpty()) return;
    handleLine(receivedlist_.takeFirst());
}

CommandTable::Outcome ClientSession::handleLine(const QString& line) {
    ++dispatching_;
    const CommandTable::Outcome outcome = commands_.dispatch(line);
    --dispatching_;
    if (outcome == CommandTable::Outcome::Malformed)
        qCDebug(lcSession).noquote() << "malformed:" << logEscaped(line);
    if (dispatching_ == 0 && std::exchange(hangUpPending_, false))
        sockInfo(InfoClosed, "Socket Closed");
    return outcome;
}

template <class Notice, class Handler>
void ClientSession::on(const char* command, Handler handler) {
    commands_.add(command, [this, handler](const QString& payload) {
        const std::optional<Notice> n = notice::decode<Notice>(payload);
        if (!n) throw BadField("malformed notice"); // nothing of it is applied
        handler(*n);
    });
}

void ClientSession::buildDispatchTable() {
    using namespace notice;
    on<SendLoginInfo>(cmd::sendlogininfo, [this](const auto& n) { sendloginfo(n); });
    on<ChatText>(cmd::chat, [this](const auto& n) { chatrecieved(n, ChatLine::Kind::Chat); });
    on<ChatText>(cmd::action, [this](const auto& n) { chatrecieved(n, ChatLine::Kind::Action); });
    on<PlayASound>(cmd::playasound, [this](const auto& n) { playasound(n); });
    on<PlayerInfo>(cmd::newplayerinfo, [this](const auto& n) { newplayerinfo(n); });
    on<PlayerInfo>(cmd::existingplayers, [this](const auto& n) { newplayerinfo(n); });
    on<HaveWrongVersion>(cmd::havewrongversion, [this](const auto& n) {
        note(n.name + " has a different version of the game then you.");
    });
    on<WrongVersion>(cmd::wrongversion, [this](const auto&) {
        note("You have a differnt version of the game then the host.");
    });
    on<PlayerInfo>(cmd::playerdisconnected, [this](const auto& n) { playerdisconnected(n); });
    on<Full>(cmd::full, [this](const auto&) {
        // The window closes anyway: nothing queued after this matters.
        timer1_->stop();
        receivedlist_.clear();
        emit message("Game is full");
        stop();
        emit closeRequested();
    });
    on<JustWatching>(cmd::justwatching, [this](const auto& n) { justwatching(n); });
    on<StartGame>(cmd::startgame, [this](const auto& n) { startthegame(n); });
    on<NextPlayer>(cmd::nextplayer, [this](const auto& n) { getnextplayer(n); });
    on<Winner>(cmd::winner, [this](const auto& n) { winner(n); });
    on<MyCards>(cmd::mycards, [this](const auto& n) { mycards(n); });
    on<HeFlipped>(cmd::heflipped, [this](const auto& n) { heflipped(n); });
    on<DrawACard>(cmd::drawacard, [this](const auto& n) { drawacard(n); });
    on<Replaced>(cmd::replaceadraw, [this](const auto& n) { replaceadraw(n); });
    on<DiscardADrawn>(cmd::discardadrawn, [this](const auto& n) { discardadrawn(n); });
    on<Replaced>(cmd::replaceadiscard, [this](const auto& n) { replaceadiscard(n); });
    on<PostScores>(cmd::postscores, [this](const auto& n) { postscores(n); });
    on<RoundStarting>(cmd::roundstarting, [this](const auto& n) { roundstarting(n); });
    on<Penalty>(cmd::penalty, [this](const auto& n) { penalty(n); });
    on<GameStats>(cmd::gamestats, [this](const auto& n) { gamestats(n); });
    buildAddedDispatch();
}

// ---------------------------------------------------------------- chat

void ClientSession::note(const QString& text) {
    chat_.append({0, ChatLine::Kind::System, text, state_.syscolour, QDateTime::currentDateTime()});
}

void ClientSession::addlinetochat(const QString& line, quint32 colour, ChatLine::Kind kind) {
    const qsizetype plus = line.indexOf(u'+');
    const int sender = toIntOrThrow(plus < 0 ? QStringView() : QStringView(line).left(plus));
    if (sender < 0 || sender > LastSlot) throw BadField("sender out of range");
    chat_.append({sender, kind, line.mid(plus + 1), colour, QDateTime::currentDateTime()});
}

void ClientSession::chatrecieved(const notice::ChatText& n, ChatLine::Kind kind) {
    chat_.append(
        {n.sender, kind, withShownName(n.sender, n.text), n.colour, QDateTime::currentDateTime()});
}

QString ClientSession::withShownName(int sender, const QString& text) const {
    // A relayed line starts with its sender's name ("Hal chats: …", "Hal waves").
    QString name;
    if (sender >= 1 && sender <= TableSeats) {
        const SeatModel& s = table_.seats[std::size_t(sender)];
        if (s.occupant == Occupant::Player) name = s.playerName;
    }
    for (const Spectator& spy : table_.spectators)
        if (spy.slot == sender) name = spy.name;
    if (name.isEmpty() || !text.startsWith(name + u' ')) return text;
    return table_.shownName(sender, name) + text.mid(name.size());
}

void ClientSession::playasound(const notice::PlayASound& n) {
    if (settings_.playerPhraseSounds) {
        emit clip(n.clip);
        return;
    }
    // Only seats have name labels; anything else shows nothing.
    if (!n.slot || *n.slot < 1 || *n.slot > TableSeats) return;
    const QStringList captions = chatterCaptions();
    for (int i = 0; i < captions.size(); ++i) {
        if (chatterName(i).compare(n.clip, Qt::CaseInsensitive) != 0) continue;
        chat_.append({0, ChatLine::Kind::Phrase,
                      table_.seatLabel(*n.slot) + ": <Chatter Sound> " + captions[i],
                      state_.syscolour, QDateTime::currentDateTime()});
        return;
    }
}

// ---------------------------------------------------------------- seats and spectators

void ClientSession::sortstuff(int myseat) {
    (void)myseat; // the board turns the seats; the default names never move
    for (int s = 1; s <= TableSeats; ++s) seat(s).defaultName = state_.seatnames[std::size_t(s)];
    changed();
}

void ClientSession::setStartShown(bool shown) {
    table_.startShown = shown;
    changed();
}

void ClientSession::sendloginfo(const notice::SendLoginInfo& n) {
    if (n.slot < FirstSlot || n.slot > LastSlot) throw BadField("seat out of range");
    state_.myseat = n.slot;
    state_.connected = true;
    sendLogin(n.slot);
    sortstuff(n.slot);
}

void ClientSession::newplayerinfo(const notice::PlayerInfo& n) {
    removed_.reset(std::size_t(n.slot)); // a newcomer in that slot is nobody removed
    if (n.slot == state_.myseat) {
        // A reclaim the host did not answer with the seat: this is an ordinary login now.
        if (std::exchange(reclaimPending_, false)) dropToken();
        reconnecting_ = false;
    }
    if (n.slot <= state_.maxseats) {
        SeatModel& s = seat(n.slot);
        s.occupant = Occupant::Player;
        s.playerName = n.name;
    } else {
        table_.spectators.append({n.slot, n.name});
    }
    const QString name = table_.shownName(n.slot, n.name);
    if (n.slot == state_.myseat) {
        note("You are Connected.");
        emit joined();
    } else {
        note(name + " is Connected.");
    }
    if (n.slot > state_.maxseats)
        note(n.slot == state_.myseat ? QString("You are spying.") : name + " is spying.");
    changed();
    emit sound("entered");
}

void ClientSession::playerdisconnected(const notice::PlayerInfo& n) {
    // A removal was told by the host's own line already.
    const bool removed = removed_.test(std::size_t(n.slot));
    removed_.reset(std::size_t(n.slot));
    if (n.slot <= state_.maxseats) {
        SeatModel& s = seat(n.slot);
        if (s.occupant != Occupant::Waiting && s.caption() != s.defaultName && !removed)
            note(table_.seatLabel(n.slot) + " disconnected.");
        s.occupant = Occupant::Computer;
        s.watching = false;
        changed();
        return;
    }
    const qsizetype at = table_.spectators.indexOf(Spectator{n.slot, n.name});
    if (at < 0) return;
    if (!removed) note(table_.shownName(n.slot, n.name) + " has left.");
    table_.spectators.removeAt(at);
    changed();
}

void ClientSession::justwatching(const notice::JustWatching& n) {
    if (n.seat < FirstSlot || n.seat > state_.maxseats) return;
    const bool watching = n.mode == QLatin1String("1");
    if (n.seat == state_.myseat) table_.justWatching = watching;
    note(table_.seatLabel(n.seat) + (watching ? " is just watching" : " is now playing again"));
    seat(n.seat).watching = watching;
    changed();
}

// ---------------------------------------------------------------- the game

bool ClientSession::myTurn() const {
    return state_.myseat >= 1 && state_.myseat <= TableSeats && table_.turnSeat == state_.myseat;
}

void ClientSession::startthegame(const notice::StartGame& n) {
    table_.roundShown = false;
    table_.startShown = false;
    table_.justWatching = false;
    table_.winnerText.clear();
    table_.clearall();
    table_.rounds = n.rounds;
    note(n.starter + " has started a game.");
    keepToken();

    for (int s = 1; s <= TableSeats; ++s) {
        seat(s).sittingOut = false;
        seat(s).playing = true;
    }
    if (!n.seat3Plays) seat(3).playing = false, seat(3).sittingOut = true;
    if (!n.seat4Plays) seat(4).playing = false, seat(4).sittingOut = true;
    // A computer player takes an empty seat that plays.
    for (int s = 2; s <= TableSeats; ++s)
        if (seat(s).occupant == Occupant::Waiting && seat(s).playing)
            seat(s).occupant = Occupant::Computer;
    table_.sheet.startGame(n.rounds, results::playingSeats(table_)); // round results
    changed();
}

namespace {
void showBacks(SeatModel& seat) {
    for (int g = 1; g <= GridSize; ++g) seat.cards[std::size_t(g)].picture = 0;
}
} // namespace

void ClientSession::roundstarting(const notice::RoundStarting& n) {
    for (int s = 1; s <= TableSeats; ++s)
        if (s != state_.myseat && seat(s).playing) showBacks(seat(s));
    for (int s = 1; s <= TableSeats; ++s) {
        seat(s).hasBonus = false;
        seat(s).penalty = false;
    }
    if (table_.sheet.startRound()) note(results::chatLine(table_)); // round results
    table_.turnMarkerSeat = 0;
    table_.wentOut = 0;
    table_.handShown = false;
    table_.drawPick = Pick::Open;
    table_.discardPick = Pick::Open;
    table_.discardInHand = false;
    table_.drawInHand = false;
    table_.status = "New Round!";
    table_.discardPicture = n.discardTop;
    table_.round = n.round;
    table_.roundShown = true;
    if (n.round > 9) table_.status = "Tie Breaker Round.";
    changed();
}

void ClientSession::mycards(const notice::MyCards& n) {
    for (const notice::Placed& c : n.cards)
        seat(n.seat).cards[std::size_t(c.position)] = {0, c.code};
    table_.flipsLeft = 2;
    table_.turnSeat = state_.myseat;
    ++table_.turnNumber;
    table_.askedToFlip.reset();
    if (state_.myseat <= state_.maxseats) table_.status = "Choose 2 cards to flip over.";
    changed();
    emit sound("flip");
}

void ClientSession::gamestats(const notice::GameStats& n) {
    if (n.addressee != state_.myseat) return;
    table_.rounds = n.rounds;
    table_.round = n.round;
    table_.roundShown = true;
    table_.turnSeat = n.turnSeat;
    for (int s = 1; s <= TableSeats; ++s) {
        seat(s).playing = true;
        seat(s).score = n.totals[std::size_t(s - 1)];
        seat(s).sittingOut = false;
    }
    if (n.seat3Out) seat(3).playing = false, seat(3).sittingOut = true;
    if (n.seat4Out) seat(4).playing = false, seat(4).sittingOut = true;
    for (int s = 1; s <= TableSeats; ++s)
        if (seat(s).playing) showBacks(seat(s));
    for (const msg::FaceUpCard& c : n.faceUp)
        seat(c.seat).cards[std::size_t(c.position)].picture = c.code;
    table_.discardPicture = n.discardTop;
    table_.discardInHand = false;
    for (int s = 1; s <= TableSeats; ++s)
        if (seat(s).playing && seat(s).occupant == Occupant::Waiting)
            seat(s).occupant = Occupant::Computer;
    table_.sheet.join(n.rounds, n.round, n.totals, results::playingSeats(table_)); // round results
    keepToken(); // a seat taken during a game is kept like any other
    changed();
}

void ClientSession::postscores(const notice::PostScores& n) {
    table_.turnMarkerSeat = 0;
    SeatModel& s = seat(n.seat);
    s.hasBonus = true;
    s.bonus = n.points;
    s.score = n.total;
    for (const notice::Placed& c : n.cards) s.cards[std::size_t(c.position)].picture = c.code;
    table_.status = "Round is Over";
    if (table_.sheet.post(table_.round, n.seat, n.points, n.total, table_.wentOut)) // round results
        note(results::chatLine(table_));
    changed();
    emit sound("roundover");
}

void ClientSession::penalty(const notice::Penalty& n) {
    seat(n.seat).score = n.total;
    seat(n.seat).penalty = true;
    if (table_.sheet.penalize(n.seat, n.total)) note(results::chatLine(table_)); // round results
    changed();
}

void ClientSession::getnextplayer(const notice::NextPlayer& n) {
    table_.handShown = false;
    table_.discardPick = Pick::Closed;
    table_.drawPick = Pick::Closed;
    table_.discardInHand = false;
    table_.drawInHand = false;
    table_.turnSeat = n.seat;
    ++table_.turnNumber;
    table_.turnMarkerSeat = n.seat;
    table_.wentOut = n.lastTurn;
    // Once a seat has gone out everybody is told that this turn is the last.
    const QString lastTurn = n.lastTurn != 0 ? QStringLiteral(" Last turn.") : QString();
    if (n.seat != state_.myseat) {
        table_.status = table_.seatLabel(n.seat) + "'s turn." + lastTurn;
        changed();
        return;
    }
    table_.status = "Your Turn." + lastTurn;
    table_.discardPick = Pick::Open;
    table_.drawPick = Pick::Open;
    changed();
    if (n.lastTurn != 0)
        emit sound("lastturn");
    else
        emit sound(settings_.turnSound == 1 ? "turnnew" : "turn");
}

QString ClientSession::shownName(const QString& name) const {
    for (int s = 1; s <= TableSeats; ++s)
        if (table_.seats[std::size_t(s)].caption() == name) return name;
    for (const ComputerAlias& alias : computerAliases) {
        const SeatModel& at = table_.seats[std::size_t(alias.seat)];
        if (name == QLatin1String(alias.name) && at.occupant != Occupant::Player)
            return at.defaultName;
    }
    return name;
}

void ClientSession::winner(const notice::Winner& n) {
    if (table_.sheet.finish()) note(results::chatLine(table_)); // round results
    table_.turnMarkerSeat = 0;
    emit sound("winner");
    // Named as the seat label names it, so the banner, the chat and the tally agree.
    const QString name = shownName(n.name);
    const bool seated = state_.myseat >= 1 && state_.myseat <= state_.maxseats;
    const bool mine = seated && seat(state_.myseat).caption() == name;
    const QString text = mine ? QString("You have Won the Game!") : name + " has Won the Game!";
    table_.winnerText = text;
    table_.status = "Game Over!";
    unstoreToken(); // no seat is kept after the game
    note(text);
    if (state_.ishost) table_.startShown = true;
    changed();
    if (seated) emit gameRecorded(mine ? QString("addtomine") : name);
}

void ClientSession::drawacard(const notice::DrawACard& n) {
    if (n.seat != state_.myseat) return;
    table_.drawPicture = n.code;
    table_.drawInHand = true;
    table_.status = "Choose to Keep or Discard.";
    table_.drawPick = Pick::Picked;
    changed();
    emit sound("draw");
}

void ClientSession::heflipped(const notice::HeFlipped& n) {
    seat(n.seat).cards[std::size_t(n.position)].picture = n.code;
    changed();
}

void ClientSession::moveEnded(int mover, int handSeat, int handPosition, const QString& mine,
                              const QString& theirs) {
    table_.handShown = true;
    table_.handSeat = handSeat;
    table_.handPosition = handPosition;
    table_.status = mover == state_.myseat ? mine : seat(mover).caption() + theirs;
    table_.turnSeat = 0;
    ++table_.moves;
    changed();
    emit sound("discard");
}

void ClientSession::replaceadraw(const notice::Replaced& n) {
    table_.discardPicture = n.discardTop;
    table_.discardInHand = false;
    seat(n.seat).cards[std::size_t(n.position)].picture = n.taken;
    table_.drawPicture = 0;
    table_.drawInHand = false;
    table_.lastMove = MoveKind::UsedDrawn;
    moveEnded(n.seat, n.seat, n.position, "You used the drawn card.", " used the drawn card.");
}

void ClientSession::replaceadiscard(const notice::Replaced& n) {
    seat(n.seat).cards[std::size_t(n.position)].picture = n.taken;
    table_.discardPicture = n.discardTop;
    table_.discardInHand = false;
    table_.lastMove = MoveKind::TookDiscard;
    moveEnded(n.seat, n.seat, n.position, "You play the top discard.", " played the top discard.");
}

void ClientSession::discardadrawn(const notice::DiscardADrawn& n) {
    table_.discardPicture = n.discardTop;
    table_.discardInHand = false;
    table_.drawPicture = 0;
    table_.drawInHand = false;
    table_.lastMove = MoveKind::ThrewDrawn;
    moveEnded(n.seat, 0, 0, "You discarded the drawn card.", " discarded the drawn card.");
}

// ---------------------------------------------------------------- intents

void ClientSession::chooseCell(int position) {
    if (position < 1 || position > GridSize || !myTurn()) return;
    if (!seat(state_.myseat).playing || !state_.connected) return;
    const CardView& card = seat(state_.myseat).cards[std::size_t(position)];
    if (table_.flipsLeft > 0) {
        // A card already asked for keeps the second flip free for another card.
        if (card.code == 0 || table_.askedToFlip.test(std::size_t(position))) return;
        table_.flipsLeft -= 1;
        table_.askedToFlip.set(std::size_t(position));
        sendToHost(msg::flipcard(state_.myseat, position));
        emit sound("flipcard");
        return;
    }
    if (table_.drawPick == Pick::Picked) {
        sendToHost(msg::replacedraw(state_.myseat, position));
        emit sound("draw");
    } else if (table_.discardPick == Pick::Picked) {
        sendToHost(msg::replacediscard(state_.myseat, position));
        emit sound("draw");
    }
}

void ClientSession::drawFromPile() {
    if (myTurn() && table_.drawPick != Pick::Picked && table_.discardPick != Pick::Picked &&
        state_.connected)
        sendToHost(msg::drawcard(state_.myseat));
}

void ClientSession::pickDiscard() {
    if (!myTurn()) return;
    if (table_.drawPick == Pick::Picked) {
        if (state_.connected) sendToHost(msg::discarddrawn(state_.myseat));
    } else if (table_.discardPick == Pick::Picked) {
        emit message("You Cannot discard the discard you picked up.");
        emit sound("invalid");
    } else {
        table_.discardPick = Pick::Picked;
        table_.discardInHand = true;
        table_.status = "Choose a Card from your Hand to discard.";
        changed();
    }
}

void ClientSession::startGame(const QString& starter, const QString& rounds, int bot3, int bot4) {
    sendToHost(msg::startgame(starter, rounds, bot3, bot4));
}

void ClientSession::sendChat(const QString& text) {
    if (!state_.connected || text.isEmpty()) return;
    const QString colourText = colourToText(settings_.chatColour);
    if (!text.startsWith(u'/'))
        sendToHost(msg::chat(state_.myseat, text, colourText));
    else if (text.startsWith(QStringLiteral("/me")))
        sendToHost(msg::action(state_.myseat, text.mid(4), colourText));
    // Any other "/" command is dropped.
}

bool ClientSession::sendPhrase(const QString& phrase) {
    // Exactly "/me " makes an action; "/meow" is an ordinary phrase.
    const QString body = phrase.startsWith(QStringLiteral("/me "))
                             ? phrase.mid(4)
                             : QStringLiteral("says: ") + phrase;
    return sendToHost(msg::action(state_.myseat, body, colourToText(settings_.chatColour)));
}

void ClientSession::playChatterSound(int wave) {
    if (wave == 0 || !state_.connected) return;
    sendToHost(msg::playasound(state_.myseat, wave));
}

void ClientSession::justWatch() {
    if (!state_.connected || state_.myseat < FirstSlot || state_.myseat > state_.maxseats) return;
    sendToHost(msg::justwatch(state_.myseat, table_.justWatching ? 2 : 1));
}

void ClientSession::setJustWatch(int seatNumber, bool watching) {
    if (state_.connected && seatNumber >= FirstSlot && seatNumber <= state_.maxseats)
        sendToHost(msg::justwatch(seatNumber, watching ? 1 : 2));
}

void ClientSession::remove(int slot) {
    if (state_.ishost && state_.connected) sendToHost(msg::kickhim(state_.myseat, slot));
}

} // namespace pelvo
