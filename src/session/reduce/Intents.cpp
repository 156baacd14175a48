// The player's intents: what a click or a typed line asks the host for, and what the board
// shows before the host answers.
#include "session/reduce/Reducer.h"

// own
#include "protocol/ColourText.h"
#include "protocol/Messages.h"
#include "session/Speech.h"

namespace pelvo::reduce {

Effects chooseCell(SessionModel& m, int position) {
    Effects e;
    if (position < 1 || position > GridSize || !m.myTurn()) return e;
    const SeatModel& me = m.table.seats[std::size_t(m.state.myseat)];
    if (!me.playing || !m.state.connected) return e;
    TableModel& t = m.table;
    if (t.flipsLeft > 0) {
        // A card already asked for keeps the second flip free for another card.
        if (me.cards[std::size_t(position)].code == 0 || t.askedToFlip.test(std::size_t(position)))
            return e;
        t.flipsLeft -= 1;
        t.askedToFlip.set(std::size_t(position));
        e.frames << msg::flipcard(m.state.myseat, position);
        e.sounds << QStringLiteral("flipcard");
        return e;
    }
    if (t.drawPick == Pick::Picked) {
        e.frames << msg::replacedraw(m.state.myseat, position);
        e.sounds << QStringLiteral("draw");
    } else if (t.discardPick == Pick::Picked) {
        e.frames << msg::replacediscard(m.state.myseat, position);
        e.sounds << QStringLiteral("draw");
    }
    return e;
}

Effects drawFromPile(const SessionModel& m) {
    Effects e;
    const TableModel& t = m.table;
    if (m.myTurn() && t.drawPick != Pick::Picked && t.discardPick != Pick::Picked &&
        m.state.connected)
        e.frames << msg::drawcard(m.state.myseat);
    return e;
}

Effects pickDiscard(SessionModel& m) {
    Effects e;
    if (!m.myTurn()) return e;
    TableModel& t = m.table;
    if (t.drawPick == Pick::Picked) {
        if (m.state.connected) e.frames << msg::discarddrawn(m.state.myseat);
    } else if (t.discardPick == Pick::Picked) {
        e.messages << QStringLiteral("You Cannot discard the discard you picked up.");
        e.sounds << QStringLiteral("invalid");
    } else {
        t.discardPick = Pick::Picked;
        t.discardInHand = true;
        t.status = "Choose a Card from your Hand to discard.";
        e.table = true;
        e.turn = true;
        e.announcements << QStringLiteral("You picked up ") + speech::the(t.discardPicture) +
                               QStringLiteral(". Choose a card of your grid to replace.");
    }
    return e;
}

Effects sendChat(const SessionModel& m, const QString& text, const Settings& s) {
    Effects e;
    if (!m.state.connected || text.isEmpty()) return e;
    const QString colourText = colourToText(s.chatColour);
    if (!text.startsWith(u'/'))
        e.frames << msg::chat(m.state.myseat, text, colourText);
    else if (text.startsWith(QStringLiteral("/me")))
        e.frames << msg::action(m.state.myseat, text.mid(4), colourText);
    // Any other "/" command is dropped.
    return e;
}

QByteArray phrase(const SessionModel& m, const QString& text, const Settings& s) {
    // Exactly "/me " makes an action; "/meow" is an ordinary phrase.
    const QString body =
        text.startsWith(QStringLiteral("/me ")) ? text.mid(4) : QStringLiteral("says: ") + text;
    return msg::action(m.state.myseat, body, colourToText(s.chatColour));
}

} // namespace pelvo::reduce
