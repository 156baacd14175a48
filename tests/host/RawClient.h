#pragma once
// A raw test client on a real loopback socket: it sends exact bytes and keeps every frame it
// receives, terminator removed. Waiting spins the event loop so an in-process host keeps running.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QTcpSocket>
#include <QTest>

#include <functional>

namespace pelvo::test {

class RawClient {
public:
    QTcpSocket socket;
    QList<QByteArray> frames; // every complete frame received so far
    QByteArray raw;           // every byte received so far
    std::function<void(const QByteArray&)> onFrame;

    RawClient() {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { read(); });
    }

    bool connectTo(quint16 port) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; },
                               5000);
    }
    void send(const QByteArray& bytes) {
        socket.write(bytes);
        socket.flush();
    }
    bool waitFrames(qsizetype n, int ms = 5000) {
        return QTest::qWaitFor([&] { return frames.size() >= n; }, ms);
    }
    bool waitFor(const QByteArray& frame, int ms = 5000) {
        return QTest::qWaitFor([&] { return frames.contains(frame); }, ms);
    }
    bool waitClosed(int ms = 5000) {
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; },
                               ms);
    }
    // The slot from CMD_sendlogininfo, then the login; returns the slot (0 on failure).
    int login(const QByteArray& name, const QByteArray& version = "1.0.1") {
        if (!waitFrames(1)) return 0;
        const QByteArray first = frames.first();
        if (!first.startsWith("CMD_sendlogininfo+")) return 0;
        const int slot = first.mid(18).toInt();
        send("CMD_logininfo+" + QByteArray::number(slot) + "+" + version + "+" + name + "\xFF\xFF");
        return waitFor("CMD_newplayerinfo+" + QByteArray::number(slot) + "+" + name) ? slot : 0;
    }
    // The frames an original client knows: those of the added commands left out.
    QList<QByteArray> described() const {
        static const QList<QByteArray> added{
            "CMD_tablerights",   "CMD_reclaimtoken", "CMD_removed",    "CMD_tableclosing",
            "CMD_seatreclaimed", "CMD_seatstate",    "CMD_chathistory"};
        QList<QByteArray> out;
        for (const QByteArray& f : frames)
            if (!added.contains(f.left(f.indexOf('+')))) out << f;
        return out;
    }
    qsizetype count(const QByteArray& prefix) const {
        qsizetype n = 0;
        for (const QByteArray& f : frames) n += f.startsWith(prefix) ? 1 : 0;
        return n;
    }

private:
    void read() {
        const QByteArray bytes = socket.readAll();
        raw += bytes;
        pending_ += bytes;
        for (qsizetype end; (end = pending_.indexOf('\xFF')) >= 0;) {
            const QByteArray frame = pending_.left(end);
            pending_.remove(0, end + 1);
            frames << frame;
            if (onFrame) onFrame(frame);
        }
    }
    QByteArray pending_;
};

} // namespace pelvo::test
