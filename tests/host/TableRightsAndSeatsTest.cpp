// What a table does beyond the described host, without sockets: who runs a dedicated table and
// how that passes on, the notice before a removal, seats kept for a dropped player's token (and
// for nobody else), the reclaim with its snapshot, and the chat a joiner gets.
#include "HostSupport.h"

#include "protocol/Notices.h"

#include <gtest/gtest.h>

#include <optional>

using namespace pelvo;
using namespace pelvo::test;

namespace {

class MovingOutbox : public RecordingOutbox {
public:
    std::vector<std::pair<int, int>> moves;
    void move(int from, int to) override { moves.push_back({from, to}); }
};

class TableSeats : public ::testing::Test {
protected:
    MovingOutbox out;
    ScriptedRandom random{7};
    qint64 now = 1000000; // the engine's wall clock
    Engine engine{out, random, Engine::Options{.windowless = true, .reserveSeconds = 10},
                  Engine::Hooks{.botSpeed = [] { return 5; }, .wallClock = [this] { return now; }}};
    Table& t = engine.table;
    bool req(int slot, const QString& line) { return engine.request(slot, line); }
    QString tokenSentTo(int slot) const {
        for (const QString& f : out.to(slot))
            if (f.startsWith("CMD_reclaimtoken+")) return f.section(u'+', 1, 1);
        return QString();
    }
    std::optional<notice::SeatState> seatStateSentTo(int slot) const {
        for (const QString& f : out.to(slot))
            if (f.startsWith("CMD_seatstate+"))
                return notice::decode<notice::SeatState>(f.mid(int(qstrlen("CMD_seatstate+"))));
        return std::nullopt;
    }
    bool reclaim(const QString& name, const QString& token, int* slot = nullptr) {
        const int from = engine.acceptConnection();
        if (slot) *slot = from;
        return req(from,
                   QStringLiteral("CMD_reclaimseat+%1+%2+1.0.1+%3").arg(from).arg(token, name));
    }
    // Three people, a game of 9 rounds under way, every opening flip made.
    void startGame(const QString& flags = "0+0+") {
        for (const char* name : {"Anna", "Bo", "Cy"}) join(engine, name);
        ASSERT_TRUE(req(1, "CMD_startgame+Anna+9+" + flags));
        for (int s = 1; s <= 3; ++s)
            for (int p : {1, 2})
                ASSERT_TRUE(req(s, QStringLiteral("CMD_flipcard+%1+%2+").arg(s).arg(p)));
        ASSERT_EQ(t.turnState, TurnState::Choose);
    }
};

TEST_F(TableSeats, TheRightsPassToTheLowestConnectedSlotAndOnlyTheirHolderIsObeyed) {
    for (const char* name : {"Anna", "Bo", "Cy", "Dee"}) join(engine, name);
    for (int s = 1; s <= 4; ++s) EXPECT_TRUE(out.to(s).contains("CMD_tablerights+1")) << s;

    // Not the holder: start, removal and another's Just Watch are dropped.
    EXPECT_FALSE(req(2, "CMD_startgame+Bo+3+0+0+"));
    EXPECT_FALSE(req(2, "CMD_kickhim+2+3+"));
    EXPECT_FALSE(req(2, "CMD_justwatch+3+1"));
    EXPECT_TRUE(out.closed.empty());
    EXPECT_FALSE(t.gameRunning);

    out.clear();
    engine.lostConnection(1);
    EXPECT_EQ(engine.rightsHolder(), 2);
    for (int s = 2; s <= 4; ++s) {
        const QStringList got = out.to(s);
        ASSERT_GE(got.size(), 3) << s;
        EXPECT_EQ(got[1], "CMD_tablerights+2");
        EXPECT_TRUE(got[2].startsWith("CMD_action+0+Bo now runs the table.|"))
            << got[2].toStdString();
    }
    // A newcomer in the freed slot 1 is told who runs the table and runs nothing.
    out.clear();
    EXPECT_EQ(join(engine, "Eve"), 1);
    EXPECT_TRUE(out.to(1).contains("CMD_tablerights+2"));
    EXPECT_FALSE(req(1, "CMD_startgame+Eve+3+0+0+"));

    // The holder removes: the removed connection is told before it is closed.
    out.clear();
    EXPECT_TRUE(req(2, "CMD_kickhim+2+3+"));
    EXPECT_EQ(out.to(3).value(0), "CMD_removed+");
    EXPECT_EQ(out.closed, std::vector<int>{3});
    // The others learn it was a removal, and every window shows the host's line for it.
    EXPECT_EQ(out.to(2), (QStringList{"CMD_playerremoved+3",
                                      "CMD_action+0+Cy was removed from the table.|clBlue"}));
    EXPECT_TRUE(out.to(3).contains("CMD_action+0+Cy was removed from the table.|clBlue"));
    EXPECT_TRUE(req(2, "CMD_startgame+Bo+3+0+0+"));
    EXPECT_TRUE(t.gameRunning);
    EXPECT_TRUE(req(2, "CMD_justwatch+4+1"));
    EXPECT_TRUE(t.seats[4].watching);

    // The last one out leaves the table to whoever comes next. The game runs: the seats of
    // those who dropped wait for them, the removed player's seat does not.
    for (int s : {1, 2, 3, 4}) engine.lostConnection(s);
    EXPECT_EQ(engine.rightsHolder(), 0);
    out.clear();
    EXPECT_EQ(join(engine, "Fay"), 3);
    EXPECT_TRUE(out.to(3).contains("CMD_tablerights+3"));
}

TEST_F(TableSeats, ADroppedSeatWaitsForItsTokenOnlyAndComesBackWhole) {
    ASSERT_NO_FATAL_FAILURE(startGame());
    const QString token = tokenSentTo(2);
    ASSERT_TRUE(notice::isToken(token)) << token.toStdString();
    EXPECT_GE(token.size(), 32); // 128 bits
    EXPECT_NE(token, tokenSentTo(3));
    for (int s : {1, 3}) // never to the others
        for (const QString& f : out.to(s)) EXPECT_FALSE(f.contains(token));

    // Bo drops on his own turn: the computer has the move, the seat waits for Bo.
    t.currentPlayer = 1;
    engine.findplayer();
    ASSERT_EQ(t.currentPlayer, 2);
    engine.lostConnection(2);
    EXPECT_TRUE(engine.computertimer.enabled);
    EXPECT_TRUE(engine.isReserved(2));

    // Someone else by the same name, without the token, gets another slot.
    EXPECT_EQ(join(engine, "Bo"), 4);
    // A wrong token is an ordinary login at the slot the connection has.
    const int stranger = engine.acceptConnection();
    ASSERT_EQ(stranger, 5);
    EXPECT_TRUE(
        req(stranger, QStringLiteral("CMD_reclaimseat+5+%1+1.0.1+Bo").arg(QString(32, u'0'))));
    EXPECT_TRUE(t.seats[5].inUse);
    EXPECT_TRUE(out.moves.empty());

    // The token: the new connection becomes seat 2 again, with everything it needs.
    out.clear();
    const int back = engine.acceptConnection();
    ASSERT_EQ(back, 6);
    EXPECT_TRUE(req(back, QStringLiteral("CMD_reclaimseat+6+%1+1.0.1+Bo").arg(token)));
    EXPECT_EQ(out.moves, (std::vector<std::pair<int, int>>{{6, 2}}));
    EXPECT_FALSE(t.seats[6].inUse);
    EXPECT_TRUE(t.seats[2].inUse);
    EXPECT_EQ(t.seats[2].name, "Bo");
    EXPECT_FALSE(engine.isReserved(2));
    EXPECT_FALSE(engine.computertimer.enabled); // the move is Bo's own again
    const QStringList got = out.to(2);
    ASSERT_FALSE(got.isEmpty());
    EXPECT_EQ(got.first(), "CMD_seatreclaimed+2");
    EXPECT_TRUE(got.contains("CMD_newplayerinfo+2+Bo"));
    QString state = QStringLiteral("CMD_seatstate+2+2+1+0+0");
    for (int p = 1; p <= 9; ++p)
        state +=
            QStringLiteral("+%1+%2").arg(t.seats[2].cards[p].code).arg(t.seats[2].cards[p].faceUp);
    qsizetype stats = -1;
    for (qsizetype i = 0; i < got.size(); ++i)
        if (got[i].startsWith("CMD_gamestats+2+")) stats = i;
    ASSERT_GE(stats, 0) << got.join("\n").toStdString();
    EXPECT_EQ(got.indexOf(state), stats + 1);
    for (int s : {1, 2, 3, 4, 5})
        EXPECT_TRUE(out.to(s).last().startsWith("CMD_action+0+Bo is back.|")) << s;

    // The seat holds a drawn card when it comes back: the card is in the snapshot.
    ASSERT_TRUE(req(2, "CMD_drawcard+2+"));
    engine.lostConnection(2);
    out.clear();
    const int again = engine.acceptConnection();
    EXPECT_TRUE(req(again, QStringLiteral("CMD_reclaimseat+%1+%2+1.0.1+Bo").arg(again).arg(token)));
    const QString holding = QStringLiteral("CMD_seatstate+2+2+2+0+%1+").arg(t.drawnCard());
    EXPECT_EQ(out.to(2).filter(holding).size(), 1) << out.to(2).join("\n").toStdString();
}

TEST_F(TableSeats, AComputersSeatStaysTheComputersUntilAConnectionThereLogsIn) {
    ASSERT_NO_FATAL_FAILURE(startGame("1+1+"));
    const QString token = tokenSentTo(2);
    engine.lostConnection(2);
    // Seat 4 plays by the computer; a connection gets slot 4 while it is seat 4's turn. Until it
    // logs in the computer plays on: a connection that never logs in must not stall the game.
    t.currentPlayer = 3;
    const int slot = engine.acceptConnection();
    ASSERT_EQ(slot, 4);
    engine.computertimer = TimerSeam{};
    engine.findplayer();
    ASSERT_EQ(t.currentPlayer, 4);
    EXPECT_TRUE(engine.computertimer.enabled);
    // Its reclaim makes it seat 2 again; slot 4 stays the computer's.
    EXPECT_TRUE(req(slot, QStringLiteral("CMD_reclaimseat+4+%1+1.0.1+Bo").arg(token)));
    EXPECT_FALSE(t.seats[4].inUse);
    EXPECT_TRUE(t.seats[2].inUse);
    EXPECT_TRUE(engine.computertimer.enabled);
    const int turns = int(t.currentPlayer);
    while (t.currentPlayer == turns && engine.advanceClock()) {
    }
    EXPECT_EQ(t.currentPlayer, 1);

    // A silent connection on a computer's seat: the computer keeps its turns all the same.
    t.currentPlayer = 3;
    const int silent = engine.acceptConnection();
    ASSERT_EQ(silent, 4);
    engine.findplayer();
    ASSERT_EQ(t.currentPlayer, 4);
    while (t.currentPlayer == 4 && engine.advanceClock()) {
    }
    EXPECT_EQ(t.currentPlayer, 1);
}

TEST_F(TableSeats, AReclaimShowsOnlyTheHiddenCardsItsHolderWasDealtOrDrew) {
    ASSERT_NO_FATAL_FAILURE(startGame("1+1+"));
    // Eve comes in mid-round at the computer's seat 4: a late joiner, dealt nothing.
    ASSERT_EQ(join(engine, "Eve"), 4);
    const QString token = tokenSentTo(4);
    engine.lostConnection(4);
    // While she is away the computer draws for seat 4; nobody is sent that card.
    t.currentPlayer = 3;
    engine.findplayer();
    ASSERT_EQ(t.currentPlayer, 4);
    ASSERT_TRUE(engine.drawcard(4));
    out.clear();
    ASSERT_TRUE(reclaim("Eve", token));
    std::optional<notice::SeatState> s = seatStateSentTo(4);
    ASSERT_TRUE(s);
    int hidden = 0;
    for (int p = 1; p <= 9; ++p) {
        const notice::OwnCard& c = s->cards[std::size_t(p - 1)];
        EXPECT_EQ(c.faceUp, t.seats[4].isUp(p)) << p;
        EXPECT_EQ(c.code, c.faceUp ? t.seats[4].cards[p].code : 0) << p;
        hidden += c.faceUp ? 0 : 1;
    }
    EXPECT_GE(hidden, 6);
    // The drawn card stays unseen and the computer finishes the turn it began.
    EXPECT_EQ(s->drawn, 0);
    EXPECT_EQ(s->turnState, 3);
    EXPECT_TRUE(engine.computertimer.enabled);
    while (t.currentPlayer == 4 && engine.advanceClock()) {
    }
    EXPECT_EQ(t.currentPlayer, 1);

    // Dealt the next round at her seat, she drops and is shown all nine again: they were hers.
    engine.startround();
    engine.lostConnection(4);
    out.clear();
    ASSERT_TRUE(reclaim("Eve", token));
    s = seatStateSentTo(4);
    ASSERT_TRUE(s);
    for (int p = 1; p <= 9; ++p)
        EXPECT_EQ(s->cards[std::size_t(p - 1)].code, t.seats[4].cards[p].code) << p;
}

TEST_F(TableSeats, AKeptSeatIsFreeAgainWhenItsTimeRunsOutOrTheGameEnds) {
    ASSERT_NO_FATAL_FAILURE(startGame());
    const QString token = tokenSentTo(2);
    engine.lostConnection(2);
    now += 9999;
    EXPECT_TRUE(engine.isReserved(2));
    now += 1;
    EXPECT_FALSE(engine.isReserved(2));
    EXPECT_EQ(join(engine, "Stranger"), 2); // free as before
    // The old token no longer names a seat.
    const int late = engine.acceptConnection();
    EXPECT_TRUE(req(late, QStringLiteral("CMD_reclaimseat+%1+%2+1.0.1+Bo").arg(late).arg(token)));
    EXPECT_TRUE(out.moves.empty());

    // A seat kept when the game ends is free at once (everyone drops: the computer finishes).
    engine.lostConnection(3);
    EXPECT_TRUE(engine.isReserved(3));
    for (int s : {1, 2, late}) engine.lostConnection(s);
    playOut(engine);
    ASSERT_FALSE(t.gameRunning);
    EXPECT_FALSE(engine.isReserved(3));

    for (int s = 1; s <= 4; ++s) EXPECT_FALSE(engine.isReserved(s)) << s;

    // A removed player's seat is not kept.
    for (const char* name : {"Anna", "Bo"}) join(engine, name);
    ASSERT_TRUE(req(1, "CMD_startgame+Anna+9+0+0+"));
    ASSERT_TRUE(req(1, QStringLiteral("CMD_kickhim+1+2+")));
    engine.lostConnection(2);
    EXPECT_FALSE(engine.isReserved(2));
}

TEST_F(TableSeats, AJoinerGetsTheLastFiftyLinesOfChatAsTheyWere) {
    join(engine, "Anna");
    for (int i = 1; i <= 60; ++i)
        ASSERT_TRUE(req(
            1,
            QString(i % 2 ? "CMD_chat+1+line %1|255" : "CMD_action+1+says: line %1|255").arg(i)));
    out.clear();
    join(engine, "Bo");
    QStringList history;
    for (const QString& f : out.to(2))
        if (f.startsWith("CMD_chathistory+")) history << f;
    ASSERT_EQ(history.size(), Engine::HistoryLines);
    EXPECT_EQ(history.first(), "CMD_chathistory+chat+1+Anna chats: line 11|255");
    EXPECT_EQ(history.last(), "CMD_chathistory+action+1+Anna says: line 60|255");
    EXPECT_TRUE(out.to(1).filter("CMD_chathistory").isEmpty()); // only the joiner gets them

    // Long lines: the history stays within what a connection may hold unsent.
    const QString long40k(40 * 1024, u'x');
    for (int i = 0; i < 50; ++i) ASSERT_TRUE(req(1, "CMD_chat+1+" + long40k + "|255"));
    out.clear();
    join(engine, "Cy");
    qsizetype bytes = 0, lines = 0;
    for (const Sent& s : out.sent)
        if (s.slot == 3 && s.frame.startsWith("CMD_chathistory+")) bytes += s.frame.size(), ++lines;
    EXPECT_LE(bytes, 256 * 1024);
    EXPECT_GE(lines, 5);
}

TEST(TableSeatsHosted, APlayersOwnTableKeepsTheRightsInSlotOneAndSaysNothingNew) {
    RecordingOutbox out;
    Random random(3);
    Engine engine(out, random, Engine::Options{.windowless = false, .reserveSeconds = 10});
    for (const char* name : {"Host", "Bo"}) join(engine, name);
    engine.lostConnection(2);
    EXPECT_EQ(engine.rightsHolder(), 1);
    for (const Sent& s : out.sent) EXPECT_FALSE(s.frame.startsWith("CMD_tablerights"));
    // Slot 1 is the hosting window: it gets no token; other seats do.
    EXPECT_TRUE(out.to(1).filter("CMD_reclaimtoken").isEmpty());
    EXPECT_EQ(out.to(2).filter("CMD_reclaimtoken").size(), 1);
}

TEST(TableSeatsHosted, ADroppedSeatIsTheNextNewcomersUnlessHeldAndItsTokenWorksTillThen) {
    MovingOutbox out;
    Random random(3);
    Engine engine(out, random,
                  Engine::Options{.windowless = false, .reserveSeconds = 10, .holdSeats = false});
    Table& t = engine.table;
    for (const char* name : {"Host", "Bo", "Cy"}) join(engine, name);
    ASSERT_TRUE(engine.request(1, "CMD_startgame+Host+9+0+0+"));
    const auto tokenOf = [&](int slot) {
        return out.to(slot).filter("CMD_reclaimtoken+").value(0).section(u'+', 1, 1);
    };
    const QString bo = tokenOf(2), cy = tokenOf(3);
    ASSERT_FALSE(bo.isEmpty());
    const auto reclaim = [&](int slot, const QString& token, const QString& name) {
        return engine.request(
            slot, QStringLiteral("CMD_reclaimseat+%1+%2+1.0.1+%3").arg(slot).arg(token, name));
    };

    // Bo drops and comes straight back: the lowest free slot is his own, and his token makes
    // it his seat again, cards and all.
    engine.lostConnection(2);
    ASSERT_EQ(engine.acceptConnection(), 2);
    out.clear();
    ASSERT_TRUE(reclaim(2, bo, "Bo"));
    EXPECT_EQ(out.to(2).value(0), "CMD_seatreclaimed+2");
    EXPECT_TRUE(out.moves.empty());
    EXPECT_FALSE(engine.isReserved(2));
    const QString seatState = out.to(2).filter("CMD_seatstate+").value(0);
    for (int p = 1; p <= 9; ++p)
        EXPECT_EQ(seatState.section(u'+', 4 + 2 * p, 4 + 2 * p).toInt(), t.seats[2].cards[p].code);

    // Cy drops and a newcomer takes his slot and, logging in, his seat: Cy's token is spent.
    engine.lostConnection(3);
    EXPECT_EQ(join(engine, "Dee"), 3);
    EXPECT_EQ(t.seats[3].name, "Dee");
    const int late = engine.acceptConnection();
    ASSERT_EQ(late, 4);
    ASSERT_TRUE(reclaim(late, cy, "Cy"));
    EXPECT_TRUE(out.moves.empty());
    EXPECT_EQ(t.seats[late].name, "Cy");

    // Held by the host's choice, a dropped seat is kept from newcomers.
    engine.setHoldSeats(true);
    engine.lostConnection(2);
    EXPECT_EQ(join(engine, "Eve"), 5);
    EXPECT_TRUE(engine.isReserved(2));
}

} // namespace

TEST_F(TableSeats, TheRightsNeverGoToAConnectionThatHasNotLoggedIn) {
    const int silent = engine.acceptConnection();
    EXPECT_EQ(engine.rightsHolder(), 0);
    EXPECT_EQ(join(engine, "Anna"), 2);
    EXPECT_EQ(engine.rightsHolder(), 2);
    const int quiet = engine.acceptConnection();
    EXPECT_EQ(join(engine, "Bo"), 4);
    // Anna leaves: the lower slots are silent, so the rights pass over them to Bo.
    out.clear();
    engine.lostConnection(2);
    EXPECT_EQ(engine.rightsHolder(), 4);
    EXPECT_TRUE(out.to(silent).contains("CMD_tablerights+4"));
    EXPECT_TRUE(out.to(quiet).contains("CMD_tablerights+4"));
    // Bo leaves too: nobody runs the table until someone logs in.
    engine.lostConnection(4);
    EXPECT_EQ(engine.rightsHolder(), 0);
    EXPECT_TRUE(req(quiet, QStringLiteral("CMD_logininfo+%1+1.0.1+Cy").arg(quiet)));
    EXPECT_EQ(engine.rightsHolder(), quiet);
}
