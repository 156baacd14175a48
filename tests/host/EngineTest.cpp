// The round and turn rules driven tick by tick, without sockets: turn order and states, going
// out and the last turn, scoring, the penalty, the decision and tie-breakers, seating and the
// computer taking seats over.
#include "HostSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

using namespace pelvo;
using namespace pelvo::test;

namespace {

class EngineTest : public ::testing::Test {
protected:
    RecordingOutbox out;
    ScriptedRandom random{99};
    int speed = 5;                 // the bot speed, read at each arming
    std::optional<BotLevel> level; // when set, every seat's level from the next game start
    Engine engine{out, random, Engine::Options{}, hooks()};
    Table& t = engine.table;

    Engine::Hooks hooks() {
        Engine::Hooks h;
        h.botSpeed = [this] { return speed; };
        h.botLevels = [this] {
            std::array<BotLevel, Seats + 1> levels = engine.botLevels;
            if (level) levels.fill(*level);
            return levels;
        };
        return h;
    }

    bool req(int slot, const QString& line) { return engine.request(slot, line); }

    // People in slots 1..n, a game started by slot 1, every opening flip made on positions
    // 1 and 2, and the first turn given to seat 1.
    void startWithPeople(int people, const char* flags = "1+1+") {
        for (int i = 1; i <= people; ++i) join(engine, QStringLiteral("P%1").arg(i));
        ASSERT_TRUE(req(1, QStringLiteral("CMD_startgame+P1+3+") + flags));
        for (int s = 1; s <= people; ++s) {
            if (!t.seats[s].inGame) continue;
            ASSERT_TRUE(req(s, QStringLiteral("CMD_flipcard+%1+1+").arg(s)));
            if (s == people) random.script = {0}; // the turn then goes to the seat after 0
            ASSERT_TRUE(req(s, QStringLiteral("CMD_flipcard+%1+2+").arg(s)));
        }
        ASSERT_EQ(t.currentPlayer, 1);
        ASSERT_EQ(t.turnState, TurnState::Choose);
        out.clear();
    }

    void ticksUntilTurnPasses() {
        ASSERT_TRUE(engine.timer1.enabled);
        engine.timer1Timer();
        engine.timer1Timer();
        ASSERT_FALSE(engine.timer1.enabled);
    }
};

} // namespace

TEST_F(EngineTest, OutOfTurnAndWrongStateRequestsChangeNothingAndSendNothing) {
    join(engine, "Anna");
    join(engine, "Bo");
    ASSERT_TRUE(req(1, "CMD_startgame+Anna+3+0+0+"));
    EXPECT_FALSE(t.seats[3].inGame);

    // Opening flips: a face-up card and a third flip are refused.
    ASSERT_TRUE(req(1, "CMD_flipcard+1+4+"));
    ASSERT_TRUE(req(1, "CMD_flipcard+1+5+"));
    ASSERT_TRUE(req(2, "CMD_flipcard+2+4+"));
    out.clear();
    std::string before = dump(t);
    EXPECT_FALSE(req(1, "CMD_flipcard+1+6+"));
    EXPECT_FALSE(req(2, "CMD_flipcard+2+4+"));
    EXPECT_FALSE(req(2, "CMD_drawcard+2+")); // nobody's turn yet
    EXPECT_EQ(dump(t), before);
    EXPECT_TRUE(out.sent.empty());

    random.script = {1}; // after the last flip the turn goes to the seat after 1
    ASSERT_TRUE(req(2, "CMD_flipcard+2+7+"));
    EXPECT_EQ(out.to(1).last(), "CMD_nextplayer+2+0+");
    out.clear();

    before = dump(t);
    EXPECT_FALSE(req(1, "CMD_drawcard+1+"));         // not seat 1's turn
    EXPECT_FALSE(req(1, "CMD_replacediscard+1+3+")); // not seat 1's turn
    EXPECT_FALSE(req(2, "CMD_replacedraw+2+3+"));    // nothing drawn yet
    EXPECT_FALSE(req(2, "CMD_discarddrawn+2+"));     // nothing drawn yet
    EXPECT_EQ(dump(t), before);
    EXPECT_TRUE(out.sent.empty());

    // The draw goes to the drawer alone; a second draw or a take from the discard is refused.
    ASSERT_TRUE(req(2, "CMD_drawcard+2+"));
    const int drawn = t.drawnCard();
    ASSERT_EQ(out.sent.size(), 1u);
    EXPECT_EQ(out.sent[0].slot, 2);
    EXPECT_EQ(out.sent[0].frame, msg::drawacard(2, drawn));
    out.clear();
    before = dump(t);
    EXPECT_FALSE(req(2, "CMD_drawcard+2+"));
    EXPECT_FALSE(req(2, "CMD_replacediscard+2+3+"));
    EXPECT_EQ(dump(t), before);
    EXPECT_TRUE(out.sent.empty());

    ASSERT_TRUE(req(2, "CMD_discarddrawn+2+"));
    EXPECT_EQ(out.to(1), QStringList{QStringLiteral("CMD_discardadrawn+2+%1+").arg(drawn)});
    EXPECT_EQ(t.discardTop(), drawn);
    EXPECT_EQ(t.drawnCard(), 0);
    out.clear();
    before = dump(t);
    EXPECT_FALSE(req(2, "CMD_replacediscard+2+3+")); // the move is made: wait for the turn
    EXPECT_FALSE(req(1, "CMD_drawcard+1+"));
    EXPECT_EQ(dump(t), before);

    // The turn passes two intervals after the move.
    engine.timer1Timer();
    EXPECT_TRUE(out.sent.empty());
    engine.timer1Timer();
    EXPECT_EQ(out.to(1), QStringList{"CMD_nextplayer+1+0+"});
}

TEST_F(EngineTest, TakingTheDiscardSwapsItWithTheGridCardAndEndsTheMove) {
    startWithPeople(2, "0+0+");
    const int top = t.discardTop(), old = t.seats[1].cards[5].code;
    const int count = t.discardCount;
    ASSERT_TRUE(req(1, "CMD_replacediscard+1+5+"));
    EXPECT_EQ(out.to(2),
              QStringList{QStringLiteral("CMD_replaceadiscard+1+5+%1+%2+").arg(old).arg(top)});
    EXPECT_EQ(t.seats[1].cards[5].code, top);
    EXPECT_EQ(t.seats[1].cards[5].faceUp, 1);
    EXPECT_EQ(t.discardTop(), old);
    EXPECT_EQ(t.discardCount, count);
    out.clear();
    EXPECT_FALSE(req(1, "CMD_drawcard+1+"));
    EXPECT_FALSE(req(1, "CMD_replacediscard+1+6+"));
    EXPECT_TRUE(out.sent.empty());

    // A drawn card may also replace a face-up card; the old one goes onto the discard pile.
    ticksUntilTurnPasses();
    ASSERT_TRUE(req(2, "CMD_drawcard+2+"));
    const int drawn = t.drawnCard(), faceUpOld = t.seats[2].cards[1].code;
    ASSERT_TRUE(req(2, "CMD_replacedraw+2+1+"));
    EXPECT_EQ(out.to(1).last(),
              QStringLiteral("CMD_replaceadraw+2+1+%1+%2+").arg(faceUpOld).arg(drawn));
    EXPECT_EQ(t.discardTop(), faceUpOld);
    EXPECT_EQ(t.discardCount, count + 1);
}

TEST_F(EngineTest, ADrawFromAnEmptyDrawPileRebuildsItFromTheDiscards) {
    startWithPeople(2, "0+0+");
    // Everything left on the draw pile goes to the discard pile.
    while (t.drawPos < t.drawLimit) {
        t.discardPile[++t.discardCount] = t.drawPile[++t.drawPos];
        t.drawPile[t.drawPos] = 0;
    }
    const int discards = t.discardCount;
    ASSERT_TRUE(req(1, "CMD_drawcard+1+"));
    EXPECT_EQ(t.drawLimit, discards);
    EXPECT_EQ(t.drawPos, 1);
    EXPECT_EQ(t.discardCount, 0);
    EXPECT_EQ(out.sent.back().frame, msg::drawacard(1, t.drawPile[1]));
    EXPECT_NE(t.drawPile[1], 0);
    ASSERT_TRUE(req(1, "CMD_discarddrawn+1+"));
    EXPECT_EQ(t.discardCount, 1);
    EXPECT_EQ(t.drawPile[1], 0);
}

TEST_F(EngineTest, TheNinthCardGoesOutAtTheEndOfTheTurnAndEveryOtherSeatPlaysOnce) {
    startWithPeople(4);
    for (int p = 1; p <= 8; ++p) t.seats[1].cards[p].faceUp = 1;
    ASSERT_TRUE(req(1, "CMD_replacediscard+1+9+"));
    EXPECT_EQ(t.seats[1].faceDownCount(), 0);
    EXPECT_EQ(t.wentOut, 0); // not yet: the turn has not ended
    ticksUntilTurnPasses();
    EXPECT_EQ(t.wentOut, 1);
    EXPECT_EQ(out.to(3).last(), "CMD_nextplayer+2+1+");

    // Seat 2 also finishes its grid on its last turn: the first one out stays out.
    for (int p = 1; p <= 8; ++p) t.seats[2].cards[p].faceUp = 1;
    ASSERT_TRUE(req(2, "CMD_replacediscard+2+9+"));
    ticksUntilTurnPasses();
    EXPECT_EQ(t.wentOut, 1);
    EXPECT_EQ(out.to(3).last(), "CMD_nextplayer+3+1+");
    ASSERT_TRUE(req(3, "CMD_drawcard+3+"));
    ASSERT_TRUE(req(3, "CMD_discarddrawn+3+"));
    ticksUntilTurnPasses();
    EXPECT_EQ(out.to(3).last(), "CMD_nextplayer+4+1+");
    ASSERT_TRUE(req(4, "CMD_replacediscard+4+3+"));
    out.clear();
    engine.timer1Timer();
    engine.timer1Timer();

    // Back at the seat that went out: the round is scored, nobody gets the turn.
    EXPECT_EQ(out.commandsTo(2), (QStringList{"CMD_postscores", "CMD_postscores", "CMD_postscores",
                                              "CMD_postscores", "CMD_penalty"}
                                      .mid(0, out.commandsTo(2).size())));
    EXPECT_FALSE(out.commandsTo(2).contains("CMD_nextplayer"));
    EXPECT_EQ(t.turnState, TurnState::Wait);
    EXPECT_FALSE(req(1, "CMD_drawcard+1+"));
    // Twenty intervals later the next round starts.
    out.clear();
    for (int i = 0; i < 19; ++i) engine.timer1Timer();
    EXPECT_TRUE(out.sent.empty());
    engine.timer1Timer();
    EXPECT_EQ(out.commandsTo(2).first(), "CMD_roundstarting");
    EXPECT_EQ(t.roundNumber, 2);
}

TEST_F(EngineTest, ColumnsScoreTheBonusRowsDoNotAndJokersStayNegative) {
    Seat& s = t.seats[1];
    // Three 7s of different suits in the left column: 0; the rest 1..6.
    setGrid(s, {7, 20, 46, 1, 2, 3, 4, 5, 6}, allDown);
    EXPECT_EQ(engine.getscores(1), 21);
    setGrid(s, {53, 53, 53, 1, 2, 3, 4, 5, 6}, allUp);
    EXPECT_EQ(engine.getscores(1), -6 + 21);
    // Three 5s in the top row: no bonus.
    setGrid(s, {5, 1, 2, 18, 3, 4, 31, 6, 8}, allUp);
    EXPECT_EQ(engine.getscores(1), 39);
    // Queens and kings columns, a jack column of mixed suits.
    setGrid(s, {12, 25, 38, 13, 26, 39, 11, 24, 50}, allUp);
    EXPECT_EQ(engine.getscores(1), 0);
    setGrid(s, {12, 25, 1, 13, 26, 39, 11, 24, 2}, allUp);
    EXPECT_EQ(engine.getscores(1), 25 + 25 + 1 + 15 + 15 + 2);
}

TEST_F(EngineTest, GoingOutWithoutTheLowestScoreCostsTwentyFivePointsATieCostsNothing) {
    join(engine, "Anna");
    join(engine, "Bo");
    t.gameRunning = true;
    t.seats[1].inGame = t.seats[2].inGame = true;
    t.turnState = TurnState::Wait;
    t.wentOut = 1;
    t.seats[1].total = 3;
    t.seats[2].total = 4;
    setGrid(t.seats[1], {1, 2, 3, 4, 13, 26, 13, 26, 39}, allUp); // 10
    setGrid(t.seats[2], {1, 2, 3, 3, 13, 26, 13, 26, 39}, allUp); // 9
    out.clear();
    engine.endround();
    EXPECT_EQ(out.to(2),
              (QStringList{"CMD_postscores+1+10+13+1+1+2+2+3+3+4+4+5+13+6+26+7+13+8+26+9+39",
                           "CMD_postscores+2+9+13+1+1+2+2+3+3+4+3+5+13+6+26+7+13+8+26+9+39",
                           "CMD_penalty+1+38+"}));
    EXPECT_EQ(t.seats[1].total, 38);
    EXPECT_EQ(t.seats[1].roundScore, 10);
    EXPECT_TRUE(engine.timer1.enabled);
    EXPECT_EQ(engine.timer1.action, 2);
    EXPECT_EQ(t.delayTicks, 20);

    out.clear();
    setGrid(t.seats[2], {1, 2, 3, 4, 13, 26, 13, 26, 39}, allUp); // 10: a tie
    engine.endround();
    EXPECT_EQ(out.commandsTo(1), (QStringList{"CMD_postscores", "CMD_postscores"}));
    EXPECT_EQ(t.seats[1].total, 48);
}

TEST_F(EngineTest, ATieAtTheLowestTotalPlaysFurtherRoundsUntilOneSeatLeadsAlone) {
    join(engine, "Anna");
    t.gameRunning = true;
    for (int s = 1; s <= 4; ++s) t.seats[s].inGame = true;
    t.roundsToPlay = 3;
    t.roundNumber = 3;
    t.seats[1].total = 30;
    t.seats[2].total = 30;
    t.seats[3].total = 45;
    t.seats[4].total = 50;
    out.clear();
    engine.startround();
    EXPECT_TRUE(t.gameRunning);
    EXPECT_EQ(t.roundNumber, 4);
    EXPECT_TRUE(out.to(1).first().startsWith("CMD_roundstarting+4+"));
    EXPECT_FALSE(out.commandsTo(1).contains("CMD_winner"));

    out.clear();
    engine.timer1 = TimerSeam{};
    engine.computertimer = TimerSeam{};
    t.seats[2].total = 29;
    engine.startround();
    EXPECT_EQ(out.to(1), QStringList{"CMD_winner+Klot+"}); // seat 2 has no person
    EXPECT_FALSE(t.gameRunning);

    // Seat 3's computer wins under the name every client's label shows.
    t.gameRunning = true;
    t.seats[3].total = 1;
    out.clear();
    engine.startround();
    EXPECT_EQ(out.to(1), QStringList{"CMD_winner+Klick+"});
}

TEST_F(EngineTest, ARoundsFieldThatIsNoNumberGivesFiveRoundsAndFlagsDecideSeatsThreeAndFour) {
    join(engine, "Anna");
    join(engine, "Bo");
    join(engine, "Cy"); // slot 3 has a person: the seat plays whatever its flag says
    ASSERT_TRUE(req(1, "CMD_startgame+Anna+lots+0+0+"));
    EXPECT_EQ(t.roundsToPlay, 5);
    EXPECT_EQ(out.to(2)[3], "CMD_startgame+Anna+5+t+f+");
    EXPECT_TRUE(t.seats[3].inGame);
    EXPECT_FALSE(t.seats[4].inGame);
}

TEST_F(EngineTest, WithSeatsThreeAndFourOutTheTurnAlternatesAndOnlyTwoSeatsAreScored) {
    t.slotCount = 5;
    t.seats[5].inUse = true; // an onlooker sees every notice to all
    engine.startgame("Sim", "2", "0", "0");
    playOut(engine);
    const QStringList seen = out.to(5);
    QStringList turns;
    int turnsSeen = 0;
    for (const QString& line : seen) {
        if (line.startsWith("CMD_roundstarting+")) turns.clear();
        EXPECT_FALSE(line.startsWith("CMD_heflipped+3+") || line.startsWith("CMD_heflipped+4+"));
        EXPECT_FALSE(line.startsWith("CMD_postscores+3+") || line.startsWith("CMD_postscores+4+"));
        if (!line.startsWith("CMD_nextplayer+")) continue;
        const QString seat = line.section(u'+', 1, 1);
        EXPECT_TRUE(seat == "1" || seat == "2");
        if (!turns.isEmpty()) {
            EXPECT_NE(seat, turns.last()) << "turn " << turnsSeen;
        }
        turns << seat;
        ++turnsSeen;
    }
    EXPECT_GT(turnsSeen, 8);
    EXPECT_TRUE(seen.last().startsWith("CMD_winner+")) << seen.last().toStdString();
}

TEST_F(EngineTest, NestedComputerFlipsPassTheTurnOnlyOnce) {
    t.slotCount = 5;
    t.seats[5].inUse = true;
    engine.startgame("Sim", "3", "1", "1");
    EXPECT_EQ(out.commandsTo(5),
              (QStringList{"CMD_startgame", "CMD_roundstarting", "CMD_heflipped", "CMD_heflipped",
                           "CMD_heflipped", "CMD_heflipped", "CMD_heflipped", "CMD_heflipped",
                           "CMD_heflipped", "CMD_heflipped", "CMD_nextplayer"}));
    EXPECT_TRUE(engine.computertimer.enabled);
    EXPECT_EQ(engine.computertimer.action, 1);
    EXPECT_EQ(t.botTicks, 1);
}

TEST_F(EngineTest, TimersTakeTheBotSpeedAtEachArming) {
    startWithPeople(2, "0+0+");
    speed = 500;
    ASSERT_TRUE(req(1, "CMD_replacediscard+1+5+"));
    EXPECT_EQ(engine.timer1.interval, 500);
    ticksUntilTurnPasses();
    speed = 0; // not a speed: the default second
    ASSERT_TRUE(req(2, "CMD_replacediscard+2+5+"));
    EXPECT_EQ(engine.timer1.interval, 1000);
}

TEST_F(EngineTest, ALostSeatIsTakenOverOnItsTurnAndDuringItsOpeningFlips) {
    for (int i = 1; i <= 3; ++i) join(engine, QStringLiteral("P%1").arg(i));
    ASSERT_TRUE(req(1, "CMD_startgame+P1+3+0+0+"));
    ASSERT_TRUE(req(3, "CMD_flipcard+3+1+"));
    out.clear();
    // One flip left: the computer makes it at once.
    engine.lostConnection(3);
    EXPECT_EQ(out.to(1), (QStringList{"CMD_playerdisconnected+3+P3",
                                      QStringLiteral("CMD_heflipped+3+%1+%2+")
                                          .arg(out.to(1).value(1).section(u'+', 2, 2))
                                          .arg(out.to(1).value(1).section(u'+', 3, 3))}));
    EXPECT_EQ(t.seats[3].flipsLeft, 0);
    EXPECT_FALSE(t.seats[3].inUse);
    EXPECT_TRUE(t.seats[3].name.isEmpty());

    // A second close notice for the freed slot sends nothing.
    out.clear();
    engine.lostConnection(3);
    EXPECT_TRUE(out.sent.empty());

    // Seat 2 leaves on its own turn while choosing: the computer acts one interval later.
    join(engine, "Cy"); // takes slot 3 again, and with it seat 3
    EXPECT_EQ(t.seats[3].name, "Cy");
    for (int s : {1, 2}) {
        ASSERT_TRUE(req(s, QStringLiteral("CMD_flipcard+%1+1+").arg(s)));
        if (s == 2) random.script = {1};
        ASSERT_TRUE(req(s, QStringLiteral("CMD_flipcard+%1+2+").arg(s)));
    }
    ASSERT_EQ(t.currentPlayer, 2);
    speed = 250;
    engine.lostConnection(2);
    EXPECT_TRUE(engine.computertimer.enabled);
    EXPECT_EQ(engine.computertimer.action, 1);
    EXPECT_EQ(engine.computertimer.interval, 250);
    out.clear();
    engine.computertimerTimer();
    EXPECT_NE(t.turnState, TurnState::Choose); // it took the discard or drew
}

TEST_F(EngineTest, TheHostsOwnSeatIsTakenOverOnlyAtADedicatedTable) {
    for (bool windowless : {false, true}) {
        RecordingOutbox o;
        ScriptedRandom r{5};
        Engine e(o, r, Engine::Options{windowless});
        join(e, "Host");
        join(e, "Bo");
        ASSERT_TRUE(e.request(1, "CMD_startgame+Host+3+0+0+"));
        ASSERT_TRUE(e.request(1, "CMD_flipcard+1+1+"));
        e.lostConnection(1);
        EXPECT_EQ(e.table.seats[1].flipsLeft, windowless ? 0 : 1) << windowless;
    }
}

TEST_F(EngineTest, JustWatchHandsTheSeatToTheComputerAndBack) {
    join(engine, "Anna");
    join(engine, "Bo");
    out.clear();
    EXPECT_FALSE(req(2, "CMD_justwatch+2+1")); // no game: nothing
    EXPECT_TRUE(out.sent.empty());
    EXPECT_TRUE(req(2, "CMD_justwatch+2+2"));
    EXPECT_EQ(out.to(1), QStringList{"CMD_justwatching+2+2"});

    ASSERT_TRUE(req(1, "CMD_startgame+Anna+3+0+0+"));
    out.clear();
    // Slot 1's own seat during the opening flips: the computer makes both at once.
    EXPECT_TRUE(req(1, "CMD_justwatch+1+1"));
    EXPECT_EQ(out.commandsTo(2),
              (QStringList{"CMD_justwatching", "CMD_heflipped", "CMD_heflipped"}));
    EXPECT_TRUE(t.seats[1].watching);
    EXPECT_EQ(t.seats[1].flipsLeft, 0);
    EXPECT_FALSE(req(2, "CMD_justwatch+2+7")); // no such mode
    EXPECT_FALSE(req(2, "CMD_justwatch+5+1")); // no such seat
}

TEST_F(EngineTest, JustWatchOnTheSeatsOwnTurnLetsTheComputerFinishIt) {
    startWithPeople(2, "0+0+");
    // Before the move: the computer plays the turn from its start.
    EXPECT_TRUE(req(1, "CMD_justwatch+1+1"));
    EXPECT_TRUE(engine.computertimer.enabled);
    EXPECT_EQ(engine.computertimer.action, 1);
    EXPECT_EQ(engine.computertimer.interval, 5);

    // After a draw: the computer only decides what to do with the drawn card.
    EXPECT_TRUE(req(1, "CMD_justwatch+1+2"));
    engine.computertimer = TimerSeam{};
    ASSERT_TRUE(req(1, "CMD_drawcard+1+"));
    EXPECT_FALSE(engine.computertimer.enabled);
    EXPECT_TRUE(req(1, "CMD_justwatch+1+1"));
    EXPECT_TRUE(engine.computertimer.enabled);
    EXPECT_EQ(engine.computertimer.action, 2);
    out.clear();
    engine.computertimerTimer();
    EXPECT_EQ(t.turnState, TurnState::Wait);
    const QStringList sent = out.commandsTo(2);
    EXPECT_TRUE(sent == QStringList{"CMD_replaceadraw"} || sent == QStringList{"CMD_discardadrawn"})
        << sent.join(' ').toStdString();

    // Once the move is made there is nothing left for the computer to do.
    EXPECT_TRUE(req(1, "CMD_justwatch+1+2"));
    engine.computertimer = TimerSeam{};
    EXPECT_TRUE(req(1, "CMD_justwatch+1+1"));
    EXPECT_FALSE(engine.computertimer.enabled);
}

TEST_F(EngineTest, SlotsAreGivenLowestFirstAndATenthConnectionIsRefused) {
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(engine.acceptConnection(), i);
    engine.lostConnection(2);
    EXPECT_EQ(engine.acceptConnection(), 2);
    for (int i = 4; i <= 9; ++i) EXPECT_EQ(engine.acceptConnection(), i);
    EXPECT_EQ(engine.acceptConnection(), 10);
    EXPECT_EQ(t.slotCount, 9);
    EXPECT_FALSE(t.seats[10].inUse);
}

TEST_F(EngineTest, LoginAnnouncesListsAndFlagsAVersionMismatch) {
    join(engine, "Anna");
    join(engine, "Bo");
    out.clear();
    const int slot = engine.acceptConnection();
    ASSERT_TRUE(req(slot, "CMD_logininfo+3+0.9+Cy+Dee")); // names may hold "+"
    EXPECT_EQ(out.to(3), (QStringList{"CMD_newplayerinfo+3+Cy+Dee", "CMD_existingplayers+1+Anna",
                                      "CMD_existingplayers+2+Bo", "CMD_wrongversion+"}));
    EXPECT_EQ(out.to(1),
              (QStringList{"CMD_newplayerinfo+3+Cy+Dee", "CMD_havewrongversion+Cy+Dee"}));

    // During a game the newcomer also gets the snapshot, face-down cards left out.
    ASSERT_TRUE(req(1, "CMD_startgame+Anna+4+0+0+"));
    engine.lostConnection(3);
    ASSERT_TRUE(req(1, "CMD_flipcard+1+4+"));
    out.clear();
    ASSERT_EQ(engine.acceptConnection(), 3);
    ASSERT_TRUE(req(3, "CMD_logininfo+3+1.0.1+Eve"));
    // Seat 3 had a person at the start, so it plays (now by the computer, which flipped at
    // once); seat 4 stays out.
    QString faceUp = QStringLiteral("+1+4+%1").arg(t.seats[1].cards[4].code);
    for (int p = 1; p <= 9; ++p)
        if (t.seats[3].cards[p].faceUp)
            faceUp += QStringLiteral("+3+%1+%2").arg(p).arg(t.seats[3].cards[p].code);
    ASSERT_EQ(faceUp.count(u'+'), 9);
    const QString expected = QStringLiteral("CMD_gamestats+3+4+1+%1+%2+0+0+0+0+0+1")
                                 .arg(t.currentPlayer)
                                 .arg(t.discardTop()) +
                             faceUp;
    EXPECT_EQ(out.to(3).last(), expected);
}

namespace {

// What the host relays stays well below a client's 64 KiB frame, counted in the bytes it sends.
TEST_F(EngineTest, RelayedNamesAndLinesStayBelowWhatAClientTakesInOneFrame) {
    // A name of 60,000 Latin-1 "é" would be 120,000 bytes in UTF-8: it is cut to 64 characters.
    const int slot = join(engine, QString(60000, QChar(0xE9)));
    EXPECT_EQ(t.seats[slot].name, QString(64, QChar(0xE9)));
    // A surrogate pair at the cut goes whole.
    const int emoji = join(engine, QString(63, u'a') + QStringLiteral("\U0001F600") + "tail");
    EXPECT_EQ(t.seats[emoji].name, QString(63, u'a'));
    out.clear();

    // 16,000 "é" (the most a chat entry takes) are relayed; 50,000 are refused whole.
    const QString fits(16000, QChar(0xE9)), huge(50000, QChar(0xE9));
    for (const char* kind : {"chat", "action"}) {
        SCOPED_TRACE(kind);
        out.clear();
        EXPECT_TRUE(
            req(slot, QStringLiteral("CMD_%1+%2+%3|clBlack").arg(kind).arg(slot).arg(fits)));
        ASSERT_FALSE(out.sent.empty());
        for (const auto& sent : out.sent) EXPECT_LT(sent.frame.size(), 48 * 1024);
        out.clear();
        EXPECT_FALSE(
            req(slot, QStringLiteral("CMD_%1+%2+%3|clBlack").arg(kind).arg(slot).arg(huge)));
        EXPECT_TRUE(out.sent.empty());
    }
    EXPECT_FALSE(req(slot, QStringLiteral("CMD_playasound+%1+%2+").arg(slot).arg(huge)));
    EXPECT_TRUE(out.sent.empty());
}

} // namespace

TEST_F(EngineTest, TheComputerPlayersLevelIsSaidWhenAGameStartsAboveClassic) {
    t.slotCount = 5;
    t.seats[5].inUse = true; // an onlooker sees every notice to all
    engine.startgame("Sim", "3", "1", "1");
    EXPECT_FALSE(out.commandsTo(5).contains("CMD_action")); // a classic game says nothing new

    out.clear();
    level = BotLevel::Expert;
    engine.startgame("Sim", "3", "1", "1");
    const QStringList seen = out.to(5);
    ASSERT_GE(seen.size(), 2);
    EXPECT_TRUE(seen[0].startsWith("CMD_startgame+"));
    // A host line from slot 0 in the system colour, as every client shows a relayed action.
    EXPECT_EQ(seen[1], "CMD_action+0+Computer players: Expert.|clBlue");
    for (int s = 1; s <= Seats; ++s) EXPECT_EQ(engine.levelOf(s), BotLevel::Expert);
    playOut(engine);
    EXPECT_TRUE(out.to(5).last().startsWith("CMD_winner+"));

    // Levels set seat by seat (as the simulator does) are named seat by seat.
    out.clear();
    level.reset();
    engine.botLevels = {BotLevel::Classic, BotLevel::Classic, BotLevel::Expert, BotLevel::Classic,
                        BotLevel::Expert};
    engine.startgame("Sim", "3", "0", "1");
    EXPECT_EQ(
        out.to(5)[1],
        "CMD_action+0+Computer players: seat 1 Classic, seat 2 Expert, seat 4 Expert.|clBlue");
}
