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

// A number of the board's notices that has no range of its own.
int anyNumber(FieldReader& in) {
    return in.nextInt(-anyInt, anyInt);
}

// Reads a notice's fields as laid out above; the first bad field fails the whole notice.
template <class Read>
auto reading(const QString& payload, Read read)
    -> decltype(std::optional(read(std::declval<FieldReader&>()))) {
    FieldReader in(payload, FieldReader::Ending::Open);
    try {
        return read(in);
    } catch (const BadField&) {
        return std::nullopt;
    }
}

QList<Placed> readCards(FieldReader& in) {
    QList<Placed> cards;
    while (!in.atEnd()) {
        Placed c;
        c.position = in.nextInt(1, 9);
        c.code = in.nextInt(lowestCode, highestCode);
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
    return reading(payload, [&](FieldReader& in) -> std::optional<Lead> {
        if (!in.plusLeft()) return std::nullopt;
        const int number = in.nextInt(lo, hi);
        return Lead{number, in.remainder()};
    });
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
    return reading(payload, [](FieldReader& in) -> std::optional<PlayASound> {
        if (!in.plusLeft()) return std::nullopt;
        const std::optional<int> slot = toInt(in.nextView());
        return PlayASound{slot, in.next()};
    });
}

template <> std::optional<StartGame> decode<StartGame>(const QString& payload) {
    return reading(payload, [](FieldReader& in) {
        StartGame n;
        n.starter = in.next();
        n.rounds = in.nextInt(0, anyInt);
        n.seat3Plays = in.nextView() != u"f";
        n.seat4Plays = in.nextView() != u"f";
        return n;
    });
}

template <> std::optional<RoundStarting> decode<RoundStarting>(const QString& payload) {
    return reading(payload, [](FieldReader& in) {
        RoundStarting n;
        n.round = in.nextInt(0, anyInt);
        n.discardTop = in.nextInt(lowestCode, highestCode);
        return n;
    });
}

template <> std::optional<MyCards> decode<MyCards>(const QString& payload) {
    return reading(payload, [](FieldReader& in) {
        MyCards n;
        n.seat = in.nextInt(1, seats);
        n.cards = readCards(in);
        return n;
    });
}

template <> std::optional<GameStats> decode<GameStats>(const QString& payload) {
    return reading(payload, [](FieldReader& in) {
        GameStats n;
        n.addressee = anyNumber(in);
        n.rounds = in.nextInt(0, anyInt);
        n.round = in.nextInt(0, anyInt);
        n.turnSeat = in.nextInt(0, seats);
        n.discardTop = in.nextInt(lowestCode, highestCode);
        for (int& total : n.totals) total = anyNumber(in);
        n.seat3Out = in.nextView() == u"1";
        n.seat4Out = in.nextView() == u"1";
        while (!in.atEnd()) {
            msg::FaceUpCard c;
            c.seat = in.nextInt(0, seats);
            c.position = in.nextInt(c.seat == 0 ? 0 : 1, 9);
            c.code = in.nextInt(lowestCode, highestCode);
            if (c.seat != 0) n.faceUp.append(c);
        }
        return n;
    });
}

template <> std::optional<PostScores> decode<PostScores>(const QString& payload) {
    return reading(payload, [](FieldReader& in) {
        PostScores n;
        n.seat = in.nextInt(1, seats);
        n.points = anyNumber(in);
        n.total = anyNumber(in);
        n.cards = readCards(in);
        return n;
    });
}

template <> std::optional<Penalty> decode<Penalty>(const QString& payload) {
    return reading(payload, [](FieldReader& in) {
        Penalty n;
        n.seat = in.nextInt(1, seats);
        n.total = anyNumber(in);
        return n;
    });
}

template <> std::optional<NextPlayer> decode<NextPlayer>(const QString& payload) {
    return reading(payload, [](FieldReader& in) {
        NextPlayer n;
        n.seat = in.nextInt(1, seats);
        n.lastTurn = anyNumber(in);
        return n;
    });
}

template <> std::optional<Winner> decode<Winner>(const QString& payload) {
    return reading(payload, [](FieldReader& in) { return Winner{in.next()}; });
}

template <> std::optional<DrawACard> decode<DrawACard>(const QString& payload) {
    return reading(payload, [](FieldReader& in) {
        DrawACard n;
        n.seat = in.nextInt(1, seats);
        n.code = in.nextInt(lowestCode, highestCode);
        return n;
    });
}

template <> std::optional<HeFlipped> decode<HeFlipped>(const QString& payload) {
    return reading(payload, [](FieldReader& in) {
        HeFlipped n;
        n.seat = in.nextInt(1, seats);
        n.position = in.nextInt(1, 9);
        n.code = in.nextInt(lowestCode, highestCode);
        return n;
    });
}

template <> std::optional<Replaced> decode<Replaced>(const QString& payload) {
    return reading(payload, [](FieldReader& in) {
        Replaced n;
        n.seat = in.nextInt(1, seats);
        n.position = in.nextInt(1, 9);
        n.discardTop = in.nextInt(lowestCode, highestCode);
        n.taken = in.nextInt(lowestCode, highestCode);
        return n;
    });
}

template <> std::optional<DiscardADrawn> decode<DiscardADrawn>(const QString& payload) {
    return reading(payload, [](FieldReader& in) {
        DiscardADrawn n;
        n.seat = in.nextInt(1, seats);
        n.discardTop = in.nextInt(lowestCode, highestCode);
        return n;
    });
}

template <> std::optional<TableRights> decode<TableRights>(const QString& payload) {
    return reading(payload,
                   [](FieldReader& in) { return TableRights{in.nextInt(firstSlot, lastSlot)}; });
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
    return reading(payload, [](FieldReader& in) -> std::optional<ReclaimToken> {
        ReclaimToken n;
        n.token = in.next();
        n.reserveSeconds = in.nextInt(0, anyInt);
        if (!isToken(n.token)) return std::nullopt;
        return n;
    });
}

template <> std::optional<Removed> decode<Removed>(const QString&) {
    return Removed{};
}

template <> std::optional<TableClosing> decode<TableClosing>(const QString&) {
    return TableClosing{};
}

template <> std::optional<PlayerRemoved> decode<PlayerRemoved>(const QString& payload) {
    return reading(payload,
                   [](FieldReader& in) { return PlayerRemoved{in.nextInt(firstSlot, lastSlot)}; });
}

template <> std::optional<SeatReclaimed> decode<SeatReclaimed>(const QString& payload) {
    return reading(payload, [](FieldReader& in) { return SeatReclaimed{in.nextInt(1, seats)}; });
}

template <> std::optional<SeatState> decode<SeatState>(const QString& payload) {
    return reading(payload, [](FieldReader& in) -> std::optional<SeatState> {
        SeatState n;
        n.seat = in.nextInt(1, seats);
        n.current = in.nextInt(0, seats);
        n.turnState = in.nextInt(0, 3);
        n.flipsLeft = in.nextInt(0, 2);
        n.drawn = in.nextInt(lowestCode, highestCode);
        for (OwnCard& c : n.cards) {
            // Every card is required: a short list is no grid.
            if (in.atEnd()) return std::nullopt;
            c.code = in.nextInt(lowestCode, highestCode);
            c.faceUp = in.nextInt(0, 1) == 1;
        }
        return n;
    });
}

template <> std::optional<ChatHistoryLine> decode<ChatHistoryLine>(const QString& payload) {
    FieldReader in(payload);
    const QString kind = in.next(); // empty without its "+"
    if (kind != u"chat" && kind != u"action") return std::nullopt;
    const std::optional<ChatText> line = decode<ChatText>(in.remainder());
    if (!line) return std::nullopt;
    return ChatHistoryLine{kind == u"action", *line};
}

template <> std::optional<ReclaimSeat> decode<ReclaimSeat>(const QString& payload) {
    return reading(payload, [](FieldReader& in) -> std::optional<ReclaimSeat> {
        ReclaimSeat n;
        n.slot = in.nextInt(firstSlot, lastSlot);
        n.token = in.next();
        n.version = in.next();
        n.name = in.remainder(); // to the end, "+" included, as in CMD_logininfo
        if (!isToken(n.token)) return std::nullopt;
        return n;
    });
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
