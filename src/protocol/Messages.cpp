#include "protocol/Messages.h"

#include "protocol/Commands.h"
#include "protocol/WireText.h"

#include <charconv>
#include <cstddef>
#include <cstring>

namespace pelvo::msg {
namespace {

// Appends fields straight into the frame's own bytes: the host builds hundreds of frames per
// game, so no intermediate strings, a single allocation per frame and no copy at the end. (A
// copy out of a scratch buffer cost more than all the rest: it reads back with wide loads bytes
// that were just stored one or two at a time, and such loads wait until those stores retire.)
class Frame {
public:
    // The name's length is known when compiling, so copying it is a few moves, not a call.
    template <std::size_t N>
    explicit Frame(const char (&command)[N]) : bytes_(Room, Qt::Uninitialized), at_(bytes_.data()) {
        put(command, qsizetype(N - 1));
        put('+');
    }
    Frame& num(int v) {
        constexpr qsizetype widest = 11; // "-2147483648"
        reserve(widest);
        at_ = std::to_chars(at_, at_ + widest, v).ptr;
        return *this;
    }
    Frame& text(const QString& s) {
        // Plain ASCII is copied as it is; anything else goes through the wire encoding.
        const char16_t* p = reinterpret_cast<const char16_t*>(s.constData());
        const qsizetype n = s.size();
        bool ascii = true;
        for (qsizetype i = 0; i < n && ascii; ++i) ascii = p[i] < 0x80;
        if (!ascii) {
            const QByteArray bytes = encodeWire(s);
            put(bytes.constData(), bytes.size());
            return *this;
        }
        reserve(n);
        for (qsizetype i = 0; i < n; ++i) *at_++ = char(p[i]);
        return *this;
    }
    Frame& raw(char c) {
        put(c);
        return *this;
    }
    Frame& raw(const char* s) {
        put(s, qsizetype(std::strlen(s)));
        return *this;
    }
    Frame& plus() { return raw('+'); }
    // Numbers, each followed by "+": the layout of every move and most notices.
    template <class... Ints> Frame& fields(Ints... values) {
        ((num(values), put('+')), ...);
        return *this;
    }
    // "+" position "+" code for positions 1 to 9, no trailing "+".
    Frame& grid(const Grid& codes) {
        for (int i = 0; i < 9; ++i) plus().num(i + 1).plus().num(codes[i]);
        return *this;
    }
    QByteArray done() {
        put(wire::terminator);
        bytes_.truncate(at_ - bytes_.constData());
        return std::move(bytes_);
    }

private:
    static constexpr qsizetype Room = 64; // most frames fit; longer ones grow

    void put(char c) {
        reserve(1);
        *at_++ = c;
    }
    void put(const char* p, qsizetype n) {
        reserve(n);
        std::memcpy(at_, p, size_t(n));
        at_ += n;
    }
    // Makes room for n more bytes.
    void reserve(qsizetype n) {
        const qsizetype used = at_ - bytes_.constData();
        if (used + n <= bytes_.size()) return;
        bytes_.resize(qMax(2 * bytes_.size(), used + n));
        at_ = bytes_.data() + used;
    }

    QByteArray bytes_; // size is the room so far; cut to what was written by done()
    char* at_;         // next byte to write
};

} // namespace

QByteArray logininfo(int ownSlot, const QString& version, const QString& name) {
    QByteArray bytes =
        Frame(cmd::logininfo).num(ownSlot).plus().text(version).plus().text(name).done();
    bytes += wire::terminator;
    return bytes;
}
QByteArray kickhim(int ownSlot, int targetSlot) {
    return Frame(cmd::kickhim).fields(ownSlot, targetSlot).done();
}
QByteArray chat(int ownSlot, const QString& text, const QString& colourText) {
    return Frame(cmd::chat).num(ownSlot).plus().text(text).raw('|').text(colourText).done();
}
QByteArray action(int ownSlot, const QString& text, const QString& colourText) {
    return Frame(cmd::action).num(ownSlot).plus().text(text).raw('|').text(colourText).done();
}
QByteArray playasound(int ownSlot, int wave) {
    return Frame(cmd::playasound).num(ownSlot).raw("+wave").num(wave).plus().done();
}
QByteArray startgame(const QString& starter, const QString& rounds, int bot3, int bot4) {
    return Frame(cmd::startgame)
        .text(starter)
        .plus()
        .text(rounds)
        .plus()
        .num(bot3)
        .plus()
        .num(bot4)
        .plus()
        .done();
}
QByteArray justwatch(int seat, int mode) {
    return Frame(cmd::justwatch).num(seat).plus().num(mode).done();
}
QByteArray flipcard(int ownSlot, int position) {
    return Frame(cmd::flipcard).fields(ownSlot, position).done();
}
QByteArray drawcard(int ownSlot) {
    return Frame(cmd::drawcard).fields(ownSlot).done();
}
QByteArray replacedraw(int ownSlot, int position) {
    return Frame(cmd::replacedraw).fields(ownSlot, position).done();
}
QByteArray discarddrawn(int ownSlot) {
    return Frame(cmd::discarddrawn).fields(ownSlot).done();
}
QByteArray replacediscard(int ownSlot, int position) {
    return Frame(cmd::replacediscard).fields(ownSlot, position).done();
}

QByteArray sendlogininfo(int slot) {
    return Frame(cmd::sendlogininfo).num(slot).done();
}
QByteArray full() {
    return Frame(cmd::full).done();
}
QByteArray newplayerinfo(int slot, const QString& name) {
    return Frame(cmd::newplayerinfo).num(slot).plus().text(name).done();
}
QByteArray existingplayers(int slot, const QString& name) {
    return Frame(cmd::existingplayers).num(slot).plus().text(name).done();
}
QByteArray havewrongversion(const QString& name) {
    return Frame(cmd::havewrongversion).text(name).done();
}
QByteArray wrongversion() {
    return Frame(cmd::wrongversion).done();
}
QByteArray playerdisconnected(int slot, const QString& name) {
    return Frame(cmd::playerdisconnected).num(slot).plus().text(name).done();
}
QByteArray justwatching(int seat, const QString& mode) {
    return Frame(cmd::justwatching).num(seat).plus().text(mode).done();
}
QByteArray playasoundRelay(const QString& slotText, const QString& rest) {
    return Frame(cmd::playasound).text(slotText).plus().text(rest).done();
}
QByteArray actionRelay(const QString& slotText, const QString& name, const QString& rest) {
    return Frame(cmd::action).text(slotText).plus().text(name).raw(' ').text(rest).done();
}
QByteArray chatRelay(const QString& slotText, const QString& name, const QString& rest) {
    return Frame(cmd::chat).text(slotText).plus().text(name).raw(" chats: ").text(rest).done();
}
QByteArray startgameNotice(const QString& starter, int rounds, bool seat3Plays, bool seat4Plays) {
    return Frame(cmd::startgame)
        .text(starter)
        .plus()
        .num(rounds)
        .plus()
        .raw(seat3Plays ? 't' : 'f')
        .plus()
        .raw(seat4Plays ? 't' : 'f')
        .plus()
        .done();
}
QByteArray roundstarting(int round, int discardTop) {
    return Frame(cmd::roundstarting).fields(round, discardTop).done();
}
QByteArray mycards(int seat, const Grid& codes) {
    return Frame(cmd::mycards).num(seat).grid(codes).done();
}
QByteArray heflipped(int seat, int position, int code) {
    return Frame(cmd::heflipped).fields(seat, position, code).done();
}
QByteArray nextplayer(int seat, int wentOut) {
    return Frame(cmd::nextplayer).fields(seat, wentOut).done();
}
QByteArray drawacard(int seat, int code) {
    return Frame(cmd::drawacard).fields(seat, code).done();
}
QByteArray replaceadraw(int seat, int position, int oldCode, int drawnCode) {
    return Frame(cmd::replaceadraw).fields(seat, position, oldCode, drawnCode).done();
}
QByteArray discardadrawn(int seat, int code) {
    return Frame(cmd::discardadrawn).fields(seat, code).done();
}
QByteArray replaceadiscard(int seat, int position, int oldCode, int takenCode) {
    return Frame(cmd::replaceadiscard).fields(seat, position, oldCode, takenCode).done();
}
QByteArray postscores(int seat, int roundScore, int total, const Grid& codes) {
    return Frame(cmd::postscores)
        .num(seat)
        .plus()
        .num(roundScore)
        .plus()
        .num(total)
        .grid(codes)
        .done();
}
QByteArray penalty(int seat, int total) {
    return Frame(cmd::penalty).fields(seat, total).done();
}
QByteArray winner(const QString& name) {
    return Frame(cmd::winner).text(name).plus().done();
}

QByteArray gamestats(const GameStats& s) {
    Frame f(cmd::gamestats);
    f.num(s.slot).plus().num(s.roundsToPlay).plus().num(s.roundNumber).plus();
    f.num(s.currentPlayer).plus().num(s.discardTop);
    for (int t : s.totals) f.plus().num(t);
    f.plus().raw(s.seat3Out ? '1' : '0').plus().raw(s.seat4Out ? '1' : '0');
    if (s.faceUp.isEmpty()) {
        f.raw("+0+0+0");
    } else {
        for (const FaceUpCard& c : s.faceUp)
            f.plus().num(c.seat).plus().num(c.position).plus().num(c.code);
    }
    return f.done();
}

} // namespace pelvo::msg
