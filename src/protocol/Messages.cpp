#include "protocol/Messages.h"

#include "protocol/Commands.h"
#include "protocol/WireText.h"

namespace pelvo::msg {
namespace {

// Builds name "+" payload 0xFF.
QByteArray frame(const char* command, const QString& payload) {
    QByteArray bytes(command);
    bytes += '+';
    bytes += encodeWire(payload);
    bytes += wire::terminator;
    return bytes;
}

QString num(int v) {
    return QString::number(v);
}

// "+" position "+" code for positions 1 to 9, no trailing "+".
QString gridFields(const Grid& codes) {
    QString s;
    for (int i = 0; i < 9; ++i) s += u'+' + num(i + 1) + u'+' + num(codes[i]);
    return s;
}

} // namespace

QByteArray logininfo(int ownSlot, const QString& version, const QString& name) {
    QByteArray bytes = frame(cmd::logininfo, num(ownSlot) + u'+' + version + u'+' + name);
    bytes += wire::terminator;
    return bytes;
}
QByteArray kickhim(int ownSlot, int targetSlot) {
    return frame(cmd::kickhim, num(ownSlot) + u'+' + num(targetSlot) + u'+');
}
QByteArray chat(int ownSlot, const QString& text, const QString& colourText) {
    return frame(cmd::chat, num(ownSlot) + u'+' + text + u'|' + colourText);
}
QByteArray action(int ownSlot, const QString& text, const QString& colourText) {
    return frame(cmd::action, num(ownSlot) + u'+' + text + u'|' + colourText);
}
QByteArray playasound(int ownSlot, int wave) {
    return frame(cmd::playasound, num(ownSlot) + QStringLiteral("+wave") + num(wave) + u'+');
}
QByteArray startgame(const QString& starter, const QString& rounds, int bot3, int bot4) {
    return frame(cmd::startgame,
                 starter + u'+' + rounds + u'+' + num(bot3) + u'+' + num(bot4) + u'+');
}
QByteArray justwatch(int seat, int mode) {
    return frame(cmd::justwatch, num(seat) + u'+' + num(mode));
}
QByteArray flipcard(int ownSlot, int position) {
    return frame(cmd::flipcard, num(ownSlot) + u'+' + num(position) + u'+');
}
QByteArray drawcard(int ownSlot) {
    return frame(cmd::drawcard, num(ownSlot) + u'+');
}
QByteArray replacedraw(int ownSlot, int position) {
    return frame(cmd::replacedraw, num(ownSlot) + u'+' + num(position) + u'+');
}
QByteArray discarddrawn(int ownSlot) {
    return frame(cmd::discarddrawn, num(ownSlot) + u'+');
}
QByteArray replacediscard(int ownSlot, int position) {
    return frame(cmd::replacediscard, num(ownSlot) + u'+' + num(position) + u'+');
}

QByteArray sendlogininfo(int slot) {
    return frame(cmd::sendlogininfo, num(slot));
}
QByteArray full() {
    return frame(cmd::full, {});
}
QByteArray newplayerinfo(int slot, const QString& name) {
    return frame(cmd::newplayerinfo, num(slot) + u'+' + name);
}
QByteArray existingplayers(int slot, const QString& name) {
    return frame(cmd::existingplayers, num(slot) + u'+' + name);
}
QByteArray havewrongversion(const QString& name) {
    return frame(cmd::havewrongversion, name);
}
QByteArray wrongversion() {
    return frame(cmd::wrongversion, {});
}
QByteArray playerdisconnected(int slot, const QString& name) {
    return frame(cmd::playerdisconnected, num(slot) + u'+' + name);
}
QByteArray justwatching(int seat, const QString& mode) {
    return frame(cmd::justwatching, num(seat) + u'+' + mode);
}
QByteArray playasoundRelay(const QString& slotText, const QString& rest) {
    return frame(cmd::playasound, slotText + u'+' + rest);
}
QByteArray actionRelay(const QString& slotText, const QString& name, const QString& rest) {
    return frame(cmd::action, slotText + u'+' + name + u' ' + rest);
}
QByteArray chatRelay(const QString& slotText, const QString& name, const QString& rest) {
    return frame(cmd::chat, slotText + u'+' + name + QStringLiteral(" chats: ") + rest);
}
QByteArray startgameNotice(const QString& starter, int rounds, bool seat3Plays, bool seat4Plays) {
    return frame(cmd::startgame, starter + u'+' + num(rounds) + u'+' + (seat3Plays ? u't' : u'f') +
                                     u'+' + (seat4Plays ? u't' : u'f') + u'+');
}
QByteArray roundstarting(int round, int discardTop) {
    return frame(cmd::roundstarting, num(round) + u'+' + num(discardTop) + u'+');
}
QByteArray mycards(int seat, const Grid& codes) {
    return frame(cmd::mycards, num(seat) + gridFields(codes));
}
QByteArray heflipped(int seat, int position, int code) {
    return frame(cmd::heflipped, num(seat) + u'+' + num(position) + u'+' + num(code) + u'+');
}
QByteArray nextplayer(int seat, int wentOut) {
    return frame(cmd::nextplayer, num(seat) + u'+' + num(wentOut) + u'+');
}
QByteArray drawacard(int seat, int code) {
    return frame(cmd::drawacard, num(seat) + u'+' + num(code) + u'+');
}
QByteArray replaceadraw(int seat, int position, int oldCode, int drawnCode) {
    return frame(cmd::replaceadraw, num(seat) + u'+' + num(position) + u'+' + num(oldCode) + u'+' +
                                        num(drawnCode) + u'+');
}
QByteArray discardadrawn(int seat, int code) {
    return frame(cmd::discardadrawn, num(seat) + u'+' + num(code) + u'+');
}
QByteArray replaceadiscard(int seat, int position, int oldCode, int takenCode) {
    return frame(cmd::replaceadiscard, num(seat) + u'+' + num(position) + u'+' + num(oldCode) +
                                           u'+' + num(takenCode) + u'+');
}
QByteArray postscores(int seat, int roundScore, int total, const Grid& codes) {
    return frame(cmd::postscores,
                 num(seat) + u'+' + num(roundScore) + u'+' + num(total) + gridFields(codes));
}
QByteArray penalty(int seat, int total) {
    return frame(cmd::penalty, num(seat) + u'+' + num(total) + u'+');
}
QByteArray winner(const QString& name) {
    return frame(cmd::winner, name + u'+');
}

QByteArray gamestats(const GameStats& s) {
    QString p = num(s.slot) + u'+' + num(s.roundsToPlay) + u'+' + num(s.roundNumber) + u'+' +
                num(s.currentPlayer) + u'+' + num(s.discardTop);
    for (int t : s.totals) p += u'+' + num(t);
    p += u'+' + QString(s.seat3Out ? u'1' : u'0') + u'+' + QString(s.seat4Out ? u'1' : u'0');
    if (s.faceUp.isEmpty()) {
        p += QStringLiteral("+0+0+0");
    } else {
        for (const FaceUpCard& c : s.faceUp)
            p += u'+' + num(c.seat) + u'+' + num(c.position) + u'+' + num(c.code);
    }
    return frame(cmd::gamestats, p);
}

} // namespace pelvo::msg
