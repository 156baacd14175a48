#include "host/DiscoveryResponder.h"

// own
#include "rules/Model.h"

// Qt
#include <QHostInfo>
#include <QLoggingCategory>
#include <QNetworkDatagram>
#include <QUdpSocket>

// std
#include <utility>

Q_LOGGING_CATEGORY(lcDiscovery, "pelvo.host.discovery")

namespace pelvo {

DiscoveryResponder::DiscoveryResponder(Describe describe, QObject* parent)
    : QObject(parent), describe_(std::move(describe)), socket_(new QUdpSocket(this)) {
    connect(socket_, &QUdpSocket::readyRead, this, &DiscoveryResponder::readPending);
}

DiscoveryResponder::~DiscoveryResponder() = default;

bool DiscoveryResponder::start(quint16 port) {
    if (socket_->bind(QHostAddress::AnyIPv4, port)) return true;
    qCWarning(lcDiscovery) << "cannot answer table searches on UDP port" << port << ":"
                           << socket_->errorString();
    return false;
}

quint16 DiscoveryResponder::port() const {
    return socket_->localPort();
}

void DiscoveryResponder::readPending() {
    // A few at a time, so a flood cannot hold the event loop (and the game) in here; the
    // socket reports the rest on the next turn of the loop.
    for (int n = 0; n < 64 && socket_->hasPendingDatagrams(); ++n) {
        // One byte more than any query may have: a longer datagram is cut, and so not a query.
        const QNetworkDatagram datagram = socket_->receiveDatagram(discovery::MaxDatagram + 1);
        const bool query = datagram.isValid() && discovery::isQuery(datagram.data()) &&
                           datagram.senderPort() > 0 && !datagram.senderAddress().isNull();
        if (!query || !spend(datagram.senderAddress())) {
            ++dropped_;
            emit handled();
            continue;
        }
        socket_->writeDatagram(discovery::answer(describe_()), datagram.senderAddress(),
                               quint16(datagram.senderPort()));
        ++answered_;
        emit handled();
    }
}

bool DiscoveryResponder::spend(const QHostAddress& sender) {
    if (!second_.isValid() || second_.elapsed() >= 1000) {
        second_.start();
        spent_ = 0;
        spentBy_.clear();
    }
    if (spent_ >= MaxAnswersPerSecond) return false;
    auto it = spentBy_.find(sender);
    if (it == spentBy_.end()) {
        if (spentBy_.size() >= MaxSendersPerSecond) return false;
        it = spentBy_.insert(sender, 0);
    }
    if (*it >= MaxAnswersPerSender) return false;
    ++*it;
    ++spent_;
    return true;
}

discovery::TableInfo DiscoveryResponder::describeTable(const Table& table, const QString& tableName,
                                                       quint16 port, QString hostName) {
    discovery::TableInfo info;
    info.hostName = hostName.isEmpty() ? QHostInfo::localHostName() : std::move(hostName);
    info.tableName = tableName.isEmpty() ? info.hostName : tableName;
    info.seats = table.seatCount;
    for (int s = 1; s <= table.seatCount && s < int(table.seats.size()); ++s)
        if (table.seats[std::size_t(s)].inUse) ++info.seatsTaken;
    info.gameRunning = table.gameRunning;
    info.port = port;
    return info;
}

} // namespace pelvo
