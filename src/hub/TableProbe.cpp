#include "hub/TableProbe.h"

// Qt
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace pelvo::hub {

void TableProbe::ask(const QHostAddress& address, quint16 port, Done done, int timeoutMs,
                     QObject* context) {
    new TableProbe(address, port, std::move(done), timeoutMs, context);
}

TableProbe::TableProbe(const QHostAddress& address, quint16 port, Done done, int timeoutMs,
                       QObject* parent)
    : QObject(parent), address_(address), port_(port), done_(std::move(done)),
      socket_(new QUdpSocket(this)) {
    // Tables answer on IPv4; a mapped address is asked there.
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4) address_ = QHostAddress(v4);
    connect(socket_, &QUdpSocket::readyRead, this, &TableProbe::readPending);
    resend_.setInterval(std::max(50, timeoutMs / 5));
    connect(&resend_, &QTimer::timeout, this, &TableProbe::send);
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { finish(std::nullopt); });
    if (address_.isNull() || port_ == 0 ||
        !socket_->bind(address_.protocol() == QAbstractSocket::IPv6Protocol
                           ? QHostAddress(QHostAddress::AnyIPv6)
                           : QHostAddress(QHostAddress::AnyIPv4),
                       0)) {
        QTimer::singleShot(0, this, [this] { finish(std::nullopt); });
        return;
    }
    resend_.start();
    deadline_.start(timeoutMs);
    send();
}

void TableProbe::send() {
    socket_->writeDatagram(discovery::query(), address_, port_);
}

void TableProbe::readPending() {
    while (socket_->hasPendingDatagrams()) {
        const QNetworkDatagram d = socket_->receiveDatagram(discovery::MaxDatagram + 1);
        if (!d.isValid() || d.senderPort() != port_) continue;
        bool isV4 = false;
        const quint32 v4 = d.senderAddress().toIPv4Address(&isV4);
        if ((isV4 ? QHostAddress(v4) : d.senderAddress()) != address_) continue;
        if (auto info = discovery::readAnswer(d.data()); info && info->port == port_)
            return finish(info);
    }
}

void TableProbe::finish(std::optional<discovery::TableInfo> info) {
    if (!done_) return;
    resend_.stop();
    deadline_.stop();
    auto done = std::move(done_);
    done_ = nullptr;
    deleteLater();
    done(std::move(info));
}

} // namespace pelvo::hub
