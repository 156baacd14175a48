#pragma once
// Typed notices, host to client: one plain struct per notice the client handles, decoded once
// from the payload (the text after the command name and its "+") and encoded by the builders of
// Messages.h. A decoder either reads the whole notice or fails as a whole (std::nullopt), so a
// malformed notice changes nothing on the client.

// own
#include "protocol/Messages.h"

// Qt
#include <QList>
#include <QString>

// std
#include <array>
#include <optional>

namespace pelvo::notice {

// A card at a grid position: position 1..9, code 0..53.
struct Placed {
    int position = 0;
    int code = 0;
    friend bool operator==(const Placed&, const Placed&) = default;
};

struct SendLoginInfo { // CMD_sendlogininfo: slot (1..9) given to this connection
    int slot = 0;
    friend bool operator==(const SendLoginInfo&, const SendLoginInfo&) = default;
};
// CMD_newplayerinfo, CMD_existingplayers and CMD_playerdisconnected: slot (1..9), name.
struct PlayerInfo {
    int slot = 0;
    QString name;
    friend bool operator==(const PlayerInfo&, const PlayerInfo&) = default;
};
struct HaveWrongVersion { // CMD_havewrongversion: the name of the player with the other version
    QString name;
    friend bool operator==(const HaveWrongVersion&, const HaveWrongVersion&) = default;
};
struct WrongVersion { // CMD_wrongversion
    friend bool operator==(const WrongVersion&, const WrongVersion&) = default;
};
struct Full { // CMD_full
    friend bool operator==(const Full&, const Full&) = default;
};
// CMD_justwatching: seat (any number; the client checks it against its seats), mode text
// ("1" watching, anything else playing again).
struct JustWatching {
    int seat = 0;
    QString mode;
    friend bool operator==(const JustWatching&, const JustWatching&) = default;
};
// CMD_chat and CMD_action: sender (0..9) "+" text, then "|" and a colour text. Without "|" (or
// with a colour that cannot be read) the colour is 255 (red).
struct ChatText {
    int sender = 0;
    QString text;
    quint32 colour = 255;
    friend bool operator==(const ChatText&, const ChatText&) = default;
};
// CMD_playasound: slot text "+" clip name ["+"]. The slot is a number only when it reads as one.
struct PlayASound {
    std::optional<int> slot;
    QString clip;
    friend bool operator==(const PlayASound&, const PlayASound&) = default;
};
struct StartGame { // CMD_startgame: starter, rounds (>= 0), seat 3 and seat 4 flags ("f" = out)
    QString starter;
    int rounds = 0;
    bool seat3Plays = true;
    bool seat4Plays = true;
    friend bool operator==(const StartGame&, const StartGame&) = default;
};
struct RoundStarting { // round (>= 0), discard top (0..53)
    int round = 0;
    int discardTop = 0;
    friend bool operator==(const RoundStarting&, const RoundStarting&) = default;
};
struct MyCards { // seat (1..4), then position/code pairs
    int seat = 0;
    QList<Placed> cards;
    friend bool operator==(const MyCards&, const MyCards&) = default;
};
struct GameStats { // the late joiner's snapshot; seat-0 triples are padding and are dropped
    int addressee = 0;
    int rounds = 0;
    int round = 0;
    int turnSeat = 0; // 0..4
    int discardTop = 0;
    std::array<int, 4> totals{}; // seats 1..4
    bool seat3Out = false;
    bool seat4Out = false;
    QList<msg::FaceUpCard> faceUp;
    friend bool operator==(const GameStats& a, const GameStats& b) {
        if (a.faceUp.size() != b.faceUp.size()) return false;
        for (qsizetype i = 0; i < a.faceUp.size(); ++i) {
            const auto &x = a.faceUp[i], &y = b.faceUp[i];
            if (x.seat != y.seat || x.position != y.position || x.code != y.code) return false;
        }
        return a.addressee == b.addressee && a.rounds == b.rounds && a.round == b.round &&
               a.turnSeat == b.turnSeat && a.discardTop == b.discardTop && a.totals == b.totals &&
               a.seat3Out == b.seat3Out && a.seat4Out == b.seat4Out;
    }
};
struct PostScores { // seat (1..4), round points, total, then position/code pairs
    int seat = 0;
    int points = 0;
    int total = 0;
    QList<Placed> cards;
    friend bool operator==(const PostScores&, const PostScores&) = default;
};
struct Penalty { // seat (1..4), new total
    int seat = 0;
    int total = 0;
    friend bool operator==(const Penalty&, const Penalty&) = default;
};
struct NextPlayer { // seat (1..4), went-out flag (non-zero: the last turn)
    int seat = 0;
    int lastTurn = 0;
    friend bool operator==(const NextPlayer&, const NextPlayer&) = default;
};
struct Winner { // the winner's name
    QString name;
    friend bool operator==(const Winner&, const Winner&) = default;
};
struct DrawACard { // seat (1..4), the drawn card (0..53)
    int seat = 0;
    int code = 0;
    friend bool operator==(const DrawACard&, const DrawACard&) = default;
};
struct HeFlipped { // seat (1..4), position (1..9), code (0..53)
    int seat = 0;
    int position = 0;
    int code = 0;
    friend bool operator==(const HeFlipped&, const HeFlipped&) = default;
};
// CMD_replaceadraw and CMD_replaceadiscard: seat, position, new discard top, the card placed.
struct Replaced {
    int seat = 0;
    int position = 0;
    int discardTop = 0;
    int taken = 0;
    friend bool operator==(const Replaced&, const Replaced&) = default;
};
struct DiscardADrawn { // seat (1..4), new discard top
    int seat = 0;
    int discardTop = 0;
    friend bool operator==(const DiscardADrawn&, const DiscardADrawn&) = default;
};

// ---- Added to the catalogue ----

struct TableRights { // CMD_tablerights: the slot (1..9) that now runs a dedicated table
    int slot = 0;
    friend bool operator==(const TableRights&, const TableRights&) = default;
};
// CMD_reclaimtoken: the key that gives this seat back after a lost connection (hex, 32..128
// digits) and how long the host keeps the seat (seconds >= 0).
struct ReclaimToken {
    QString token;
    int reserveSeconds = 0;
    friend bool operator==(const ReclaimToken&, const ReclaimToken&) = default;
};
struct Removed { // CMD_removed: the host closes this connection because its holder removed it
    friend bool operator==(const Removed&, const Removed&) = default;
};
struct TableClosing { // CMD_tableclosing: the table shuts down; every connection closes
    friend bool operator==(const TableClosing&, const TableClosing&) = default;
};
// CMD_playerremoved: the connection in slot (1..9) was removed from the table; its
// CMD_playerdisconnected follows.
struct PlayerRemoved {
    int slot = 0;
    friend bool operator==(const PlayerRemoved&, const PlayerRemoved&) = default;
};
struct SeatReclaimed { // CMD_seatreclaimed: this connection now holds seat (1..4)
    int seat = 0;
    friend bool operator==(const SeatReclaimed&, const SeatReclaimed&) = default;
};
// A card of one's own grid: its code and whether it lies face up.
struct OwnCard {
    int code = 0;
    bool faceUp = false;
    friend bool operator==(const OwnCard&, const OwnCard&) = default;
};
// CMD_seatstate: what a reclaimed seat needs beyond the late joiner's snapshot: whose turn it is
// (0..4), the turn state (0 flipping, 1 choosing, 2 holding a drawn card, 3 between turns), the
// opening flips left (0..2), the drawn card (0..53; 0 unless the seat holds one) and its nine
// cards.
struct SeatState {
    int seat = 0;
    int current = 0;
    int turnState = 0;
    int flipsLeft = 0;
    int drawn = 0;
    std::array<OwnCard, 9> cards{};
    friend bool operator==(const SeatState&, const SeatState&) = default;
};
// CMD_chathistory: one earlier line as the host relayed it: "chat" or "action", then exactly the
// payload of that CMD_chat or CMD_action.
struct ChatHistoryLine {
    bool action = false;
    ChatText line;
    friend bool operator==(const ChatHistoryLine&, const ChatHistoryLine&) = default;
};
// CMD_reclaimseat (client to host, instead of CMD_logininfo): own slot, token, version, name.
struct ReclaimSeat {
    int slot = 0;
    QString token;
    QString version;
    QString name;
    friend bool operator==(const ReclaimSeat&, const ReclaimSeat&) = default;
};

// The decoder of each notice: the whole payload, or nothing.
template <class Notice> std::optional<Notice> decode(const QString& payload);
// Declared here so every caller sees the specialisation, not the (undefined) primary template.
template <> std::optional<SendLoginInfo> decode<SendLoginInfo>(const QString& payload);
template <> std::optional<PlayerInfo> decode<PlayerInfo>(const QString& payload);
template <> std::optional<HaveWrongVersion> decode<HaveWrongVersion>(const QString& payload);
template <> std::optional<WrongVersion> decode<WrongVersion>(const QString& payload);
template <> std::optional<Full> decode<Full>(const QString& payload);
template <> std::optional<JustWatching> decode<JustWatching>(const QString& payload);
template <> std::optional<ChatText> decode<ChatText>(const QString& payload);
template <> std::optional<PlayASound> decode<PlayASound>(const QString& payload);
template <> std::optional<StartGame> decode<StartGame>(const QString& payload);
template <> std::optional<RoundStarting> decode<RoundStarting>(const QString& payload);
template <> std::optional<MyCards> decode<MyCards>(const QString& payload);
template <> std::optional<GameStats> decode<GameStats>(const QString& payload);
template <> std::optional<PostScores> decode<PostScores>(const QString& payload);
template <> std::optional<Penalty> decode<Penalty>(const QString& payload);
template <> std::optional<NextPlayer> decode<NextPlayer>(const QString& payload);
template <> std::optional<Winner> decode<Winner>(const QString& payload);
template <> std::optional<DrawACard> decode<DrawACard>(const QString& payload);
template <> std::optional<HeFlipped> decode<HeFlipped>(const QString& payload);
template <> std::optional<Replaced> decode<Replaced>(const QString& payload);
template <> std::optional<DiscardADrawn> decode<DiscardADrawn>(const QString& payload);
template <> std::optional<TableRights> decode<TableRights>(const QString& payload);
template <> std::optional<ReclaimToken> decode<ReclaimToken>(const QString& payload);
template <> std::optional<Removed> decode<Removed>(const QString& payload);
template <> std::optional<TableClosing> decode<TableClosing>(const QString& payload);
template <> std::optional<PlayerRemoved> decode<PlayerRemoved>(const QString& payload);
template <> std::optional<SeatReclaimed> decode<SeatReclaimed>(const QString& payload);
template <> std::optional<SeatState> decode<SeatState>(const QString& payload);
template <> std::optional<ChatHistoryLine> decode<ChatHistoryLine>(const QString& payload);
template <> std::optional<ReclaimSeat> decode<ReclaimSeat>(const QString& payload);

// The encoders: exactly the frames of Messages.h (command, payload, terminator).
QByteArray encode(const SendLoginInfo& n);
QByteArray encodeNew(const PlayerInfo& n);      // CMD_newplayerinfo
QByteArray encodeExisting(const PlayerInfo& n); // CMD_existingplayers
QByteArray encodeGone(const PlayerInfo& n);     // CMD_playerdisconnected
QByteArray encode(const HaveWrongVersion& n);
QByteArray encode(const WrongVersion& n);
QByteArray encode(const Full& n);
QByteArray encode(const JustWatching& n);
QByteArray encodeChat(const ChatText& n);   // CMD_chat
QByteArray encodeAction(const ChatText& n); // CMD_action
QByteArray encode(const PlayASound& n);
QByteArray encode(const StartGame& n);
QByteArray encode(const RoundStarting& n);
QByteArray encode(const MyCards& n); // exactly nine cards, positions 1..9 in order
QByteArray encode(const GameStats& n);
QByteArray encode(const PostScores& n); // exactly nine cards, positions 1..9 in order
QByteArray encode(const Penalty& n);
QByteArray encode(const NextPlayer& n);
QByteArray encode(const Winner& n);
QByteArray encode(const DrawACard& n);
QByteArray encode(const HeFlipped& n);
QByteArray encodeDraw(const Replaced& n);    // CMD_replaceadraw
QByteArray encodeDiscard(const Replaced& n); // CMD_replaceadiscard
QByteArray encode(const DiscardADrawn& n);
QByteArray encode(const TableRights& n);
QByteArray encode(const ReclaimToken& n);
QByteArray encode(const Removed& n);
QByteArray encode(const TableClosing& n);
QByteArray encode(const PlayerRemoved& n);
QByteArray encode(const SeatReclaimed& n);
QByteArray encode(const SeatState& n);
QByteArray encode(const ChatHistoryLine& n);
// The history line of a frame the host relayed (CMD_chat or CMD_action, terminator included):
// its bytes unchanged after the history's own name. Empty for any other frame.
QByteArray historyOf(const QByteArray& relayed);
QByteArray encode(const ReclaimSeat& n); // the request

// Whether a reclaim token is well formed: hex digits only, 32 to 128 of them.
bool isToken(QStringView token);

} // namespace pelvo::notice
