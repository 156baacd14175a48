#include "net/TSock.h"

#include <QSocketNotifier>

namespace pelvo {

TSock::TSock(QObject* owner) : QObject(owner) {}
TSock::~TSock() = default;
QString TSock::HostName() const {
    return m_hostName;
}
void TSock::setHostName(const QString& name) {
    m_hostName = name;
}
QString TSock::PortName() const {
    return m_portName;
}
void TSock::setPortName(const QString& name) {
    m_portName = name;
}
bool TSock::Listen() const {
    return m_listen;
}
void TSock::setListen(bool on) {
    m_listen = on;
}
bool TSock::Connected() const {
    return m_connected;
}
qsizetype TSock::outboundSize() const {
    return m_outbound.size();
}
qsizetype TSock::inboundSize() const {
    return m_inbound.size();
}
bool TSock::Open() {
    return m_connected;
}
bool TSock::Accept(TSock*& newSock) {
    newSock = nullptr;
    return false;
}
bool TSock::Send(const QByteArray& bytes) {
    m_outbound += bytes;
    return true;
}
QByteArray TSock::Receive() {
    return std::exchange(m_inbound, {});
}
bool TSock::Close() {
    return false;
}
QString TSock::errorName(int) {
    return QStringLiteral("UNKNOWN ERROR");
}
int TSock::wsaErrorFromErrno(int err) {
    return err;
}

} // namespace pelvo
