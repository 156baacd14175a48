#pragma once
// One builder per frame. Each returns the exact bytes to hand to TSock::Send, terminator
// included. Fields are decimal numbers or text; a trailing "+" is part of a layout where the
// receiver reads its last field up to a "+".

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>

namespace pelvo::msg {

using Grid = std::array<int, 9>; // card codes of positions 1 to 9

// ---- Requests, client to host ----
// The login line is followed by an empty frame (the name field carries its own 0xFF).
QByteArray logininfo(int ownSlot, const QString& version, const QString& name);
QByteArray kickhim(int ownSlot, int targetSlot);
QByteArray chat(int ownSlot, const QString& text, const QString& colourText);
QByteArray action(int ownSlot, const QString& text, const QString& colourText);
QByteArray playasound(int ownSlot, int wave);
QByteArray startgame(const QString& starter, const QString& rounds, int bot3, int bot4);
QByteArray justwatch(int seat, int mode);
QByteArray flipcard(int ownSlot, int position);
QByteArray drawcard(int ownSlot);
QByteArray replacedraw(int ownSlot, int position);
QByteArray discarddrawn(int ownSlot);
QByteArray replacediscard(int ownSlot, int position);

// ---- Notices, host to client ----
QByteArray sendlogininfo(int slot);
QByteArray full();
QByteArray newplayerinfo(int slot, const QString& name);
QByteArray existingplayers(int slot, const QString& name);
QByteArray havewrongversion(const QString& name);
QByteArray wrongversion();
QByteArray playerdisconnected(int slot, const QString& name);
QByteArray justwatching(int seat, const QString& mode);
// Relays: `slotText` is the slot field as received, `rest` the request payload after its first "+".
QByteArray playasoundRelay(const QString& slotText, const QString& rest);
QByteArray actionRelay(const QString& slotText, const QString& name, const QString& rest);
QByteArray chatRelay(const QString& slotText, const QString& name, const QString& rest);
QByteArray startgameNotice(const QString& starter, int rounds, bool seat3Plays, bool seat4Plays);
QByteArray roundstarting(int round, int discardTop);
QByteArray mycards(int seat, const Grid& codes);
QByteArray heflipped(int seat, int position, int code);
QByteArray nextplayer(int seat, int wentOut);
QByteArray drawacard(int seat, int code);
QByteArray replaceadraw(int seat, int position, int oldCode, int drawnCode);
QByteArray discardadrawn(int seat, int code);
QByteArray replaceadiscard(int seat, int position, int oldCode, int takenCode);
QByteArray postscores(int seat, int roundScore, int total, const Grid& codes);
QByteArray penalty(int seat, int total);
QByteArray winner(const QString& name);

struct FaceUpCard {
    int seat, position, code;
};
struct GameStats {
    int slot = 0;
    int roundsToPlay = 0;
    int roundNumber = 0;
    int currentPlayer = 0;
    int discardTop = 0;
    std::array<int, 4> totals{};
    bool seat3Out = false;
    bool seat4Out = false;
    QList<FaceUpCard> faceUp; // empty: the single triple "+0+0+0" is sent
};
QByteArray gamestats(const GameStats& stats);

} // namespace pelvo::msg
