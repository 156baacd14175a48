// The table host over real loopback sockets with raw clients reading exact bytes: seating,
// login, removal, relays, and clients that lie, babble or flood.
#include "HostSupport.h"
#include "RawClient.h"
#include "host/TServer.h"
#include "net/TSock.h"
#include "support/TestEnv.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

using namespace pelvo;
using namespace pelvo::test;

namespace {

class SocketTest : public ::testing::Test {
protected:
    std::unique_ptr<TServer> server;
    quint16 port = 0;
    QStringList log; // the operator's event lines

    void SetUp() override { start(false); }

    void start(bool windowless, std::chrono::milliseconds loginTimeout = TServer::LoginTimeout) {
        server = std::make_unique<TServer>(
            TServer::Options{.windowless = windowless, .loginTimeout = loginTimeout});
        server->eventLog = [this](const QString& line) { log << line; };
        server->botSpeed = [] { return 2; };
        server->seed(1234);
        port = freePort();
        server->Sock1->setPortName(QString::number(port));
        server->Sock1->setListen(true);
    }

    std::unique_ptr<RawClient> client() {
        auto c = std::make_unique<RawClient>();
        EXPECT_TRUE(c->connectTo(port));
        return c;
    }
    std::unique_ptr<RawClient> player(const QByteArray& name) {
        auto c = client();
        EXPECT_NE(c->login(name), 0) << name.constData();
        return c;
    }
    bool idle() {
        return QTest::qWaitFor([&] { return server->queuedLines() == 0; }, 5000);
    }
    // A chat line from `c` reaching `watcher`: everything `c` sent before has been handled.
    void marker(RawClient& c, int slot, RawClient& watcher, const QByteArray& name) {
        const QByteArray text = "mark" + QByteArray::number(++markers_);
        c.send("CMD_chat+" + QByteArray::number(slot) + "+" + text + "\xFF");
        ASSERT_TRUE(watcher.waitFor("CMD_chat+" + QByteArray::number(slot) + "+" + name +
                                    " chats: " + text));
    }
    int markers_ = 0;
};

} // namespace

TEST_F(SocketTest, TheLowestFreeSlotIsGivenAndATenthConnectionIsRefused) {
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 1; i <= 3; ++i) {
        clients.push_back(client());
        ASSERT_TRUE(clients.back()->waitFrames(1));
        EXPECT_EQ(clients.back()->raw, "CMD_sendlogininfo+" + QByteArray::number(i) + "\xFF");
    }
    clients[1]->socket.disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server->table().seats[2].inUse; }, 5000));
    clients[1] = client();
    ASSERT_TRUE(clients[1]->waitFrames(1));
    EXPECT_EQ(clients[1]->raw, "CMD_sendlogininfo+2\xFF");

    for (int i = 4; i <= 9; ++i) {
        clients.push_back(client());
        ASSERT_TRUE(clients.back()->waitFrames(1));
    }
    auto tenth = client();
    ASSERT_TRUE(tenth->waitClosed());
    EXPECT_EQ(tenth->raw, QByteArray("CMD_full+\xFF"));
    EXPECT_EQ(server->table().slotCount, 9);
    for (auto& c : clients) EXPECT_EQ(c->socket.state(), QAbstractSocket::ConnectedState);
    EXPECT_FALSE(server->table().seats[10].inUse);
    EXPECT_EQ(server->Sock1->MaxOutbound, 1024 * 1024);
}

TEST_F(SocketTest, ALateJoinerGetsTheLoginSequenceInOrderWithTheSnapshotLast) {
    auto anna = player("Anna");
    auto bo = player("Bo");
    anna->send("CMD_startgame+Anna+3+0+0+\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bo->count("CMD_mycards+2+1+") == 1; }, 5000));
    EXPECT_TRUE(bo->frames.last().startsWith("CMD_mycards+2+1+"));
    EXPECT_TRUE(bo->frames[bo->frames.size() - 2].startsWith("CMD_roundstarting+1+"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna->count("CMD_mycards+") == 1; }, 5000));
    EXPECT_EQ(anna->count("CMD_mycards+2+"), 0);

    auto cy = client();
    ASSERT_EQ(cy->login("Cy", "0.9"), 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cy->count("CMD_gamestats+") == 1; }, 5000));
    const Table& t = server->table();
    // Added notices may come between; the described ones keep their order, the snapshot last.
    EXPECT_TRUE(cy->frames.last().startsWith("CMD_gamestats+"));
    EXPECT_EQ(
        cy->described().mid(1),
        (QList<QByteArray>{"CMD_newplayerinfo+3+Cy", "CMD_existingplayers+1+Anna",
                           "CMD_existingplayers+2+Bo", "CMD_wrongversion+",
                           // nobody has flipped yet: the empty face-up list
                           "CMD_gamestats+3+3+1+" + QByteArray::number(t.currentPlayer) + "+" +
                               QByteArray::number(t.discardTop()) + "+0+0+0+0+1+1+0+0+0"}));
    ASSERT_TRUE(anna->waitFor("CMD_havewrongversion+Cy"));
    EXPECT_EQ(anna->frames.indexOf("CMD_havewrongversion+Cy"),
              anna->frames.indexOf("CMD_newplayerinfo+3+Cy") + 1);
    EXPECT_EQ(bo->count("CMD_havewrongversion"), 0);
}

TEST_F(SocketTest, OnlySlotOneRemovesAndEachDepartureIsAnnouncedOnce) {
    auto anna = player("Anna");
    auto bo = player("Bo");
    auto cy = player("Cy");
    bo->send("CMD_kickhim+2+3+\xFF");
    bo->send("CMD_kickhim+1+3+\xFF"); // pretending to be slot 1
    ASSERT_NO_FATAL_FAILURE(marker(*bo, 2, *anna, "Bo"));
    EXPECT_EQ(cy->socket.state(), QAbstractSocket::ConnectedState);

    anna->send("CMD_kickhim+1+3+\xFF");
    ASSERT_TRUE(cy->waitClosed());
    ASSERT_TRUE(bo->waitFor("CMD_playerdisconnected+3+Cy"));

    // Bo leaves by himself: his socket reports the close twice; the others hear of it once.
    bo->socket.disconnectFromHost();
    ASSERT_TRUE(anna->waitFor("CMD_playerdisconnected+2+Bo"));
    ASSERT_NO_FATAL_FAILURE(marker(*anna, 1, *anna, "Anna"));
    EXPECT_EQ(anna->count("CMD_playerdisconnected+"), 2);
    EXPECT_FALSE(server->table().seats[2].inUse);
    EXPECT_TRUE(server->table().seats[2].name.isEmpty());
}

TEST_F(SocketTest, JustWatchWithoutAGameSendsNothingAndChatIsRelayedUnchanged) {
    auto anna = player("Anna");
    auto bo = player("Bo");
    ASSERT_NO_FATAL_FAILURE(marker(*bo, 2, *bo, "Bo"));
    const qsizetype before = bo->frames.size();
    anna->send("CMD_justwatch+1+1\xFF");
    ASSERT_NO_FATAL_FAILURE(marker(*anna, 1, *bo, "Anna"));
    EXPECT_EQ(bo->frames.size(), before + 1);

    anna->send("CMD_justwatch+1+2\xFF");
    ASSERT_TRUE(bo->waitFor("CMD_justwatching+1+2"));

    bo->send("CMD_chat+2+a+b++c 1+1=2|clRed\xFF");
    ASSERT_TRUE(anna->waitFor("CMD_chat+2+Bo chats: a+b++c 1+1=2|clRed"));
    bo->send("CMD_action+2+says: hi+there|$00FF0000\xFF");
    ASSERT_TRUE(anna->waitFor("CMD_action+2+Bo says: hi+there|$00FF0000"));
    bo->send("CMD_playasound+2+wave7+\xFF");
    ASSERT_TRUE(anna->waitFor("CMD_playasound+2+wave7+"));
    EXPECT_TRUE(bo->frames.contains("CMD_playasound+2+wave7+"));

    // A chat line cut across two reads is kept whole.
    bo->send("CMD_chat+2+hel");
    QTest::qWait(50);
    bo->send("lo|clRed\xFF");
    ASSERT_TRUE(anna->waitFor("CMD_chat+2+Bo chats: hello|clRed"));
}

TEST_F(SocketTest, AClientClaimingAnotherSlotChangesNothingAndHearsNothing) {
    auto anna = player("Anna");
    auto bo = player("Bo");
    auto cy = player("Cy");
    anna->send("CMD_startgame+Anna+3+0+0+\xFF");
    ASSERT_TRUE(cy->waitFor("CMD_startgame+Anna+3+t+f+"));
    anna->send("CMD_flipcard+1+1+\xFF");
    for (RawClient* c : {anna.get(), bo.get(), cy.get()})
        ASSERT_TRUE(QTest::qWaitFor([&] { return c->count("CMD_heflipped+1+1+") == 1; }, 5000));
    ASSERT_TRUE(idle());
    const std::string before = dump(server->table());
    const qsizetype a = anna->frames.size(), b = bo->frames.size(), c = cy->frames.size();

    const QByteArray lies[] = {
        "CMD_logininfo+1+1.0.1+Mallory",
        "CMD_logininfo+3+1.0.1+Mallory",
        "CMD_kickhim+1+3+",
        "CMD_kickhim+2+1+",
        "CMD_chat+1+hi|clRed",
        "CMD_chat+3+hi|clRed",
        "CMD_action+1+waves|clRed",
        "CMD_playasound+1+wave3+",
        "CMD_startgame+Bo+5+1+1+",
        "CMD_justwatch+1+1",
        "CMD_justwatch+3+2",
        "CMD_flipcard+1+2+",
        "CMD_flipcard+3+1+",
        "CMD_drawcard+1+",
        "CMD_replacedraw+1+1+",
        "CMD_discarddrawn+3+",
        "CMD_replacediscard+1+1+",
        // numbers outside the tables
        "CMD_flipcard+2+0+",
        "CMD_flipcard+2+10+",
        "CMD_flipcard+2+-3+",
        "CMD_flipcard+99+1+",
        "CMD_kickhim+2+99+",
        "CMD_justwatch+-1+1",
        "CMD_justwatch+11+1",
        "CMD_chat+99+x",
        "CMD_logininfo+2147483647+1+x",
        "CMD_logininfo+99999999999+1+x",
        "CMD_replacediscard+2+1000000+",
    };
    for (const QByteArray& line : lies) bo->send(line + "\xFF");
    ASSERT_NO_FATAL_FAILURE(marker(*bo, 2, *cy, "Bo"));
    ASSERT_TRUE(anna->waitFrames(a + 1));
    EXPECT_EQ(anna->frames.size(), a + 1) << anna->frames.mid(a).join(' ').toStdString();
    EXPECT_EQ(bo->frames.size(), b + 1);
    EXPECT_EQ(cy->frames.size(), c + 1);
    EXPECT_EQ(dump(server->table()), before);
}

TEST_F(SocketTest, GarbageIsDroppedAndABrokenStreamClosesOnlyItsConnection) {
    auto anna = player("Anna");
    auto bo = player("Bo");
    auto cy = player("Cy");
    const qsizetype a = anna->frames.size();
    QByteArray junk = QByteArray("\x00\x01\x02", 3) + "\xFF+\xFF"
                                                      "CMD_\xFF"
                                                      "cmd_chat+2+x\xFF"
                                                      "CMD_chat\xFF"
                                                      "CMD_flipcard+two+three+\xFF"
                                                      "CMD_chat+2\xFF"
                                                      "CMD_nosuch+1+\xFF";
    for (int i = 0; i < 4000; ++i) junk += char((i * 37) % 255); // no 0xFF in it
    junk += '\xFF';
    bo->send(junk);
    ASSERT_NO_FATAL_FAILURE(marker(*bo, 2, *anna, "Bo"));
    EXPECT_EQ(anna->frames.size(), a + 1);

    // A megabyte without a terminator is no peer of ours.
    cy->send(QByteArray(1024 * 1024, 'A'));
    ASSERT_TRUE(cy->waitClosed(10000));
    ASSERT_TRUE(anna->waitFor("CMD_playerdisconnected+3+Cy"));
    ASSERT_NO_FATAL_FAILURE(marker(*bo, 2, *anna, "Bo"));

    // Neither is a flood of lines faster than the table can read them.
    auto dee = player("Dee");
    QByteArray flood;
    for (int i = 0; i < TServer::MaxQueuedLines + 10; ++i) flood += "CMD_nosuch+1+\xFF";
    dee->send(flood);
    ASSERT_TRUE(dee->waitClosed(10000));
    ASSERT_NO_FATAL_FAILURE(marker(*bo, 2, *anna, "Bo"));
    EXPECT_EQ(anna->socket.state(), QAbstractSocket::ConnectedState);
}

TEST_F(SocketTest, OnlookersNeverSeeCardsMeantForOneSeat) {
    std::vector<std::unique_ptr<RawClient>> seats;
    for (const char* name : {"Anna", "Bo", "Cy", "Dee"}) seats.push_back(player(name));
    auto onlooker = player("Eve");
    seats[0]->send("CMD_startgame+Anna+2+1+1+\xFF");
    ASSERT_TRUE(onlooker->waitFor("CMD_startgame+Anna+2+t+t+"));
    // Three players leave and the host hands its own seat over: the computer plays all four.
    for (int i = 1; i <= 3; ++i) seats[i]->socket.disconnectFromHost();
    ASSERT_TRUE(onlooker->waitFor("CMD_playerdisconnected+4+Dee"));
    seats[0]->send("CMD_justwatch+1+1\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return onlooker->count("CMD_winner+") == 1; }, 30000));

    EXPECT_EQ(onlooker->count("CMD_mycards+"), 0);
    EXPECT_EQ(onlooker->count("CMD_drawacard+"), 0);
    EXPECT_GE(onlooker->count("CMD_postscores+"), 8);
    // Seat 1 is still connected while the computer plays it: its cards still reach it alone.
    EXPECT_GE(seats[0]->count("CMD_mycards+1+"), 2);
    EXPECT_GE(seats[0]->count("CMD_drawacard+1+"), 1);
    EXPECT_EQ(seats[0]->count("CMD_mycards+1+"), seats[0]->count("CMD_mycards+"));
    EXPECT_EQ(seats[0]->count("CMD_drawacard+1+"), seats[0]->count("CMD_drawacard+"));
    EXPECT_FALSE(server->table().gameRunning);
}

TEST_F(SocketTest, LinesOfAClosedConnectionNeverSpeakForTheSlotsNextHolder) {
    auto anna = player("Anna");
    auto bo = player("Bo");
    QByteArray burst;
    for (int i = 0; i < 50; ++i) burst += "CMD_chat+2+line " + QByteArray::number(i) + "|x\xFF";
    bo->send(burst);
    bo->socket.disconnectFromHost();
    ASSERT_TRUE(anna->waitFor("CMD_playerdisconnected+2+Bo"));
    auto cy = player("Cy"); // slot 2 again
    ASSERT_NO_FATAL_FAILURE(marker(*cy, 2, *anna, "Cy"));
    // Bo's lines still queued when he left are dropped, not relayed for whoever holds slot 2.
    EXPECT_LT(anna->count("CMD_chat+2+Bo chats: line "), 50);
    for (const QByteArray& f : anna->frames)
        if (f.contains("chats: line ")) {
            EXPECT_TRUE(f.startsWith("CMD_chat+2+Bo chats: ")) << f.constData();
        }
}

TEST_F(SocketTest, DispatchRunsOnlyWhileLinesWait) {
    auto anna = player("Anna");
    ASSERT_TRUE(idle());
    EXPECT_FALSE(server->socktimerActive());
    anna->send("CMD_chat+1+a|x\xFF"
               "CMD_chat+1+b|x\xFF");
    ASSERT_TRUE(anna->waitFor("CMD_chat+1+Anna chats: b|x"));
    EXPECT_EQ(anna->frames.indexOf("CMD_chat+1+Anna chats: a|x") + 1,
              anna->frames.indexOf("CMD_chat+1+Anna chats: b|x"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server->socktimerActive(); }, 1000));
}

TEST_F(SocketTest, ALoneLineAfterARestGoesAtOnceAndABurstOneLinePerTickInOrder) {
    auto anna = player("Anna");
    ASSERT_TRUE(idle());
    // Idle costs nothing: no tick runs while no line waits.
    QTest::qWait(3 * TServer::DispatchTick);
    EXPECT_FALSE(server->socktimerActive());

    // After that rest a line is handled without waiting for a tick.
    ASSERT_NO_FATAL_FAILURE(marker(*anna, 1, *anna, "Anna"));
    EXPECT_EQ(server->socktimerInterval(), 0);

    constexpr int lines = 40;
    QByteArray burst;
    for (int i = 0; i < lines; ++i) burst += "CMD_chat+1+line " + QByteArray::number(i) + "|x\xFF";
    anna->send(burst);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server->queuedLines() >= 2; }, 5000));
    // Each tick takes exactly one line, and the next tick is a full tick away.
    while (server->queuedLines() > 0) {
        const qsizetype before = server->queuedLines();
        server->socktimerTimer();
        ASSERT_EQ(server->queuedLines(), before - 1);
        if (server->queuedLines() > 0) {
            EXPECT_TRUE(server->socktimerActive());
            EXPECT_EQ(server->socktimerInterval(), TServer::DispatchTick);
        }
    }
    const QByteArray last = "CMD_chat+1+Anna chats: line " + QByteArray::number(lines - 1) + "|x";
    ASSERT_TRUE(anna->waitFor(last));
    qsizetype previous = -1;
    for (int i = 0; i < lines; ++i) {
        const qsizetype at =
            anna->frames.indexOf("CMD_chat+1+Anna chats: line " + QByteArray::number(i) + "|x");
        EXPECT_GT(at, previous) << "line " << i;
        previous = at;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return !server->socktimerActive(); }, 1000));
}

TEST_F(SocketTest, ABurstFromOneConnectionDoesNotHoldUpAnothersLine) {
    auto anna = player("Anna");
    auto bo = player("Bo");
    auto cy = player("Cy");
    constexpr int lines = 200;
    QByteArray burst;
    for (int i = 0; i < lines; ++i) burst += "CMD_chat+3+line " + QByteArray::number(i) + "|x\xFF";
    cy->send(burst);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server->queuedLines() >= 150; }, 5000));
    bo->send("CMD_chat+2+mine|x\xFF");
    const auto cyLine = [](int i) {
        return "CMD_chat+3+Cy chats: line " + QByteArray::number(i) + "|x";
    };
    ASSERT_TRUE(anna->waitFor(cyLine(lines - 1)));
    // Bo's line went in turn with Cy's, not behind the lines Cy had waiting.
    const qsizetype mine = anna->frames.indexOf("CMD_chat+2+Bo chats: mine|x");
    ASSERT_GE(mine, 0);
    EXPECT_LT(mine, anna->frames.indexOf(cyLine(150)));
    // Cy's own lines kept their order.
    qsizetype previous = -1;
    for (int i = 0; i < lines; ++i) {
        const qsizetype at = anna->frames.indexOf(cyLine(i));
        ASSERT_GT(at, previous) << "line " << i;
        previous = at;
    }
}

TEST_F(SocketTest, SilentConnectionsAreClosedAfterTheLoginTimeOutAndNeverRunTheTable) {
    // Long enough for ten connections to come in on a busy machine, short for a test.
    start(true, std::chrono::milliseconds(2000));
    std::vector<std::unique_ptr<RawClient>> silent;
    for (int i = 1; i <= 9; ++i) {
        silent.push_back(client());
        ASSERT_TRUE(silent.back()->waitFrames(1));
    }
    auto tenth = client();
    ASSERT_TRUE(tenth->waitClosed());
    EXPECT_EQ(tenth->raw, QByteArray("CMD_full+\xFF"));
    EXPECT_EQ(server->engine().rightsHolder(), 0);
    // The first in asks for what only the one who runs the table may do.
    silent[0]->send("CMD_startgame+Mallory+3+1+1+\xFF");
    silent[0]->send("CMD_kickhim+1+2+\xFF");

    for (auto& c : silent) ASSERT_TRUE(c->waitClosed(10000));
    EXPECT_FALSE(server->table().gameRunning);
    for (auto& c : silent) {
        EXPECT_EQ(c->count("CMD_tablerights+"), 0);
        EXPECT_EQ(c->count("CMD_removed+"), 0);
    }
    EXPECT_EQ(server->metrics().closedLoginTimeout, 9u);
    EXPECT_EQ(
        log.filter(QRegularExpression(" event=close slot=[1-9] reason=login_timeout ")).size(), 9)
        << log.join('\n').toStdString();
    EXPECT_TRUE(server->metricsText().contains(
        "pelvo_table_connections_closed_total{reason=\"login_timeout\"} 9"));

    // The slots are free again; the first to log in runs the table and is not timed out.
    auto anna = client();
    ASSERT_EQ(anna->login("Anna"), 1);
    EXPECT_TRUE(anna->waitFor("CMD_tablerights+1"));
    auto bo = client();
    ASSERT_EQ(bo->login("Bo"), 2);
    QTest::qWait(2300);
    EXPECT_EQ(anna->socket.state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(bo->socket.state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(server->engine().rightsHolder(), 1);
}

TEST_F(SocketTest, BeforeItsLoginAConnectionIsHeardForNothingElseAndAPastTheRateIsClosed) {
    start(true);
    auto anna = player("Anna");
    auto mallory = client();
    ASSERT_TRUE(mallory->waitFrames(1)); // slot 2, not logged in
    const std::uint64_t framesBefore = server->metrics().framesIn;
    const QByteArray requests[] = {
        "CMD_chat+2+hi|clRed", "CMD_action+2+waves|clRed", "CMD_playasound+2+wave1+",
        "CMD_startgame+M+3+1+1+", "CMD_justwatch+1+1", "CMD_kickhim+2+1+", "CMD_flipcard+2+1+",
        // a login for another slot fails, and what follows it goes unheard too
        "CMD_logininfo+3+1.0.1+Mal", "CMD_chat+2+after a failed login|clRed"};
    for (const QByteArray& line : requests) mallory->send(line + "\xFF");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return server->metrics().framesIn >= framesBefore + std::size(requests); }, 5000));
    ASSERT_NO_FATAL_FAILURE(marker(*anna, 1, *anna, "Anna"));
    for (const char* heard : {"CMD_chat+2+", "CMD_action+", "CMD_playasound+", "CMD_startgame+",
                              "CMD_justwatching+", "CMD_newplayerinfo+2+", "CMD_removed+"}) {
        EXPECT_EQ(anna->count(heard), 0) << heard;
        EXPECT_EQ(mallory->count(heard), 0) << heard;
    }
    EXPECT_FALSE(server->table().gameRunning);

    // A login and a line right behind it in one write: both are heard, in order.
    mallory->send("CMD_logininfo+2+1.0.1+Mal\xFF\xFF"
                  "CMD_chat+2+hello|clRed\xFF");
    ASSERT_TRUE(anna->waitFor("CMD_chat+2+Mal chats: hello|clRed"));
    EXPECT_EQ(anna->frames.indexOf("CMD_newplayerinfo+2+Mal") + 1,
              anna->frames.indexOf("CMD_chat+2+Mal chats: hello|clRed"));

    // Past the rate: dropped lines cost their sender all the same.
    auto flooder = client();
    ASSERT_TRUE(flooder->waitFrames(1));
    flooder->send(QByteArray("CMD_playasound+3+wave1+\xFF").repeated(TServer::RateBurst + 50));
    ASSERT_TRUE(flooder->waitClosed());
    EXPECT_EQ(server->metrics().closedRate, 1u);
    EXPECT_EQ(log.filter(" event=close slot=3 reason=rate ").size(), 1)
        << log.join('\n').toStdString();
    EXPECT_EQ(mallory->socket.state(), QAbstractSocket::ConnectedState);
}
