#include "session/TableFinder.h"

// Qt
#include <QHostAddress>
#include <QLoggingCategory>
#include <QNetworkDatagram>
#include <QUdpSocket>

// std
#include <algorithm>

Q_LOGGING_CATEGORY(lcFinder, "pelvo.session.finder")

namespace pelvo {

TableFinder::TableFinder(QObject* parent) : QObject(parent), socket_(new QUdpSocket(this)) {
    connect(socket_, &QUdpSocket::readyRead, this, &TableFinder::readAnswers);
}

TableFinder::~TableFinder() = default;

QString TableFinder::queryAddress() {
    const QString address = qEnvironmentVariable("PELVO_DISCOVERY_ADDRESS");
    return address.isEmpty() ? QHostAddress(QHostAddress::Broadcast).toString() : address;
}

bool TableFinder::search(quint16 port) {
    found_.clear();
    if (socket_->state() != QAbstractSocket::BoundState &&
        !socket_->bind(QHostAddress::AnyIPv4, 0)) {
        qCWarning(lcFinder) << "cannot search for tables:" << socket_->errorString();
        return false;
    }
    const QHostAddress to(queryAddress());
    if (to.isNull() || port == 0) return false;
    return socket_->writeDatagram(discovery::query(), to, port) >= 0;
}

void TableFinder::readAnswers() {
    while (socket_->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket_->receiveDatagram(discovery::MaxDatagram + 1);
        const auto table = discovery::readAnswer(datagram.data());
        if (!table) continue; // not an answer of ours
        bool ok = false;
        const QHostAddress from(datagram.senderAddress().toIPv4Address(&ok));
        Found found{ok ? from.toString() : datagram.senderAddress().toString(), *table};
        const bool seen = std::any_of(found_.cbegin(), found_.cend(), [&](const Found& f) {
            return f.address == found.address && f.table.port == found.table.port;
        });
        if (seen) continue;
        found_.append(found);
        emit tableFound(found);
    }
}

} // namespace pelvo
