#pragma once
// pelvo-table as a child process on a free port, and a raw client that plays its own seat by
// the protocol.

#include "RawClient.h"
#include "support/TestEnv.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>
#include <set>

namespace pelvo::test {

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

} // namespace pelvo::test
