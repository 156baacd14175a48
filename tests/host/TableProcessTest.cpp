// pelvo-table as a process, talked to over raw sockets: start-up, the dedicated table's rules
// for slot 1, shutdown on a signal, and a whole game with two people and two computers.
#include "RawClient.h"
#include "support/TestEnv.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <csignal>
#include <set>

using namespace pelvo::test;

namespace {

class TableProcess {
public:
    QProcess process;
    quint16 port = 0;

    bool start(QStringList args,
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
        process.setProcessEnvironment(env);
        process.start(programPath("src/pelvo-table"), args);
        if (!process.waitForStarted(5000)) return false;
        return QTest::qWaitFor([&] { return output().contains("listening"); }, 10000);
    }
    bool startOnFreePort(const QString& botSpeed = "3") {
        port = freePort();
        return start({"--port", QString::number(port), "--bot-speed", botSpeed});
    }
    QString output() {
        stdout_ += QString::fromLocal8Bit(process.readAllStandardOutput());
        return stdout_;
    }
    bool stop(int signal = SIGTERM) {
        ::kill(pid_t(process.processId()), signal);
        return QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000);
    }
    ~TableProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

private:
    QString stdout_;
};

// Plays its own seat by the protocol, as a client would: flips two cards when dealt, draws on
// its turn, puts the drawn card on a face-down place or else throws it away.
class ProtocolPlayer {
public:
    RawClient client;
    QByteArray name;
    int slot = 0;
    bool won = false, over = false;
    QByteArray winner;
    std::set<int> faceUp;
    int moves = 0;

    explicit ProtocolPlayer(QByteArray playerName) : name(std::move(playerName)) {
        client.onFrame = [this](const QByteArray& frame) { handle(frame); };
    }

private:
    void send(const QByteArray& line) { client.send(line + '\xFF'); }
    QByteArray me() const { return QByteArray::number(slot); }
    static QList<QByteArray> fields(const QByteArray& frame) { return frame.split('+'); }

    void handle(const QByteArray& frame) {
        const QList<QByteArray> f = fields(frame);
        const QByteArray& cmd = f[0];
        if (cmd == "CMD_sendlogininfo") {
            slot = f[1].toInt();
            client.send("CMD_logininfo+" + me() + "+1.0.1+" + name + "\xFF\xFF");
        } else if (cmd == "CMD_mycards" && f[1].toInt() == slot) {
            faceUp.clear();
            send("CMD_flipcard+" + me() + "+1+");
            send("CMD_flipcard+" + me() + "+5+");
        } else if (cmd == "CMD_heflipped" && f[1].toInt() == slot) {
            faceUp.insert(f[2].toInt());
        } else if (cmd == "CMD_nextplayer" && f[1].toInt() == slot) {
            send("CMD_drawcard+" + me() + "+");
        } else if (cmd == "CMD_drawacard" && f[1].toInt() == slot) {
            ++moves;
            for (int p = 1; p <= 9; ++p) {
                if (faceUp.count(p)) continue;
                faceUp.insert(p);
                send("CMD_replacedraw+" + me() + "+" + QByteArray::number(p) + "+");
                return;
            }
            send("CMD_discarddrawn+" + me() + "+");
        } else if (cmd == "CMD_winner") {
            over = true;
            winner = f.value(1);
        }
    }
};

} // namespace

TEST(TableProcess, ExplainsItselfAndRefusesBadArguments) {
    QProcess help;
    help.start(programPath("src/pelvo-table"), {"--help"});
    ASSERT_TRUE(help.waitForFinished(10000));
    EXPECT_EQ(help.exitCode(), 0);
    const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
    EXPECT_TRUE(text.contains("--port")) << text.toStdString();
    EXPECT_TRUE(text.contains("--bot-speed"));

    QProcess bad;
    bad.start(programPath("src/pelvo-table"), {"--port", "seventy"});
    ASSERT_TRUE(bad.waitForFinished(10000));
    EXPECT_NE(bad.exitCode(), 0);
}

TEST(TableProcess, ListensOnItsPortAndClosesEveryConnectionOnASignal) {
    for (int signal : {SIGTERM, SIGINT}) {
        // PELVO_PORT names the port when --port is not given.
        TableProcess table;
        const quint16 port = freePort();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PELVO_PORT", QString::number(port));
        ASSERT_TRUE(table.start({"--bot-speed", "5"}, env));
        EXPECT_EQ(table.output().count('\n'), 1);
        EXPECT_TRUE(table.output().contains(QString::number(port)));

        RawClient first, second;
        ASSERT_TRUE(first.connectTo(port));
        ASSERT_EQ(first.login("Anna"), 1);
        ASSERT_TRUE(second.connectTo(port));
        ASSERT_EQ(second.login("Bo"), 2);
        ASSERT_TRUE(second.waitFor("CMD_existingplayers+1+Anna"));

        ASSERT_TRUE(table.stop(signal));
        EXPECT_EQ(table.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(table.process.exitCode(), 0);
        EXPECT_TRUE(first.waitClosed());
        EXPECT_TRUE(second.waitClosed());
    }
}

TEST(TableProcess, ALostSlotOneIsPlayedByTheComputerAndTheNextHolderMayStartGames) {
    TableProcess table;
    ASSERT_TRUE(table.startOnFreePort());
    auto anna = std::make_unique<RawClient>();
    RawClient bo;
    ASSERT_TRUE(anna->connectTo(table.port));
    ASSERT_EQ(anna->login("Anna"), 1);
    ASSERT_TRUE(bo.connectTo(table.port));
    ASSERT_EQ(bo.login("Bo"), 2);
    bo.send("CMD_startgame+Bo+3+0+0+\xFF"); // not slot 1: ignored
    anna->send("CMD_startgame+Anna+3+0+0+\xFF");
    ASSERT_TRUE(bo.waitFor("CMD_startgame+Anna+3+f+f+"));
    EXPECT_EQ(bo.count("CMD_startgame+"), 1);

    // Anna leaves before flipping: the computer makes her flips at once.
    anna.reset();
    ASSERT_TRUE(bo.waitFor("CMD_playerdisconnected+1+Anna"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bo.count("CMD_heflipped+1+") == 2; }, 5000));

    // Whoever gets slot 1 next holds the rights.
    RawClient cy;
    ASSERT_TRUE(cy.connectTo(table.port));
    ASSERT_EQ(cy.login("Cy"), 1);
    cy.send("CMD_startgame+Cy+3+0+0+\xFF");
    ASSERT_TRUE(bo.waitFor("CMD_startgame+Cy+3+f+f+"));
}

TEST(TableProcess, TwoPeopleAndTwoComputersPlayAWholeGame) {
    TableProcess table;
    ASSERT_TRUE(table.startOnFreePort("2"));
    ProtocolPlayer anna("Anna"), bo("Bo");
    ASSERT_TRUE(anna.client.connectTo(table.port));
    ASSERT_TRUE(anna.client.waitFor("CMD_newplayerinfo+1+Anna"));
    ASSERT_TRUE(bo.client.connectTo(table.port));
    ASSERT_TRUE(anna.client.waitFor("CMD_newplayerinfo+2+Bo"));

    anna.client.send("CMD_startgame+Anna+2+1+1+\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.over && bo.over; }, 45000))
        << anna.client.frames.size() << " frames seen";

    EXPECT_EQ(anna.winner, bo.winner);
    const QList<QByteArray> names{"Anna", "Bo", "Klick", "Kling"};
    EXPECT_TRUE(names.contains(anna.winner)) << anna.winner.constData();
    EXPECT_EQ(anna.client.frames.last(), "CMD_winner+" + anna.winner + "+");
    EXPECT_GT(anna.moves, 2);
    EXPECT_GT(bo.moves, 2);
    // Two rounds or more (tie-breakers), each with four scores.
    EXPECT_GE(anna.client.count("CMD_postscores+"), 8);
    EXPECT_EQ(anna.client.count("CMD_postscores+") % 4, 0);
    EXPECT_EQ(anna.client.count("CMD_mycards+"), anna.client.count("CMD_roundstarting+"));
    EXPECT_EQ(anna.client.count("CMD_mycards+2+"), 0);
    for (const QByteArray& seat : {QByteArray("3"), QByteArray("4")})
        EXPECT_GT(anna.client.count("CMD_nextplayer+" + seat + "+"), 2);
}
