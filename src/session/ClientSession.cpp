#include "session/ClientSession.h"

// own
#include "net/TSock.h"
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/LogText.h"
#include "protocol/Messages.h"
#include "session/reduce/Reducer.h"

// Qt
#include <QDeadlineTimer>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSession, "pelvo.session")

namespace pelvo {

namespace {
constexpr int FirstSlot = 1;

qint64 nowMs() {
    return QDeadlineTimer::current().deadline();
}
} // namespace

ClientSession::ClientSession(QObject* parent)
    : QObject(parent), chat_(this), connection_(new Connection(this)) {
    for (int s = 1; s <= TableSeats; ++s)
        model_.table.seats[std::size_t(s)].defaultName = model_.state.seatnames[std::size_t(s)];
    connection_->setHandler([this](const QString& line) { handleLine(line); });
    connect(connection_, &Connection::lineReceived, this, &ClientSession::lineReceived);
    connect(connection_, &Connection::frameSent, this, &ClientSession::frameSent);
    connect(connection_, &Connection::failed, this, &ClientSession::connectFailed);
    connect(connection_, &Connection::lost, this, &ClientSession::lost);
    connect(connection_, &Connection::gaveUp, this, [this] {
        model_.ending = SessionModel::Ending::Unknown;
        end();
    });
    buildDispatchTable();
}

ClientSession::~ClientSession() = default;

QStringList ClientSession::chatterCaptions() {
    return reduce::chatterCaptions();
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

void ClientSession::editSettings(const std::function<void(Settings&)>& edit, bool chosen) {
    Settings s = settings_;
    edit(s);
    if (chosen)
        chooseSettings(s);
    else
        setSettings(s);
}

// ---------------------------------------------------------------- connection

void ClientSession::connectToHost(const QString& address, const QString& name) {
    model_.state.loginfield = name;
    connection_->open(address);
}

void ClientSession::hostHere() {
    model_.state.ishost = true;
    connectToHost(QStringLiteral("127.0.0.1"), model_.state.playername);
    setStartShown(true);
}

void ClientSession::setTransport(std::function<bool(const QByteArray&)> send) {
    connection_->setTransport(std::move(send));
}

CommandTable::Outcome ClientSession::handleLine(const QString& line) {
    CommandTable::Outcome outcome{};
    connection_->whileHandling([&] { outcome = commands_.dispatch(line); });
    if (outcome == CommandTable::Outcome::Malformed)
        qCDebug(lcSession).noquote() << "malformed:" << logEscaped(line);
    return outcome;
}

void ClientSession::lost() {
    if (!connection_->closing() && model_.ending == SessionModel::Ending::Unknown) {
        if (connection_->reconnecting()) {
            connection_->retryLater(); // the table took the connection and dropped it again
            return;
        }
        const bool worthKeeping = model_.state.connected && model_.seated() &&
                                  model_.gameRunning() &&
                                  model_.table.seats[std::size_t(model_.state.myseat)].playing;
        if (worthKeeping && connection_->startReconnect()) {
            apply(reduce::connectionLost(model_));
            return;
        }
    }
    end();
}

void ClientSession::end() {
    if (!connection_->closing()) { // else the player closed the window
        switch (model_.ending) {
        case SessionModel::Ending::Removed:
            emit message(QStringLiteral("The table's host removed you."));
            break;
        case SessionModel::Ending::Closed:
            emit message(QStringLiteral("The table has closed."));
            break;
        case SessionModel::Ending::Unknown:
            if (model_.state.connected)
                emit message(QStringLiteral("The connection to the table was lost."));
            break;
        }
    }
    connection_->stop();
    emit closeRequested();
}

// ---------------------------------------------------------------- notices

template <class Notice, class Reduce> void ClientSession::on(const char* command, Reduce reduce) {
    commands_.add(command, [this, reduce](const QString& payload) {
        const std::optional<Notice> n = notice::decode<Notice>(payload);
        if (!n) throw BadField("malformed notice"); // nothing of it is applied
        apply(reduce(model_, *n));
    });
}

void ClientSession::buildDispatchTable() {
    using namespace notice;
    const auto plain = [this](auto& m, const auto& n) { return reduce::apply(m, n, settings_); };
    on<SendLoginInfo>(cmd::sendlogininfo, plain);
    on<ChatText>(cmd::chat,
                 [](auto& m, const auto& n) { return reduce::chat(m, n, ChatLine::Kind::Chat); });
    on<ChatText>(cmd::action,
                 [](auto& m, const auto& n) { return reduce::chat(m, n, ChatLine::Kind::Action); });
    on<PlayASound>(cmd::playasound, plain);
    on<PlayerInfo>(cmd::newplayerinfo, plain);
    on<PlayerInfo>(cmd::existingplayers, plain);
    on<HaveWrongVersion>(cmd::havewrongversion, plain);
    on<WrongVersion>(cmd::wrongversion, plain);
    on<PlayerInfo>(cmd::playerdisconnected, reduce::disconnected);
    on<Full>(cmd::full, plain);
    on<JustWatching>(cmd::justwatching, plain);
    on<StartGame>(cmd::startgame, plain);
    on<NextPlayer>(cmd::nextplayer, plain);
    on<Winner>(cmd::winner, plain);
    on<MyCards>(cmd::mycards, plain);
    on<HeFlipped>(cmd::heflipped, plain);
    on<DrawACard>(cmd::drawacard, plain);
    on<Replaced>(cmd::replaceadraw, reduce::replacedDraw);
    on<DiscardADrawn>(cmd::discardadrawn, plain);
    on<Replaced>(cmd::replaceadiscard, reduce::replacedDiscard);
    on<PostScores>(cmd::postscores, plain);
    on<RoundStarting>(cmd::roundstarting, plain);
    on<Penalty>(cmd::penalty, plain);
    on<GameStats>(cmd::gamestats, plain);
    on<TableRights>(cmd::tablerights, plain);
    on<Removed>(cmd::removed, plain);
    on<TableClosing>(cmd::tableclosing, plain);
    on<SeatReclaimed>(cmd::seatreclaimed, plain);
    on<SeatState>(cmd::seatstate, plain);
    on<ChatHistoryLine>(cmd::chathistory, plain);
    on<PlayerRemoved>(cmd::playerremoved, plain);
    // The token concerns the connection alone.
    commands_.add(cmd::reclaimtoken, [this](const QString& payload) {
        const std::optional<ReclaimToken> n = decode<ReclaimToken>(payload);
        if (!n) throw BadField("malformed notice");
        connection_->setToken(n->token, n->reserveSeconds);
        if (model_.gameRunning() && model_.seated()) connection_->keepToken();
    });
}

// ---------------------------------------------------------------- effects

void ClientSession::apply(const Effects& e) {
    if (e.hangUp) connection_->dropQueue(); // the window closes: nothing queued matters
    if (e.ownLoginSeen) connection_->ownLoginSeen();
    if (e.seatBack) connection_->seatBack();
    switch (e.token) {
    case Effects::Token::Keep:
        if (model_.seated()) connection_->keepToken();
        break;
    case Effects::Token::Unstore:
        connection_->unstoreToken();
        break;
    case Effects::Token::Drop:
        connection_->dropToken();
        break;
    case Effects::Token::None:
        break;
    }
    if (e.login) connection_->sendLogin(e.login, model_.state.loginfield);
    for (const QByteArray& frame : e.frames) sendToHost(frame);
    for (const ChatLine& line : e.lines) addLine(line);
    if (e.joined) emit joined();
    tableEffects(e);
    for (const QString& name : e.sounds) emit sound(name);
    for (const QString& name : e.clips) emit clip(name);
    for (const QString& text : e.messages) emit message(text);
    if (e.recorded) emit gameRecorded(*e.recorded);
    if (e.rights) emit rightsChanged(*e.rights);
    if (e.hangUp) {
        connection_->stop();
        emit closeRequested();
    }
}

void ClientSession::tableEffects(const Effects& e) {
    if (e.table) emit tableChanged();
    for (int s = 1; s < int(e.seats.size()); ++s)
        if (e.seats.test(std::size_t(s))) emit seatChanged(s);
    for (int s = 1; s <= TableSeats; ++s)
        if (e.cards.test(std::size_t(s))) emit cardsChanged(s);
    if (e.roundStarted) emit roundStarted(*e.roundStarted);
    if (e.move) emit moveMade(*e.move);
    if (e.scored) emit roundScored(*e.scored);
    if (e.turn) emit turnChanged();
    if (e.gameOver) emit gameOver(model_.table.winnerText);
    if (!e.announcements.isEmpty()) emit announced(e.announcements);
}

// ---------------------------------------------------------------- local changes

void ClientSession::setPlayer(const QString& name, const QString& hostAddress) {
    model_.state.playername = name;
    model_.state.hostaddress = hostAddress;
}

void ClientSession::setSavedPlace(const WindowPlace& place) {
    model_.state.savedplace = place;
}

void ClientSession::setStartShown(bool shown) {
    model_.table.startShown = shown;
    emit tableChanged();
}

void ClientSession::note(const QString& text) {
    addLine(reduce::note(model_, text));
}

void ClientSession::addLine(ChatLine line) {
    if (!line.time.isValid()) line.time = QDateTime::currentDateTime();
    chat_.append(std::move(line));
}

// ---------------------------------------------------------------- intents

void ClientSession::chooseCell(int position) {
    apply(reduce::chooseCell(model_, position));
}

void ClientSession::drawFromPile() {
    apply(reduce::drawFromPile(model_));
}

void ClientSession::pickDiscard() {
    apply(reduce::pickDiscard(model_));
}

void ClientSession::startGame(const QString& starter, const QString& rounds, int bot3, int bot4) {
    sendToHost(msg::startgame(starter, rounds, bot3, bot4));
}

void ClientSession::sendChat(const QString& text) {
    apply(reduce::sendChat(model_, text, settings_));
}

bool ClientSession::phraseReady() const {
    return nowMs() >= phraseReadyAt_;
}

bool ClientSession::sendPhrase(const QString& phrase) {
    if (!phraseReady()) return false;
    if (!sendToHost(reduce::phrase(model_, phrase, settings_))) return false;
    phraseReadyAt_ = nowMs() + phraseCooldownMs_;
    return true;
}

void ClientSession::playChatterSound(int wave) {
    if (wave == 0 || !model_.state.connected) return;
    sendToHost(msg::playasound(model_.state.myseat, wave));
}

void ClientSession::justWatch() {
    const ClientState& st = model_.state;
    if (!st.connected || st.myseat < FirstSlot || st.myseat > st.maxseats) return;
    sendToHost(msg::justwatch(st.myseat, model_.table.justWatching ? 2 : 1));
}

void ClientSession::setJustWatch(int seatNumber, bool watching) {
    if (model_.state.connected && seatNumber >= FirstSlot && seatNumber <= model_.state.maxseats)
        sendToHost(msg::justwatch(seatNumber, watching ? 1 : 2));
}

void ClientSession::remove(int slot) {
    if (model_.state.ishost && model_.state.connected)
        sendToHost(msg::kickhim(model_.state.myseat, slot));
}

} // namespace pelvo
