#include "service/GuardedTcpServer.h"

// Qt
#include <QLoggingCategory>
#include <QTcpSocket>

// std
#include <algorithm>
#include <vector>

// POSIX
#include <fcntl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcGuard, "pelvo.service.guard")

namespace pelvo {

namespace {

// One key per peer, whether it came over IPv4 or as an IPv4-mapped IPv6 address.
QHostAddress peerKey(const QHostAddress& address) {
    bool v4 = false;
    const quint32 ip = address.toIPv4Address(&v4);
    return v4 ? QHostAddress(ip) : address;
}

// How often the held connections are looked at: a quarter of the shortest bound, so a stalled
// connection goes at most a quarter late.
int sweepInterval(const GuardedTcpServer::Limits& limits) {
    int shortest = 4000;
    for (int bound : {limits.idleMs, limits.lifetimeMs})
        if (bound > 0) shortest = std::min(shortest, bound);
    return std::clamp(shortest / 4, 10, 1000);
}

} // namespace

GuardedTcpServer::GuardedTcpServer(QObject* parent) : GuardedTcpServer(Limits{}, parent) {}

GuardedTcpServer::GuardedTcpServer(Limits limits, QObject* parent)
    : QTcpServer(parent), limits_(limits) {
    limits_.maxConnections = std::max(1, limits_.maxConnections);
    limits_.maxPerAddress = std::max(1, limits_.maxPerAddress);
    clock_.start();
    sweeper_.setInterval(sweepInterval(limits_));
    connect(&sweeper_, &QTimer::timeout, this, &GuardedTcpServer::sweep);
    // Qt stops accepting after a failed accept that is not temporary (out of descriptors, for
    // one); listening resumes shortly, when the held connections have had a chance to go.
    connect(this, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError error) {
        qCWarning(lcGuard) << "accept failed:" << error << "- retrying";
        QTimer::singleShot(100, this, [this] {
            if (isListening()) resumeAccepting();
        });
    });
}

GuardedTcpServer::~GuardedTcpServer() {
    for (const Held& held : held_)
        if (held.socket) disconnect(held.socket, nullptr, this, nullptr);
}

bool GuardedTcpServer::release(const QHostAddress& peer, quint16 peerPort) {
    const QHostAddress key = peerKey(peer);
    for (Held& held : held_) {
        if (held.peerPort != peerPort || held.peer != key) continue;
        held.released = true;
        if (held.socket) held.socket->setReadBufferSize(0);
        return true;
    }
    return false;
}

void GuardedTcpServer::incomingConnection(qintptr descriptor) {
    if (int(held_.size()) >= limits_.maxConnections && !makeRoom()) {
        ::close(int(descriptor));
        ++refused_;
        return;
    }
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        if (::fcntl(int(descriptor), F_GETFD) != -1) ::close(int(descriptor));
        return;
    }
    // A socket at the same address as one whose end went unnoticed (after an upgrade) replaces it.
    forget(socket);
    const QHostAddress peer = peerKey(socket->peerAddress());
    int& fromPeer = perAddress_[peer];
    if (fromPeer >= limits_.maxPerAddress) {
        socket->abort();
        delete socket;
        ++refused_;
        return;
    }
    ++fromPeer;
    const qint64 t = now();
    held_.push_back(Held{socket, socket, peer, socket->peerPort(), t, t, false});
    index_.insert(socket, std::prev(held_.end()));

    // Bytes are counted as they arrive (before the reader runs) against what the reader left
    // behind (after it ran), so the guard never reads a byte itself.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { received(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
    connect(socket, &QObject::destroyed, this, [this](QObject* gone) { forget(gone); });
    // A reader may hold a partial request in the socket (an open transaction): the socket never
    // buffers more than the budget and one byte, so going over it always shows.
    if (limits_.maxBytes > 0) socket->setReadBufferSize(qint64(limits_.maxBytes) + 1);
    if (!sweeper_.isActive()) sweeper_.start();
    addPendingConnection(socket);
}

void GuardedTcpServer::received(QTcpSocket* socket) {
    const auto it = index_.constFind(socket);
    if (it == index_.cend()) return;
    Held& held = **it;
    held.lastReadAt = now();
    if (held.released || limits_.maxBytes <= 0 || held.closing) return;
    if (!held.measuring) {
        // The reader has connected by the first arrival; this runs after it from now on.
        held.measuring = true;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const auto after = index_.constFind(socket);
            if (after != index_.cend()) (*after)->leftover = socket->bytesAvailable();
        });
    }
    held.received += std::max<qint64>(0, socket->bytesAvailable() - held.leftover);
    if (held.received <= limits_.maxBytes) return;
    held.closing = true;
    ++tooLarge_;
    // Closed once the reader has had this signal, not under its feet.
    QTimer::singleShot(0, this, [this, guarded = QPointer<QTcpSocket>(socket)] {
        if (guarded) close(guarded);
    });
}

bool GuardedTcpServer::makeRoom() {
    // Only a connection quiet for a moment is closed for a newcomer, so requests arriving
    // together do not close each other; a short moment, so a crowd that keeps coming cannot
    // keep the held places fresh enough to refuse everyone else.
    const int quietEnough = limits_.idleMs > 0 ? std::min(100, limits_.idleMs / 4) : 100;
    const qint64 t = now();
    auto quietest = held_.end();
    for (auto it = held_.begin(); it != held_.end(); ++it) {
        if (it->released || !it->socket) continue;
        if (quietest == held_.end() || it->lastReadAt < quietest->lastReadAt) quietest = it;
    }
    if (quietest == held_.end() || t - quietest->lastReadAt < quietEnough) return false;
    ++evicted_;
    close(quietest->socket);
    return int(held_.size()) < limits_.maxConnections;
}

void GuardedTcpServer::close(QTcpSocket* socket) {
    // abort() drops the connection at once; its owner sees `disconnected` and deletes it.
    socket->abort();
    forget(socket);
}

void GuardedTcpServer::forget(const QObject* socket) {
    const auto found = index_.find(socket);
    if (found == index_.end()) return;
    const List::iterator it = *found;
    index_.erase(found);
    const auto count = perAddress_.find(it->peer);
    if (count != perAddress_.end() && --*count <= 0) perAddress_.erase(count);
    held_.erase(it);
    if (held_.empty()) sweeper_.stop();
}

void GuardedTcpServer::sweep() {
    const qint64 t = now();
    std::vector<QPointer<QTcpSocket>> stalled;
    std::vector<const QObject*> gone;
    for (const Held& held : held_) {
        // An upgraded socket no longer tells the guard it closed (see the header).
        if (!held.socket || held.socket->state() == QAbstractSocket::UnconnectedState) {
            gone.push_back(held.key);
            continue;
        }
        if (held.released) continue;
        const bool tooOld = limits_.lifetimeMs > 0 && t - held.acceptedAt >= limits_.lifetimeMs;
        const bool tooQuiet = limits_.idleMs > 0 && t - held.lastReadAt >= limits_.idleMs;
        if (tooOld || tooQuiet) stalled.push_back(held.socket);
    }
    for (const QObject* socket : gone) forget(socket);
    for (const QPointer<QTcpSocket>& socket : stalled) {
        if (!socket) continue;
        ++timedOut_;
        close(socket);
    }
}

} // namespace pelvo
