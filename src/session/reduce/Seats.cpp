// Who sits where, who watches, the chat and the table's rights: the notices that are not moves.
#include "session/reduce/Reducer.h"

// own
#include "protocol/Fields.h"

// std
#include <utility>

namespace pelvo::reduce {

namespace {
constexpr int FirstSlot = 1;
constexpr int LastSlot = 9;

QString chatterName(int index) {
    return index == 0 ? QStringLiteral("Cancel1") : QStringLiteral("wave%1").arg(index);
}

SeatModel& seat(SessionModel& m, int s) {
    return m.table.seats[std::size_t(s)];
}

void resetDefaultNames(SessionModel& m) {
    for (int s = 1; s <= TableSeats; ++s)
        seat(m, s).defaultName = m.state.seatnames[std::size_t(s)];
}

// A relayed line starts with its sender's name ("Hal chats: …", "Hal waves"): shown as this
// window shows that name.
QString withShownName(const TableModel& t, int sender, const QString& text) {
    QString name;
    if (sender >= 1 && sender <= TableSeats) {
        const SeatModel& s = t.seats[std::size_t(sender)];
        if (s.occupant == Occupant::Player) name = s.playerName;
    }
    for (const Spectator& spy : t.spectators)
        if (spy.slot == sender) name = spy.name;
    if (name.isEmpty() || !text.startsWith(name + u' ')) return text;
    return t.shownName(sender, name) + text.mid(name.size());
}
} // namespace

QStringList chatterCaptions() {
    return {
        "<Cancel>",       "Doh",          "Cough", "Hello",   "Thank You", "Where have you been?",
        "Snoring",        "Sneezing",     "Sorry", "Welcome", "Yeehaa",    "Yippee",
        "Oh No",          "Applause",     "Honk",  "Oooh",    "Razzberry", "Cheer",
        "Woman Laughing", "Man Laughing", "Crying"};
}

ChatLine note(const SessionModel& m, const QString& text) {
    return {0, ChatLine::Kind::System, text, m.state.syscolour, {}};
}

Effects apply(SessionModel& m, const notice::SendLoginInfo& n, const Settings&) {
    if (n.slot < FirstSlot || n.slot > LastSlot) throw BadField("seat out of range");
    m.state.myseat = n.slot;
    m.state.connected = true;
    resetDefaultNames(m);
    Effects e;
    e.login = n.slot;
    e.changed(n.slot);
    return e;
}

Effects apply(SessionModel& m, const notice::PlayerInfo& n, const Settings&) {
    Effects e;
    m.removed.reset(std::size_t(n.slot)); // a newcomer in that slot is nobody removed
    const bool mine = n.slot == m.state.myseat;
    e.ownLoginSeen = mine;
    if (n.slot <= m.state.maxseats) {
        seat(m, n.slot).occupant = Occupant::Player;
        seat(m, n.slot).playerName = n.name;
    } else {
        m.table.spectators.append({n.slot, n.name});
    }
    const QString name = m.table.shownName(n.slot, n.name);
    e.lines.push_back(
        note(m, mine ? QStringLiteral("You are Connected.") : name + " is Connected."));
    e.joined = mine;
    if (n.slot > m.state.maxseats)
        e.lines.push_back(note(m, mine ? QStringLiteral("You are spying.") : name + " is spying."));
    e.changed(n.slot);
    e.sounds << QStringLiteral("entered");
    return e;
}

Effects disconnected(SessionModel& m, const notice::PlayerInfo& n) {
    Effects e;
    // A removal was told by the host's own line already.
    const bool removed = m.removed.test(std::size_t(n.slot));
    m.removed.reset(std::size_t(n.slot));
    if (n.slot <= m.state.maxseats) {
        SeatModel& s = seat(m, n.slot);
        if (s.occupant != Occupant::Waiting && s.caption() != s.defaultName && !removed)
            e.lines.push_back(note(m, m.table.seatLabel(n.slot) + " disconnected."));
        s.occupant = Occupant::Computer;
        s.watching = false;
        e.changed(n.slot);
        return e;
    }
    const qsizetype at = m.table.spectators.indexOf(Spectator{n.slot, n.name});
    if (at < 0) return e;
    if (!removed) e.lines.push_back(note(m, m.table.shownName(n.slot, n.name) + " has left."));
    m.table.spectators.removeAt(at);
    e.changed(n.slot);
    return e;
}

Effects apply(SessionModel& m, const notice::JustWatching& n, const Settings&) {
    Effects e;
    if (n.seat < FirstSlot || n.seat > m.state.maxseats) return e;
    const bool watching = n.mode == QLatin1String("1");
    if (n.seat == m.state.myseat) m.table.justWatching = watching;
    e.lines.push_back(note(m, m.table.seatLabel(n.seat) +
                                  (watching ? " is just watching" : " is now playing again")));
    seat(m, n.seat).watching = watching;
    e.changed(n.seat);
    return e;
}

Effects apply(SessionModel& m, const notice::PlayASound& n, const Settings& s) {
    Effects e;
    if (s.playerPhraseSounds) {
        e.clips << n.clip;
        return e;
    }
    // Only seats have name labels; anything else shows nothing.
    if (!n.slot || *n.slot < 1 || *n.slot > TableSeats) return e;
    const QStringList captions = chatterCaptions();
    for (int i = 0; i < captions.size(); ++i) {
        if (chatterName(i).compare(n.clip, Qt::CaseInsensitive) != 0) continue;
        e.lines.push_back({0,
                           ChatLine::Kind::Phrase,
                           m.table.seatLabel(*n.slot) + ": <Chatter Sound> " + captions[i],
                           m.state.syscolour,
                           {}});
        break;
    }
    return e;
}

Effects chat(SessionModel& m, const notice::ChatText& n, ChatLine::Kind kind) {
    Effects e;
    e.lines.push_back({n.sender, kind, withShownName(m.table, n.sender, n.text), n.colour, {}});
    return e;
}

Effects apply(SessionModel& m, const notice::ChatHistoryLine& n, const Settings&) {
    // A window that reconnected still shows these lines.
    if (m.reconnected) return {};
    return chat(m, n.line, n.action ? ChatLine::Kind::Action : ChatLine::Kind::Chat);
}

Effects apply(SessionModel& m, const notice::HaveWrongVersion& n, const Settings&) {
    Effects e;
    e.lines.push_back(note(m, n.name + " has a different version of the game then you."));
    return e;
}

Effects apply(SessionModel& m, const notice::WrongVersion&, const Settings&) {
    Effects e;
    e.lines.push_back(
        note(m, QStringLiteral("You have a differnt version of the game then the host.")));
    return e;
}

Effects apply(SessionModel&, const notice::Full&, const Settings&) {
    Effects e;
    e.messages << QStringLiteral("Game is full");
    e.hangUp = true;
    return e;
}

Effects apply(SessionModel& m, const notice::TableRights& n, const Settings&) {
    Effects e;
    const bool runs = n.slot == m.state.myseat;
    m.state.ishost = runs;
    // Between games the one who runs the table sees the Start button, as a hosting player does.
    m.table.startShown = runs && !m.gameRunning();
    e.table = true;
    e.rights = runs;
    return e;
}

// Either way the seat is gone: its stored token would only start a reclaim that fails.
Effects apply(SessionModel& m, const notice::Removed&, const Settings&) {
    m.ending = SessionModel::Ending::Removed;
    Effects e;
    e.token = Effects::Token::Drop;
    return e;
}

Effects apply(SessionModel& m, const notice::TableClosing&, const Settings&) {
    m.ending = SessionModel::Ending::Closed;
    Effects e;
    e.token = Effects::Token::Drop;
    return e;
}

Effects apply(SessionModel& m, const notice::PlayerRemoved& n, const Settings&) {
    m.removed.set(std::size_t(n.slot));
    return {};
}

Effects apply(SessionModel& m, const notice::SeatReclaimed& n, const Settings&) {
    Effects e;
    e.seatBack = true;
    m.state.myseat = n.seat;
    m.state.connected = true;
    // Who sits where is told again next; what this client knew of it may be old.
    for (int s = 1; s <= TableSeats; ++s) {
        SeatModel& at = seat(m, s);
        if (at.occupant == Occupant::Player) at.occupant = Occupant::Computer;
        at.watching = false;
        e.seats.set(std::size_t(s));
    }
    m.table.spectators.clear();
    m.table.justWatching = false;
    resetDefaultNames(m);
    e.table = true;
    return e;
}

} // namespace pelvo::reduce
