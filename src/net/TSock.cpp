#include "net/TSock.h"

// Qt
#include <QHash>
#include <QLoggingCategory>
#include <QPointer>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QTimer>

// std
#include <array>
#include <cerrno>
#include <utility>

// POSIX
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pelvo {

namespace {

Q_LOGGING_CATEGORY(lcNet, "pelvo.net")

constexpr qsizetype kReadChunk = 32768; // the most one readiness event reads
constexpr int kBacklog = 5;

[[noreturn]] void raise(const char* text) {
    throw ESockException(text);
}

bool startsWithDigit(const QString& name) {
    return !name.isEmpty() && name.at(0) >= QLatin1Char('0') && name.at(0) <= QLatin1Char('9');
}

// Process-wide: names resolved once stay resolved for the life of the process.
QHash<QString, quint32>& hostCache() {
    static QHash<QString, quint32> cache;
    return cache;
}

int g_nameResolutions = 0;

struct WsaName {
    int number;
    const char* name;
};

constexpr WsaName kWsaNames[] = {
    {10004, "WSAEINTR"},           {10009, "WSAEBADF"},        {10013, "WSAEACCES"},
    {10014, "WSAEFAULT"},          {10022, "WSAEINVAL"},       {10024, "WSAEMFILE"},
    {10035, "WSAEWOULDBLOCK"},     {10036, "WSAEINPROGRESS"},  {10037, "WSAEALREADY"},
    {10038, "WSAENOTSOCK"},        {10039, "WSAEDESTADDRREQ"}, {10040, "WSAEMSGSIZE"},
    {10041, "WSAEPROTOTYPE"},      {10042, "WSAENOPROTOOPT"},  {10043, "WSAEPROTONOSUPPORT"},
    {10044, "WSAESOCKTNOSUPPORT"}, {10045, "WSAEOPNOTSUPP"},   {10046, "WSAEPFNOSUPPORT"},
    {10047, "WSAEAFNOSUPPORT"},    {10048, "WSAEADDRINUSE"},   {10049, "WSAEADDRNOTAVAIL"},
    {10050, "WSAENETDOWN"},        {10051, "WSAENETUNREACH"},  {10052, "WSAENETRESET"},
    {10053, "WSAECONNABORTED"},    {10054, "WSAECONNRESET"},   {10055, "WSAENOBUFS"},
    {10056, "WSAEISCONN"},         {10057, "WSAENOTCONN"},     {10058, "WSAESHUTDOWN"},
    {10059, "WSAETOOMANYREFS"},    {10060, "WSAETIMEDOUT"},    {10061, "WSAECONNREFUSED"},
    {10062, "WSAELOOP"},           {10063, "WSAENAMETOOLONG"}, {10064, "WSAEHOSTDOWN"},
    {10065, "WSAEHOSTUNREACH"},    {10066, "WSAENOTEMPTY"},    {10067, "WSAEPROCLIM"},
    {10068, "WSAEUSERS"},          {10069, "WSAEDQUOT"},       {10070, "WSAESTALE"},
    {10071, "WSAEREMOTE"},         {10091, "WSASYSNOTREADY"},  {10092, "WSAVERNOTSUPPORTED"},
    {10093, "WSANOTINITIALISED"},  {10101, "WSAEDISCON"},      {11001, "WSAHOST_NOT_FOUND"},
    {11002, "WSATRY_AGAIN"},       {11003, "WSANO_RECOVERY"},  {11004, "WSANO_DATA"},
};

struct ErrnoMap {
    int err;
    int wsa;
};

constexpr ErrnoMap kErrnoMap[] = {
    {EINTR, 10004},           {EBADF, 10009},
    {EACCES, 10013},          {EPERM, 10013}, // a firewall refusal surfaces as EPERM here
    {EFAULT, 10014},          {EINVAL, 10022},
    {EMFILE, 10024},          {ENFILE, 10024},
    {EWOULDBLOCK, 10035},     {EINPROGRESS, 10036},
    {EALREADY, 10037},        {ENOTSOCK, 10038},
    {EDESTADDRREQ, 10039},    {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},      {ENOPROTOOPT, 10042},
    {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},      {EPFNOSUPPORT, 10046},
    {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049},   {ENETDOWN, 10050},
    {ENETUNREACH, 10051},     {ENETRESET, 10052},
    {ECONNABORTED, 10053},    {ECONNRESET, 10054},
    {ENOBUFS, 10055},         {ENOMEM, 10055},
    {EISCONN, 10056},         {ENOTCONN, 10057},
    {ESHUTDOWN, 10058},       {EPIPE, 10058}, // sending after the connection went down
    {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061},    {ELOOP, 10062},
    {ENAMETOOLONG, 10063},    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},    {ENOTEMPTY, 10066},
    {EUSERS, 10068},          {EDQUOT, 10069},
    {ESTALE, 10070},          {EREMOTE, 10071},
};

} // namespace

TSock::TSock(QObject* owner) : QObject(owner) {}

TSock::~TSock() {
    // Accepted connections close first, while the listener their handlers may look at is whole.
    qDeleteAll(findChildren<TSock*>(QString(), Qt::FindDirectChildrenOnly));
    if (m_listen || Connected()) {
        Close();
    } else if (m_fd >= 0) {
        // A connecting or half-set-up socket still owns a descriptor; release it quietly.
        dropNotifiers();
        ::close(m_fd);
        m_fd = -1;
    }
    dropNotifiers();
}

// ---- settings --------------------------------------------------------------------------------

QString TSock::HostName() const {
    return m_hostName;
}

void TSock::setAddressPart(QString& part, const QString& value, const char* partName) {
    if (Connected())
        info(InfoLookup, QStringLiteral("Setting %1 While Connected Has No Effect")
                             .arg(QLatin1StringView(partName)));
    part = value;
}

void TSock::setHostName(const QString& name) {
    setAddressPart(m_hostName, name, "HostName");
}

QString TSock::PortName() const {
    return m_portName;
}

void TSock::setPortName(const QString& name) {
    setAddressPart(m_portName, name, "PortName");
}

bool TSock::Listen() const {
    return m_listen;
}

void TSock::setListen(bool on) {
    if (!on) {
        QPointer<TSock> alive(this);
        m_listen = false;
        Close();
        if (alive) info(InfoListen, QStringLiteral("Listening Stopped"));
        return;
    }
    if (m_listen) {
        info(InfoListen, QStringLiteral("Listening Already Running"));
        return;
    }
    if (m_fd >= 0) raise("Listen - Socket Already In Use");

    const quint16 port = lookupPort();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) raise("Listen - Error Binding Socket");
    m_fd = fd;
    // A failed attempt keeps this descriptor, so a retry reports the socket as in use.
    m_state = State::ListenFailed;

    // Lets a restarted host rebind at once; an active listener on the port still blocks bind.
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);

    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
        raise("Listen - Error Binding Socket");
    if (::listen(fd, kBacklog) != 0) raise("Listen - Error Starting Listen");

    m_state = State::Listening;
    m_listen = true;
    m_acceptArmed = true;
    createNotifiers();
    updateNotifiers();
    info(InfoListen, QStringLiteral("Listening Started"));
}

bool TSock::Connected() const {
    return m_state == State::Connected;
}

qsizetype TSock::outboundSize() const {
    return m_outbound.size();
}

qsizetype TSock::inboundSize() const {
    return m_inbound.size();
}

int TSock::hostNameResolutions() {
    return g_nameResolutions;
}

// ---- operations ------------------------------------------------------------------------------

bool TSock::Open() {
    if (m_fd >= 0) return Connected();

    // Both lookups come before the socket exists, so a failed lookup leaves nothing allocated
    // and a later Open can try again.
    const quint16 port = lookupPort();
    const quint32 address = lookupHost();

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        fireError(errno);
        return false;
    }
    m_fd = fd;
    m_state = State::Connecting;
    m_peerClosed = false;
    m_pendingConnectError = 0;

    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = address;
    // The outcome always arrives as a readiness event; an immediate failure is kept for it.
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 &&
        errno != EINPROGRESS && errno != EINTR)
        m_pendingConnectError = errno;

    createNotifiers();
    updateNotifiers();
    return Connected();
}

bool TSock::Accept(TSock*& newSock) {
    newSock = nullptr;
    if (!m_listen) raise("Accept - Socket Not In Listening Mode");

    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    const int fd =
        ::accept4(m_fd, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    const int acceptError = fd < 0 ? errno : 0;
    if (acceptError == EMFILE || acceptError == ENFILE || acceptError == ENOBUFS ||
        acceptError == ENOMEM) {
        // The waiting connection stays readable while no descriptor is free: listening again at
        // once would spin. Look again after a pause, when a connection may have closed.
        const QPointer<TSock> self(this);
        QTimer::singleShot(AcceptBackoffMs, this, [self] {
            if (!self || self->m_state != State::Listening) return;
            self->m_acceptArmed = true;
            self->updateNotifiers();
        });
    } else {
        // Like the native model, the next waiting connection is reported only after an accept.
        m_acceptArmed = true;
        updateNotifiers();
    }
    if (fd < 0) {
        info(InfoAccept, QStringLiteral("Could Not Accept Connection"));
        return false;
    }
    m_lastPeer = peer.sin_addr.s_addr;

    auto* fresh = new TSock(this);
    fresh->OnRead = OnRead;
    fresh->OnWrite = OnWrite;
    fresh->OnDisconnect = OnDisconnect;
    fresh->OnInfo = OnInfo;
    fresh->MaxOutbound = MaxOutbound;
    fresh->m_fd = fd;
    fresh->m_state = State::Connected;
    fresh->m_writeKick = true; // the first ready-for-writing event of a fresh connection
    fresh->createNotifiers();
    fresh->updateNotifiers();

    // The notices below run handlers, which may delete either socket.
    const QPointer<TSock> self(this);
    const QPointer<TSock> child(fresh);
    char dotted[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &peer.sin_addr, dotted, sizeof dotted);
    fresh->setPortName(QString(m_portName)); // a copy: the notice may run any handler
    if (child) child->setHostName(QString::fromLatin1(dotted));
    if (!self) return false;
    info(InfoAccept, QStringLiteral("Created New TSock Structure"));
    newSock = child.data();
    return newSock != nullptr;
}

bool TSock::Send(const QByteArray& bytes) {
    if (m_fd < 0) raise("Send - Socket Not Connected");
    if (m_listen) raise("Send - Cannot Send On A Listener Socket");

    m_outbound += bytes;
    if (m_outbound.isEmpty()) return true;

    QPointer<TSock> alive(this);
    info(InfoWrite, QStringLiteral("Non-Blocking Outgoing Data"));
    if (!alive || m_fd < 0) return false;

    // One call with everything; what the system does not take waits, in order, for the next.
    const ssize_t n = ::send(m_fd, m_outbound.constData(), size_t(m_outbound.size()),
                             MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
        m_outbound.remove(0, qsizetype(n));
    } else if (n < 0 && m_state == State::Connecting && m_pendingConnectError == 0) {
        // A send can consume the error of a connect that just failed; keep it for the
        // connect event, which would otherwise read no error and report a connection.
        const int err = errno;
        if (err != EAGAIN && err != EWOULDBLOCK && err != EINTR && err != ENOTCONN)
            m_pendingConnectError = err;
    }

    if (MaxOutbound > 0 && m_outbound.size() > MaxOutbound) {
        qCWarning(lcNet) << "peer does not read; closing after" << m_outbound.size()
                         << "unsent bytes";
        Close();
        return false;
    }
    updateNotifiers();
    return true;
}

QByteArray TSock::Receive() {
    if (m_fd < 0 && m_inbound.isEmpty()) raise("Receive - Socket Not Connected");
    if (m_listen) raise("Receive - Cannot Receive On A Listener Socket");
    return std::exchange(m_inbound, QByteArray());
}

bool TSock::Close() {
    QPointer<TSock> alive(this);
    bool ok = false;
    try {
        dropNotifiers();
        if (m_fd >= 0) ok = ::close(m_fd) == 0;
        m_fd = -1;
        m_state = State::Closed;
        m_peerClosed = false;
        m_writeKick = false;
        m_pendingConnectError = 0;
        m_outbound.clear(); // nowhere left to deliver it
        if (!m_listen) info(InfoClosed, QStringLiteral("Socket Closed"));
    } catch (const std::exception& e) {
        qCWarning(lcNet) << "swallowed during close:" << e.what();
    } catch (...) {
        qCWarning(lcNet) << "swallowed unknown exception during close";
    }
    if (alive) m_listen = false;
    return ok;
}

// ---- error names -----------------------------------------------------------------------------

QString TSock::errorName(int wsaNumber) {
    for (const auto& entry : kWsaNames)
        if (entry.number == wsaNumber) return QString::fromLatin1(entry.name);
    return QStringLiteral("UNKNOWN ERROR");
}

int TSock::wsaErrorFromErrno(int err) {
    if (err == 0) return 0;
    for (const auto& entry : kErrnoMap)
        if (entry.err == err) return entry.wsa;
    // Outside every named range, so it reads as "UNKNOWN ERROR" but keeps the raw number.
    return 20000 + err;
}

// ---- internals -------------------------------------------------------------------------------

void TSock::info(int code, const QString& text) {
    if (!OnInfo) return;
    const auto handler = OnInfo; // the handler may replace OnInfo or delete this socket
    try {
        handler(this, code, text);
    } catch (...) {
        throw ESockException("Error here");
    }
}

void TSock::fireError(int err) {
    const int number = wsaErrorFromErrno(err);
    info(InfoError, QStringLiteral("Error #%1 (%2)").arg(number).arg(errorName(number)));
}

quint16 TSock::lookupPort() {
    const QString name = m_portName;
    info(InfoLookup, QStringLiteral("Lookup Of Port ") + name);
    if (startsWithDigit(name)) {
        bool ok = false;
        const uint port = name.toUInt(&ok, 10);
        if (!ok || port > 65535) raise("Port Lookup - Could Not Find Service Entry");
        return quint16(port);
    }
    const QByteArray service = name.toLocal8Bit();
    servent entry{};
    servent* found = nullptr;
    std::array<char, 1024> scratch{};
    if (service.isEmpty() ||
        ::getservbyname_r(service.constData(), "tcp", &entry, scratch.data(), scratch.size(),
                          &found) != 0 ||
        found == nullptr)
        raise("Port Lookup - Could Not Find Service Entry");
    return ntohs(quint16(found->s_port));
}

quint32 TSock::lookupHost() {
    const QString name = m_hostName;
    if (name.isEmpty()) return htonl(INADDR_ANY);
    info(InfoLookup, QStringLiteral("Lookup Of Host ") + name);

    if (startsWithDigit(name)) {
        // A dotted address is converted, never resolved.
        in_addr addr{};
        if (::inet_aton(name.toLatin1().constData(), &addr) == 0)
            raise("Host Lookup - Could Not Find Host Entry");
        return addr.s_addr;
    }

    auto& cache = hostCache();
    if (const auto it = cache.constFind(name); it != cache.constEnd()) return it.value();

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    ++g_nameResolutions;
    if (::getaddrinfo(name.toLocal8Bit().constData(), nullptr, &hints, &result) != 0 ||
        result == nullptr)
        raise("Host Lookup - Could Not Find Host Entry");
    const quint32 address = reinterpret_cast<const sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(result);
    cache.insert(name, address);
    return address;
}

void TSock::createNotifiers() {
    dropNotifiers();
    // Unparented so that a handler deleting this socket never deletes the notifier whose
    // activation is still on the stack; dropNotifiers disposes of them.
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
    m_readNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this] { dispatch(true); });
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this] { dispatch(false); });
}

void TSock::dropNotifiers() {
    for (QSocketNotifier** slot : {&m_readNotifier, &m_writeNotifier}) {
        QSocketNotifier* notifier = std::exchange(*slot, nullptr);
        if (!notifier) continue;
        notifier->setEnabled(false);
        notifier->disconnect(this);
        if (m_dispatchDepth > 0)
            notifier->deleteLater();
        else
            delete notifier;
    }
}

void TSock::updateNotifiers() {
    // Only what can happen next is watched, so an idle socket costs nothing.
    if (m_readNotifier) {
        const bool wantRead = (m_state == State::Connected && !m_peerClosed) ||
                              (m_state == State::Listening && m_acceptArmed);
        if (m_readNotifier->isEnabled() != wantRead) m_readNotifier->setEnabled(wantRead);
    }
    if (m_writeNotifier) {
        const bool wantWrite =
            m_state == State::Connecting ||
            (m_state == State::Connected && (m_writeKick || !m_outbound.isEmpty()));
        if (m_writeNotifier->isEnabled() != wantWrite) m_writeNotifier->setEnabled(wantWrite);
    }
}

void TSock::dispatch(bool readable) {
    QPointer<TSock> alive(this);
    ++m_dispatchDepth;
    // Nothing may escape into the event loop; a handler's failure ends only this event.
    try {
        if (readable)
            onReadable();
        else
            onWritable();
    } catch (const std::exception& e) {
        qCWarning(lcNet) << "socket event handler failed:" << e.what();
    } catch (...) {
        qCWarning(lcNet) << "socket event handler failed";
    }
    if (alive) --m_dispatchDepth;
}

void TSock::onReadable() {
    QPointer<TSock> alive(this);
    if (m_state == State::Listening) {
        m_acceptArmed = false;
        updateNotifiers();
        if (OnAccept) {
            const auto handler = OnAccept;
            handler(this);
        }
        return;
    }
    if (m_state != State::Connected || m_peerClosed) return;

    std::array<char, kReadChunk> scratch;
    const ssize_t n = ::recv(m_fd, scratch.data(), scratch.size(), 0);
    if (n == 0) {
        // The peer closed its side: everything it sent has been read by now.
        m_peerClosed = true;
        updateNotifiers();
        // The close must happen even when the handler fails, or the slot would never be freed.
        auto closeAfter = qScopeGuard([&] {
            if (alive) Close();
        });
        if (OnDisconnect) {
            const auto handler = OnDisconnect;
            handler(this);
        }
        return;
    }
    if (n < 0) {
        const int err = errno;
        if (err != EAGAIN && err != EWOULDBLOCK && err != EINTR) {
            fireError(err); // a reset is followed by end-of-stream, which closes as above
            return;
        }
    } else {
        m_inbound.append(scratch.data(), qsizetype(n));
    }
    info(InfoRead, QStringLiteral("Non-Blocking Incoming Data"));
    if (!alive || !OnRead) return;
    const auto handler = OnRead;
    handler(this, int(m_inbound.size()));
}

void TSock::onWritable() {
    QPointer<TSock> alive(this);
    if (m_state == State::Connecting) {
        int err = std::exchange(m_pendingConnectError, 0);
        if (err == 0) {
            socklen_t len = sizeof err;
            if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
        }
        if (err == 0) {
            // No error recorded yet not connected: the error was taken by another call.
            sockaddr_in peer{};
            socklen_t len = sizeof peer;
            if (::getpeername(m_fd, reinterpret_cast<sockaddr*>(&peer), &len) != 0) err = errno;
        }
        if (err != 0) {
            // The socket stays allocated; nothing more is watched until it is closed.
            m_state = State::ConnectFailed;
            updateNotifiers();
            fireError(err);
            return;
        }
        m_state = State::Connected;
        m_writeKick = true; // the write notifier stays on for the first ready-for-writing event
        updateNotifiers();
        info(InfoConnected, QStringLiteral("Non-Blocking Socket Connected"));
        if (!alive || m_state != State::Connected || !OnConnect) return;
        const auto handler = OnConnect;
        handler(this);
        return;
    }
    if (m_state != State::Connected) return;

    m_writeKick = false;
    if (!m_outbound.isEmpty()) {
        Send(QByteArray());
        if (!alive || m_state != State::Connected) return;
    }
    info(InfoWrite, QStringLiteral("Non-Blocking Outgoing Data"));
    if (!alive || m_state != State::Connected) return;
    if (OnWrite) {
        const auto handler = OnWrite;
        handler(this);
        if (!alive) return;
    }
    updateNotifiers();
}

} // namespace pelvo
