#pragma once
// A TCP proxy on loopback between a client and a table: it forwards bytes both ways, and a test
// can cut every connection through it at once and stop taking new ones for a while.

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>
#include <vector>

namespace pelvo::test {

class TcpProxy {
public:
    explicit TcpProxy(quint16 target) : target_(target) {
        QObject::connect(&server_, &QTcpServer::newConnection, [this] { accept(); });
    }
    ~TcpProxy() { cut(); }

    // Listens on a free port (the same one again after a pause); false when it cannot.
    bool listen() { return server_.listen(QHostAddress::LocalHost, port_); }
    quint16 port() const { return port_ ? port_ : server_.serverPort(); }
    bool open() {
        if (!listen()) return false;
        port_ = server_.serverPort();
        return true;
    }
    // Nothing more is taken: a connect is refused until listen() again.
    void pause() { server_.close(); }
    // Every connection through the proxy ends at once, on both sides.
    void cut() {
        for (auto& pair : pairs_) {
            if (pair.first) pair.first->abort();
            if (pair.second) pair.second->abort();
        }
        pairs_.clear();
    }
    int accepted() const { return accepted_; }

private:
    void accept() {
        while (QTcpSocket* in = server_.nextPendingConnection()) {
            ++accepted_;
            auto* out = new QTcpSocket(in);
            QPointer<QTcpSocket> a(in), b(out);
            QObject::connect(in, &QTcpSocket::readyRead, [a, b] {
                if (a && b) b->write(a->readAll());
            });
            QObject::connect(out, &QTcpSocket::readyRead, [a, b] {
                if (a && b) a->write(b->readAll());
            });
            QObject::connect(out, &QTcpSocket::disconnected, in, [a] {
                if (a) a->disconnectFromHost();
            });
            QObject::connect(in, &QTcpSocket::disconnected, out, [b] {
                if (b) b->disconnectFromHost();
            });
            out->connectToHost(QHostAddress::LocalHost, target_);
            pairs_.push_back({a, b});
        }
    }

    quint16 target_;
    quint16 port_ = 0;
    QTcpServer server_;
    std::vector<std::pair<QPointer<QTcpSocket>, QPointer<QTcpSocket>>> pairs_;
    int accepted_ = 0;
};

} // namespace pelvo::test
