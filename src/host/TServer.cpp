#include "host/TServer.h"

#include "net/TSock.h"
#include "protocol/Ports.h"

namespace pelvo {

// Placeholder until the table host is built: the listening socket only.
TServer::TServer(QObject* parent) : TServer(Options{}, parent) {}
TServer::TServer(const Options&, QObject* parent) : QObject(parent) {
    Sock1 = new TSock(this);
    Sock1->setPortName(gamePortName());
    botSpeed = [] { return 1000; };
}
TServer::~TServer() = default;

} // namespace pelvo
