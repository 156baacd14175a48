// Players' windows at a dedicated table over real sockets: the first in runs the table from its
// window and the rights pass on when it leaves; a window whose connection is cut mid-turn gets
// its seat back by itself; a program killed mid-game gets its seat back from the stored token.
// Each window's seat is played through its session by the computer rules, as clicks would.
// PELVO_SHOT_DIR=<folder> also writes pictures of the windows.

#include "bot/BotPlayer.h"
#include "client/Tchat.h"
#include "client/board/Board.h"
#include "client/chat/ChatPanel.h"
#include "e2e/PelvoProcess.h"
#include "e2e/TcpProxy.h"
#include "host/TServer.h"
#include "host/TableProcess.h"
#include "net/TSock.h"
#include "session/SeatKeys.h"
#include "support/TestEnv.h"
#include "windows/MessageBox.h"
#include "windows/Tgamestart.h"
#include "windows/Tspylist.h"

// Qt
#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// std
#include <csignal>
#include <memory>

namespace pelvo {
namespace {

QString chatOf(const Tchat& w) {
    return w.chat()->plainText();
}

void shoot(QWidget& w, const QString& name) {
    const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
    if (dir.isEmpty()) return;
    QTest::qWait(50); // let the last notice paint
    EXPECT_TRUE(w.grab().save(QDir(dir).filePath(name + ".png"))) << name.toStdString();
}

bool gameOver(const Tchat& w) {
    return !w.session().table().winnerText.isEmpty();
}

// Environment of in-process windows: their port, a settings folder, message boxes recorded.
class WindowsAtATable : public ::testing::Test {
protected:
    QTemporaryDir home;
    QStringList boxes;
    MessageBoxHandler previous;

    void SetUp() override {
        qputenv("PELVO_HOME", home.path().toUtf8());
        previous = setMessageBoxHandler([this](QWidget*, const QString& text) { boxes << text; });
    }
    void TearDown() override {
        setMessageBoxHandler(previous);
        qunsetenv("PELVO_PORT");
    }
    std::unique_ptr<Tchat> window(const QString& name, quint16 port) {
        qputenv("PELVO_PORT", QByteArray::number(port));
        auto w = std::make_unique<Tchat>(QStringList{name, "127.0.0.1", "false"});
        w->show(); // its first showing reads the command line and joins
        return w;
    }
    // Starts a game the way a player does: the Start button, then the dialog's Start.
    static void startFromWindow(Tchat& w) {
        w.board()->button_start()->click();
        ASSERT_TRUE(w.gamestart()->isVisible());
        w.gamestart()->setRounds(3);
        w.gamestart()->button_startClick();
    }
};

TEST_F(WindowsAtATable, TheFirstInStartsAndWhenItLeavesTheNextRunsTheTable) {
    test::TableProcess table;
    ASSERT_TRUE(table.startOnFreePort("2"));
    auto anna = window("Anna", table.port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna->session().state().ishost; }, 10000))
        << chatOf(*anna).toStdString();
    auto bo = window("Bo", table.port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bo->seatCaption(1) == "Anna"; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna->seatCaption(2) == "Bo"; }, 10000));

    // What a hosting player has, in the window that runs the table only.
    auto* annaStart = anna->findChild<QAction*>("StartGame1");
    auto* boStart = bo->findChild<QAction*>("StartGame1");
    ASSERT_TRUE(annaStart && boStart);
    EXPECT_TRUE(annaStart->isEnabled());
    EXPECT_TRUE(anna->board()->button_start()->isVisible());
    EXPECT_TRUE(anna->spylist()->popup_kickhim()->isEnabled());
    anna->label_playername1ContextPopup(2);
    EXPECT_TRUE(anna->findChild<QAction*>("RemoveFromGame1")->isEnabled());
    EXPECT_TRUE(anna->findChild<QAction*>("SettoJustWatch1")->isEnabled());
    EXPECT_FALSE(boStart->isEnabled());
    EXPECT_FALSE(bo->board()->button_start()->isVisible());
    bo->label_playername1ContextPopup(1);
    EXPECT_FALSE(bo->findChild<QAction*>("RemoveFromGame1")->isEnabled());
    shoot(*anna, "table-rights-start-game");

    BotPlayer annaHand(anna->session(), 1), boHand(bo->session(), 2);
    ASSERT_NO_FATAL_FAILURE(startFromWindow(*anna));
    ASSERT_TRUE(QTest::qWaitFor([&] { return gameOver(*anna) && gameOver(*bo); }, 120000))
        << anna->board()->label_status()->text().toStdString();
    EXPECT_TRUE(chatOf(*bo).contains("Anna has started a game."));
    EXPECT_EQ(anna->session().table().seats[2].score, bo->session().table().seats[2].score);

    // Anna leaves: Bo runs the table now, and starts the next game from his window.
    anna.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bo->session().state().ishost; }, 10000));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return chatOf(*bo).contains("Bo now runs the table."); }, 5000));
    EXPECT_TRUE(boStart->isEnabled());
    EXPECT_TRUE(bo->board()->button_start()->isVisible());
    ASSERT_NO_FATAL_FAILURE(startFromWindow(*bo));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return chatOf(*bo).contains("Bo has started a game."); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return gameOver(*bo); }, 120000));
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join("; ").toStdString();
}

TEST_F(WindowsAtATable, AWindowCutOffMidTurnComesBackToItsSeatAndPlaysOn) {
    TServer server(TServer::Options{.windowless = true, .reserveSeconds = 4});
    server.botSpeed = [] { return 15; };
    const quint16 port = test::freePort();
    server.Sock1->setPortName(QString::number(port));
    server.Sock1->setListen(true);
    test::TcpProxy proxy(port);
    ASSERT_TRUE(proxy.open());

    test::ProtocolPlayer anna("Anna");
    ASSERT_TRUE(anna.client.connectTo(port));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.table().seats[1].name == "Anna"; }, 5000));
    auto bo = window("Bo", proxy.port());
    bo->session().connection().setReconnectBase(100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bo->session().state().myseat == 2; }, 10000));
    auto hand = std::make_unique<BotPlayer>(bo->session(), 5);
    anna.client.send("CMD_startgame+Anna+5+1+1+\xFF");

    // Round 2, Bo's turn: the connection is cut, and nothing is taken for a while. (Bo's hand
    // stops once his opening flips are made, so that his turn waits for him.)
    const Table& t = server.table();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return t.roundNumber >= 2 && t.seats[2].flipsLeft == 0 &&
                   t.turnState != TurnState::Flip;
        },
        60000));
    hand.reset();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return t.currentPlayer == 2 && t.turnState == TurnState::Choose; }, 10000));
    proxy.pause();
    proxy.cut();
    const auto movesOf2 = [&] {
        return anna.client.count("CMD_replaceadraw+2+") +
               anna.client.count("CMD_discardadrawn+2+") +
               anna.client.count("CMD_replaceadiscard+2+");
    };
    const qsizetype movesBefore = movesOf2();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return chatOf(*bo).contains("Connection lost — reconnecting…"); }, 5000));
    EXPECT_TRUE(bo->session().reconnecting());
    shoot(*bo, "reconnecting-chat");
    // Meanwhile the computer plays the seat, and the seat waits for Bo.
    ASSERT_TRUE(QTest::qWaitFor([&] { return movesOf2() > movesBefore; }, 5000));
    EXPECT_TRUE(server.engine().isReserved(2));
    // A stranger by the same name without the token gets another slot (and plays seat 3).
    test::ProtocolPlayer stranger("Bo");
    ASSERT_TRUE(stranger.client.connectTo(port));
    ASSERT_TRUE(QTest::qWaitFor([&] { return stranger.slot != 0; }, 5000));
    EXPECT_NE(stranger.slot, 2);

    // The proxy takes connections again: the window finds its seat by itself.
    ASSERT_TRUE(proxy.listen());
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.client.count("CMD_action+0+Bo is back.|") == 1; },
                                10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return chatOf(*bo).contains("Bo is back."); }, 10000));
    EXPECT_FALSE(bo->session().reconnecting());
    EXPECT_EQ(bo->session().state().myseat, 2);
    EXPECT_TRUE(t.seats[2].inUse);
    // Nobody moves for Bo now: his own cards are exactly the host's.
    const auto sameOwnCards = [&] {
        for (int p = 1; p <= 9; ++p) {
            const CardView& mine = bo->session().table().seats[2].cards[std::size_t(p)];
            const Cell& host = t.seats[2].cards[p];
            EXPECT_EQ(mine.code, host.code) << p;
            EXPECT_EQ(mine.picture, host.faceUp ? host.code : 0) << p;
        }
    };
    sameOwnCards();
    // Once the table waits for Bo again, everything he sees is the host's.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const bool hostWaits = (t.currentPlayer == 2 && (t.turnState == TurnState::Choose ||
                                                             t.turnState == TurnState::Draw)) ||
                                   (t.turnState == TurnState::Flip && t.seats[2].flipsLeft > 0);
            return hostWaits && bo->session().table().turnSeat == 2 &&
                   bo->session().connection().received().isEmpty();
        },
        20000))
        << "round " << t.roundNumber << " current " << t.currentPlayer << " state "
        << int(t.turnState) << " flips " << t.seats[1].flipsLeft << t.seats[2].flipsLeft
        << t.seats[3].flipsLeft << t.seats[4].flipsLeft << " in use " << t.seats[1].inUse
        << t.seats[2].inUse << t.seats[3].inUse << t.seats[4].inUse << " seen turn "
        << bo->session().table().turnSeat << " queued "
        << bo->session().connection().received().size() << " stranger " << stranger.slot
        << " ctimer " << server.engine().computertimer.enabled << " t1 "
        << server.engine().timer1.enabled << " discards " << t.discardCount << " wentout "
        << t.wentOut << "\n"
        << chatOf(*bo).toStdString();
    sameOwnCards();
    const TableModel& seen = bo->session().table();
    for (int s = 1; s <= 4; ++s) {
        EXPECT_EQ(seen.seats[std::size_t(s)].score, t.seats[s].total) << s;
        for (int p = 1; p <= 9; ++p)
            if (t.seats[s].cards[p].faceUp) {
                EXPECT_EQ(seen.seats[std::size_t(s)].cards[std::size_t(p)].picture,
                          t.seats[s].cards[p].code)
                    << s << "/" << p;
            }
    }
    EXPECT_EQ(seen.discardPicture, t.discardTop());
    EXPECT_EQ(seen.round, t.roundNumber);
    shoot(*bo, "reconnected-chat");
    EXPECT_EQ(chatOf(*bo).count("Connection lost — reconnecting…"), 1);

    // Bo plays on to the end; every total he sees is the host's.
    hand = std::make_unique<BotPlayer>(bo->session(), 6);
    hand->act();
    ASSERT_TRUE(QTest::qWaitFor([&] { return gameOver(*bo); }, 120000))
        << bo->board()->label_status()->text().toStdString();
    for (int s = 1; s <= 4; ++s)
        EXPECT_EQ(bo->session().table().seats[std::size_t(s)].score, t.seats[s].total) << s;
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join("; ").toStdString();

    // Cut off for longer than the seat is kept: the window says so and ends; the seat is free.
    hand.reset();
    anna.client.send("CMD_startgame+Anna+5+1+1+\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bo->session().table().winnerText.isEmpty(); }, 5000));
    proxy.pause();
    proxy.cut();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !bo->isVisible(); }, 15000));
    EXPECT_EQ(boxes, QStringList{"The connection to the table was lost."});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server.engine().isReserved(2); }, 3000));
    test::RawClient late;
    ASSERT_TRUE(late.connectTo(port));
    EXPECT_EQ(late.login("Late"), 2);
}

TEST(KilledWindow, ARestartedProgramReclaimsItsSeatFromTheStoredToken) {
    test::TableProcess table;
    const quint16 port = test::freePort();
    ASSERT_TRUE(table.start(
        {"--port", QString::number(port), "--bot-speed", "200", "--reserve-seconds", "60"}));
    test::ProtocolPlayer anna("Anna");
    ASSERT_TRUE(anna.client.connectTo(port));
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.slot == 1; }, 5000));

    test::PelvoProcess bo(port);
    bo.start({"Bo", "127.0.0.1", "false"});
    ASSERT_TRUE(anna.client.waitFor("CMD_newplayerinfo+2+Bo", 15000)) << qPrintable(bo.chat());
    anna.client.send("CMD_startgame+Anna+9+1+1+\xFF");
    ASSERT_TRUE(test::eventually([&] { return bo.chat().contains("Anna has started a game."); }))
        << qPrintable(bo.chat());
    const QString key = seatkeys::pathOf(bo.home(), "127.0.0.1", QString::number(port));
    ASSERT_TRUE(test::eventually([&] { return QFile::exists(key); }));
    EXPECT_EQ(QFile(key).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              QFileDevice::Permissions());

    ::kill(pid_t(bo.process().processId()), SIGKILL);
    ASSERT_TRUE(bo.waitForExit());
    ASSERT_TRUE(anna.client.waitFor("CMD_playerdisconnected+2+Bo"));
    // While Bo is away his seat is not given away.
    test::RawClient other;
    ASSERT_TRUE(other.connectTo(port));
    EXPECT_EQ(other.login("Bo"), 3);

    bo.start({"Bo", "127.0.0.1", "false"});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return anna.client.count("CMD_action+0+Bo is back.|") == 1; }, 15000))
        << qPrintable(bo.chat());
    EXPECT_EQ(anna.client.count("CMD_newplayerinfo+2+Bo"), 2);
    ASSERT_TRUE(test::eventually([&] { return bo.chat().contains("Bo is back."); }))
        << qPrintable(bo.chat());
    EXPECT_TRUE(bo.running());
}

} // namespace
} // namespace pelvo
