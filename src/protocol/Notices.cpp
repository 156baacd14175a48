// The notices the client reads, host to client.
//
//   frame   = name "+" payload 0xFF
//   payload = field *("+" field)
//
// A field is the text before the next "+". With no "+" left the field is the whole remainder, so
// the last field may come without its "+"; a field missing altogether reads as empty text. Free
// text (…) is always last and runs to the end of the payload, "+" included. A number is decimal
// with an optional sign and fits an int. Fields after the ones listed are ignored, except where a
// list (*) runs to the end. Ranges are inclusive; a number outside its range fails the notice.
// Names below are without their "CMD_".
//
//   sendlogininfo      slot                          the whole payload; slot 1..9
//   newplayerinfo      slot "+" name…                slot 1..9; also existingplayers and
//                                                    playerdisconnected; the "+" is required
//   havewrongversion   name…                         the whole payload
//   wrongversion, full (payload ignored)
//   justwatching       seat "+" mode…                seat any number; the "+" is required
//   chat, action       sender "+" text ["|" colour]  text ends at the last "|"; sender 0..9
//                                                    (0: the client's own lines); colour
//                                                    unreadable or absent: 255 (red)
//   playasound         slot "+" clip ["+" …]         slot a number or nothing; the "+" is required
//   startgame          starter "+" rounds "+" flag3 "+" flag4 "+"
//                                                    rounds >= 0; flag "f": that seat is out
//   roundstarting      round "+" top "+"             round >= 0; top 0..53
//   mycards            seat *("+" position "+" code) seat 1..4; position 1..9; code 0..53
//   gamestats          addressee "+" rounds "+" round "+" turn "+" top 4("+" total)
//                      "+" out3 "+" out4 *("+" seat "+" position "+" code)
//                                                    rounds, round >= 0; turn 0..4; top 0..53;
//                                                    out "1": that seat is out; seat 0..4,
//                                                    position 1..9 (0..9 for seat 0), code 0..53;
//                                                    seat-0 triples are padding and are dropped
//   postscores         seat "+" points "+" total *("+" position "+" code)
//                                                    seat 1..4; position 1..9; code 0..53
//   penalty            seat "+" total "+"            seat 1..4
//   nextplayer         seat "+" lastturn "+"         seat 1..4
//   winner             name "+"
//   drawacard          seat "+" code "+"             seat 1..4; code 0..53
//   heflipped          seat "+" position "+" code "+"
//   replaceadraw       seat "+" position "+" top "+" taken "+"
//   replaceadiscard    seat "+" position "+" top "+" taken "+"
//   discardadrawn      seat "+" top "+"
//
// Seats are 1..4, positions 1..9 and codes 0..53 wherever they appear without another range.
// Unranged numbers of the board's notices (totals, points, lastturn, addressee) lie within
// ±2147483647.
//
// Added later; a peer that does not know them ignores them (docs/wire.md says when each is sent):
//   tablerights        slot                          slot 1..9: it runs a dedicated table now
//   reclaimtoken       token "+" seconds             token 32..128 hex digits; seconds >= 0
//   removed, tableclosing  (payload ignored)
//   seatreclaimed      seat                          seat 1..4
//   seatstate          seat "+" current "+" turnstate "+" flipsleft "+" drawn 9("+" code "+" up)
//                                                    current 0..4; turnstate 0..3; flipsleft
//                                                    0..2; drawn and code 0..53; up 0 or 1
//   chathistory        kind "+" line…                kind "chat" or "action"; line as that
//                                                    notice's payload
//   playerremoved      slot                          slot 1..9: removed; its departure follows
// and one request, client to host, in place of CMD_logininfo:
//   reclaimseat        slot "+" token "+" version "+" name…
//                                                    slot 1..9; token as above

#include "protocol/Notices.h"

// own
#include "protocol/ColourText.h"
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/WireText.h"

// Qt
#include <QStringView>

// std
#include <limits>
#include <utility>

namespace pelvo::notice {
namespace {

constexpr int seats = 4;
constexpr int firstSlot = 1, lastSlot = 9;
constexpr int lowestCode = 0, highestCode = 53;
constexpr int anyInt = std::numeric_limits<int>::max();
constexpr quint32 unreadableColour = 255; // red

// Reads fields as laid out above. The first bad number marks the whole payload bad; reading on
// after that is harmless and its results are never used.
class Fields {
public:
    explicit Fields(QStringView payload) : rest_(payload) {}

    QStringView text() {
        const qsizetype plus = rest_.indexOf(u'+');
        if (plus < 0) return std::exchange(rest_, QStringView());
        const QStringView field = rest_.first(plus);
        rest_ = rest_.sliced(plus + 1);
        return field;
    }
    int number(int lo = -anyInt, int hi = anyInt) {
        const std::optional<int> v = toInt(text());
        if (!v || *v < lo || *v > hi) {
            ok_ = false;
            return 0;
        }
        return *v;
    }
    // Everything not read yet (free text at the end).
    QStringView rest() const { return rest_; }
    // Whether a list goes on: something is left and nothing has failed.
    bool more() const { return ok_ && !rest_.isEmpty(); }
    template <class T> std::optional<T> result(T value) const {
        if (!ok_) return std::nullopt;
        return value;
    }

private:
    QStringView rest_;
    bool ok_ = true;
};

QList<Placed> readCards(Fields& in) {
    QList<Placed> cards;
    while (in.more()) {
        Placed c;
        c.position = in.number(1, 9);
        c.code = in.number(lowestCode, highestCode);
        cards.append(c);
    }
    return cards;
}

// A number, "+" and free text; the "+" is required.
struct Lead {
    int number;
    QString rest;
};
std::optional<Lead> numberThenText(const QString& payload, int lo, int hi) {
    const qsizetype plus = payload.indexOf(u'+');
    if (plus < 0) return std::nullopt;
    const std::optional<int> v = toInt(QStringView(payload).first(plus));
    if (!v || *v < lo || *v > hi) return std::nullopt;
    return Lead{*v, payload.sliced(plus + 1)};
}

msg::Grid gridOf(const QList<Placed>& cards) {
    Q_ASSERT(cards.size() == 9);
    msg::Grid codes{};
    for (qsizetype i = 0; i < cards.size() && i < 9; ++i) {
        Q_ASSERT(cards[i].position == i + 1);
        codes[size_t(i)] = cards[i].code;
    }
    return codes;
}

} // namespace

// ---- Decoders ----

template <> std::optional<SendLoginInfo> decode<SendLoginInfo>(const QString& payload) {
    const std::optional<int> slot = toInt(payload);
    if (!slot || *slot < firstSlot || *slot > lastSlot) return std::nullopt;
    return SendLoginInfo{*slot};
}

template <> std::optional<PlayerInfo> decode<PlayerInfo>(const QString& payload) {
    const auto lead = numberThenText(payload, firstSlot, lastSlot);
    if (!lead) return std::nullopt;
    return PlayerInfo{lead->number, lead->rest};
}

template <> std::optional<HaveWrongVersion> decode<HaveWrongVersion>(const QString& payload) {
    return HaveWrongVersion{payload};
}

template <> std::optional<WrongVersion> decode<WrongVersion>(const QString&) {
    return WrongVersion{};
}

template <> std::optional<Full> decode<Full>(const QString&) {
    return Full{};
}

template <> std::optional<JustWatching> decode<JustWatching>(const QString& payload) {
    const auto lead = numberThenText(payload, std::numeric_limits<int>::min(), anyInt);
    if (!lead) return std::nullopt;
    return JustWatching{lead->number, lead->rest};
}

template <> std::optional<ChatText> decode<ChatText>(const QString& payload) {
    // A colour text never holds a "|", so a "|" typed in the chat stays in the text.
    const qsizetype bar = payload.lastIndexOf(u'|');
    const QString line = bar < 0 ? payload : payload.first(bar);
    const quint32 colour = bar < 0
                               ? unreadableColour
                               : textToColour(payload.sliced(bar + 1)).value_or(unreadableColour);
    const auto lead = numberThenText(line, 0, lastSlot);
    if (!lead) return std::nullopt;
    return ChatText{lead->number, lead->rest, colour};
}

template <> std::optional<PlayASound> decode<PlayASound>(const QString& payload) {
    const qsizetype plus = payload.indexOf(u'+');
    if (plus < 0) return std::nullopt;
    const QStringView rest = QStringView(payload).sliced(plus + 1);
    const qsizetype end = rest.indexOf(u'+');
    return PlayASound{toInt(QStringView(payload).first(plus)),
                      (end < 0 ? rest : rest.first(end)).toString()};
}

template <> std::optional<StartGame> decode<StartGame>(const QString& payload) {
    Fields in(payload);
    StartGame n;
    n.starter = in.text().toString();
    n.rounds = in.number(0);
    n.seat3Plays = in.text() != u"f";
    n.seat4Plays = in.text() != u"f";
    return in.result(n);
}

template <> std::optional<RoundStarting> decode<RoundStarting>(const QString& payload) {
    Fields in(payload);
    RoundStarting n;
    n.round = in.number(0);
    n.discardTop = in.number(lowestCode, highestCode);
    return in.result(n);
}

template <> std::optional<MyCards> decode<MyCards>(const QString& payload) {
    Fields in(payload);
    MyCards n;
    n.seat = in.number(1, seats);
    n.cards = readCards(in);
    return in.result(n);
}

template <> std::optional<GameStats> decode<GameStats>(const QString& payload) {
    Fields in(payload);
    GameStats n;
    n.addressee = in.number();
    n.rounds = in.number(0);
    n.round = in.number(0);
    n.turnSeat = in.number(0, seats);
    n.discardTop = in.number(lowestCode, highestCode);
    for (int& total : n.totals) total = in.number();
    n.seat3Out = in.text() == u"1";
    n.seat4Out = in.text() == u"1";
    while (in.more()) {
        msg::FaceUpCard c;
        c.seat = in.number(0, seats);
        c.position = in.number(c.seat == 0 ? 0 : 1, 9);
        c.code = in.number(lowestCode, highestCode);
        if (c.seat != 0) n.faceUp.append(c);
    }
    return in.result(n);
}

template <> std::optional<PostScores> decode<PostScores>(const QString& payload) {
    Fields in(payload);
    PostScores n;
    n.seat = in.number(1, seats);
    n.points = in.number();
    n.total = in.number();
    n.cards = readCards(in);
    return in.result(n);
}

template <> std::optional<Penalty> decode<Penalty>(const QString& payload) {
    Fields in(payload);
    Penalty n;
    n.seat = in.number(1, seats);
    n.total = in.number();
    return in.result(n);
}

template <> std::optional<NextPlayer> decode<NextPlayer>(const QString& payload) {
    Fields in(payload);
    NextPlayer n;
    n.seat = in.number(1, seats);
    n.lastTurn = in.number();
    return in.result(n);
}

template <> std::optional<Winner> decode<Winner>(const QString& payload) {
    Fields in(payload);
    return Winner{in.text().toString()};
}

template <> std::optional<DrawACard> decode<DrawACard>(const QString& payload) {
    Fields in(payload);
    DrawACard n;
    n.seat = in.number(1, seats);
    n.code = in.number(lowestCode, highestCode);
    return in.result(n);
}

template <> std::optional<HeFlipped> decode<HeFlipped>(const QString& payload) {
    Fields in(payload);
    HeFlipped n;
    n.seat = in.number(1, seats);
    n.position = in.number(1, 9);
    n.code = in.number(lowestCode, highestCode);
    return in.result(n);
}

template <> std::optional<Replaced> decode<Replaced>(const QString& payload) {
    Fields in(payload);
    Replaced n;
    n.seat = in.number(1, seats);
    n.position = in.number(1, 9);
    n.discardTop = in.number(lowestCode, highestCode);
    n.taken = in.number(lowestCode, highestCode);
    return in.result(n);
}

template <> std::optional<DiscardADrawn> decode<DiscardADrawn>(const QString& payload) {
    Fields in(payload);
    DiscardADrawn n;
    n.seat = in.number(1, seats);
    n.discardTop = in.number(lowestCode, highestCode);
    return in.result(n);
}

template <> std::optional<TableRights> decode<TableRights>(const QString& payload) {
    Fields in(payload);
    TableRights n;
    n.slot = in.number(firstSlot, lastSlot);
    return in.result(n);
}

bool isToken(QStringView token) {
    if (token.size() < 32 || token.size() > 128) return false;
    for (const QChar c : token) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
            return false;
    }
    return true;
}

template <> std::optional<ReclaimToken> decode<ReclaimToken>(const QString& payload) {
    Fields in(payload);
    ReclaimToken n;
    const QStringView token = in.text();
    n.token = token.toString();
    n.reserveSeconds = in.number(0);
    if (!isToken(token)) return std::nullopt;
    return in.result(n);
}

template <> std::optional<Removed> decode<Removed>(const QString&) {
    return Removed{};
}

template <> std::optional<TableClosing> decode<TableClosing>(const QString&) {
    return TableClosing{};
}

template <> std::optional<PlayerRemoved> decode<PlayerRemoved>(const QString& payload) {
    Fields in(payload);
    PlayerRemoved n;
    n.slot = in.number(firstSlot, lastSlot);
    return in.result(n);
}

template <> std::optional<SeatReclaimed> decode<SeatReclaimed>(const QString& payload) {
    Fields in(payload);
    SeatReclaimed n;
    n.seat = in.number(1, seats);
    return in.result(n);
}

template <> std::optional<SeatState> decode<SeatState>(const QString& payload) {
    Fields in(payload);
    SeatState n;
    n.seat = in.number(1, seats);
    n.current = in.number(0, seats);
    n.turnState = in.number(0, 3);
    n.flipsLeft = in.number(0, 2);
    n.drawn = in.number(lowestCode, highestCode);
    for (OwnCard& c : n.cards) {
        // Every card is required: a short list is no grid.
        if (!in.more()) return std::nullopt;
        c.code = in.number(lowestCode, highestCode);
        c.faceUp = in.number(0, 1) == 1;
    }
    return in.result(n);
}

template <> std::optional<ChatHistoryLine> decode<ChatHistoryLine>(const QString& payload) {
    const qsizetype plus = payload.indexOf(u'+');
    if (plus < 0) return std::nullopt;
    const QStringView kind = QStringView(payload).first(plus);
    if (kind != u"chat" && kind != u"action") return std::nullopt;
    const std::optional<ChatText> line = decode<ChatText>(payload.sliced(plus + 1));
    if (!line) return std::nullopt;
    return ChatHistoryLine{kind == u"action", *line};
}

template <> std::optional<ReclaimSeat> decode<ReclaimSeat>(const QString& payload) {
    Fields in(payload);
    ReclaimSeat n;
    n.slot = in.number(firstSlot, lastSlot);
    const QStringView token = in.text();
    n.token = token.toString();
    n.version = in.text().toString();
    n.name = in.rest().toString(); // to the end, "+" included, as in CMD_logininfo
    if (!isToken(token)) return std::nullopt;
    return in.result(n);
}

// ---- Encoders ----

QByteArray encode(const SendLoginInfo& n) {
    return msg::sendlogininfo(n.slot);
}
QByteArray encodeNew(const PlayerInfo& n) {
    return msg::newplayerinfo(n.slot, n.name);
}
QByteArray encodeExisting(const PlayerInfo& n) {
    return msg::existingplayers(n.slot, n.name);
}
QByteArray encodeGone(const PlayerInfo& n) {
    return msg::playerdisconnected(n.slot, n.name);
}
QByteArray encode(const HaveWrongVersion& n) {
    return msg::havewrongversion(n.name);
}
QByteArray encode(const WrongVersion&) {
    return msg::wrongversion();
}
QByteArray encode(const Full&) {
    return msg::full();
}
QByteArray encode(const JustWatching& n) {
    return msg::justwatching(n.seat, n.mode);
}
QByteArray encodeChat(const ChatText& n) {
    return msg::chat(n.sender, n.text, colourToText(n.colour));
}
QByteArray encodeAction(const ChatText& n) {
    return msg::action(n.sender, n.text, colourToText(n.colour));
}
QByteArray encode(const PlayASound& n) {
    // The host relays the request's "wave" field with its "+".
    return msg::playasoundRelay(n.slot ? QString::number(*n.slot) : QString(),
                                n.clip + QLatin1Char('+'));
}
QByteArray encode(const StartGame& n) {
    return msg::startgameNotice(n.starter, n.rounds, n.seat3Plays, n.seat4Plays);
}
QByteArray encode(const RoundStarting& n) {
    return msg::roundstarting(n.round, n.discardTop);
}
QByteArray encode(const MyCards& n) {
    return msg::mycards(n.seat, gridOf(n.cards));
}
QByteArray encode(const GameStats& n) {
    msg::GameStats s;
    s.slot = n.addressee;
    s.roundsToPlay = n.rounds;
    s.roundNumber = n.round;
    s.currentPlayer = n.turnSeat;
    s.discardTop = n.discardTop;
    s.totals = n.totals;
    s.seat3Out = n.seat3Out;
    s.seat4Out = n.seat4Out;
    s.faceUp = n.faceUp;
    return msg::gamestats(s);
}
QByteArray encode(const PostScores& n) {
    return msg::postscores(n.seat, n.points, n.total, gridOf(n.cards));
}
QByteArray encode(const Penalty& n) {
    return msg::penalty(n.seat, n.total);
}
QByteArray encode(const NextPlayer& n) {
    return msg::nextplayer(n.seat, n.lastTurn);
}
QByteArray encode(const Winner& n) {
    return msg::winner(n.name);
}
QByteArray encode(const DrawACard& n) {
    return msg::drawacard(n.seat, n.code);
}
QByteArray encode(const HeFlipped& n) {
    return msg::heflipped(n.seat, n.position, n.code);
}
QByteArray encodeDraw(const Replaced& n) {
    return msg::replaceadraw(n.seat, n.position, n.discardTop, n.taken);
}
QByteArray encodeDiscard(const Replaced& n) {
    return msg::replaceadiscard(n.seat, n.position, n.discardTop, n.taken);
}
QByteArray encode(const DiscardADrawn& n) {
    return msg::discardadrawn(n.seat, n.discardTop);
}

namespace {
QByteArray frameOf(const char* command, const QString& payload) {
    return QByteArray(command) + '+' + encodeWire(payload) + wire::terminator;
}
} // namespace

QByteArray encode(const TableRights& n) {
    return frameOf(cmd::tablerights, QString::number(n.slot));
}
QByteArray encode(const ReclaimToken& n) {
    return frameOf(cmd::reclaimtoken, n.token + u'+' + QString::number(n.reserveSeconds));
}
QByteArray encode(const Removed&) {
    return frameOf(cmd::removed, QString());
}
QByteArray encode(const TableClosing&) {
    return frameOf(cmd::tableclosing, QString());
}
QByteArray encode(const PlayerRemoved& n) {
    return frameOf(cmd::playerremoved, QString::number(n.slot));
}
QByteArray encode(const SeatReclaimed& n) {
    return frameOf(cmd::seatreclaimed, QString::number(n.seat));
}
QByteArray encode(const SeatState& n) {
    QString p = QStringLiteral("%1+%2+%3+%4+%5")
                    .arg(n.seat)
                    .arg(n.current)
                    .arg(n.turnState)
                    .arg(n.flipsLeft)
                    .arg(n.drawn);
    for (const OwnCard& c : n.cards) p += QStringLiteral("+%1+%2").arg(c.code).arg(int(c.faceUp));
    return frameOf(cmd::seatstate, p);
}
QByteArray encode(const ChatHistoryLine& n) {
    return historyOf(n.action ? encodeAction(n.line) : encodeChat(n.line));
}
QByteArray historyOf(const QByteArray& relayed) {
    static const QByteArray chat = QByteArray(cmd::chat) + '+';
    static const QByteArray action = QByteArray(cmd::action) + '+';
    // Every frame the host sends passes here: most are moves, told apart by one byte.
    const char first = relayed.size() > 4 ? relayed[4] : '\0';
    if (first != 'c' && first != 'a') return QByteArray();
    if (!relayed.startsWith(chat) && !relayed.startsWith(action)) return QByteArray();
    // "CMD_chat+…" becomes "CMD_chathistory+chat+…": the relayed bytes stay as they were.
    return QByteArray(cmd::chathistory) + '+' + relayed.mid(4);
}
QByteArray encode(const ReclaimSeat& n) {
    return frameOf(cmd::reclaimseat,
                   QString::number(n.slot) + u'+' + n.token + u'+' + n.version + u'+' + n.name);
}

} // namespace pelvo::notice
