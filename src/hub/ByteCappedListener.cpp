#include "hub/ByteCappedListener.h"

// Qt
#include <QTcpSocket>
#include <QVariant>

// std
#include <memory>

namespace pelvo::hub {

ByteCappedListener::ByteCappedListener(Limits limits, qint64 maxBytes, QObject* parent)
    : GuardedTcpServer(limits, parent), maxBytes_(maxBytes) {
    // Connected before the HTTP server binds this listener, so this runs first: the accepted
    // sockets are still ours (children) and nobody has read from them.
    connect(this, &QTcpServer::pendingConnectionAvailable, this, [this] {
        for (QTcpSocket* socket : findChildren<QTcpSocket*>(Qt::FindDirectChildrenOnly))
            if (!socket->property("pelvo_capped").toBool()) watch(socket);
    });
}

void ByteCappedListener::watch(QTcpSocket* socket) {
    socket->setProperty("pelvo_capped", true);
    auto seen = std::make_shared<qint64>(0);
    connect(socket, &QIODevice::readyRead, this, [this, socket, seen] {
        if (*seen > maxBytes_) return; // already being cut
        *seen += socket->bytesAvailable();
        if (*seen <= maxBytes_) return;
        ++cut_;
        // After the HTTP server's own handler has run for this signal, not under its feet.
        QMetaObject::invokeMethod(socket, &QAbstractSocket::abort, Qt::QueuedConnection);
    });
}

} // namespace pelvo::hub
