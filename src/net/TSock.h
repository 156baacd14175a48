#pragma once
// TSock: one TCP endpoint (client, listener or accepted connection) that moves raw bytes.
// Readiness comes from QSocketNotifier, so every event runs on the thread that owns the object.

// Qt
#include <QByteArray>
#include <QObject>
#include <QString>

// std
#include <functional>
#include <stdexcept>

class QSocketNotifier;

namespace pelvo {

class ESockException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Info codes passed to OnInfo.
enum SockInfo {
    InfoLookup = 0,
    InfoConnected = 1,
    InfoClosed = 2,
    InfoListen = 3,
    InfoRead = 4,
    InfoWrite = 5,
    InfoAccept = 6,
    InfoError = 7
};

class TSock : public QObject {
    Q_OBJECT
public:
    explicit TSock(QObject* owner = nullptr);
    ~TSock() override; // closes first when listening or connected

    // settings
    QString HostName() const;
    void setHostName(const QString& name); // "has no effect" notice while connected
    QString PortName() const;
    void setPortName(const QString& name); // "has no effect" notice while connected
    bool Listen() const;
    void setListen(bool on); // raises ESockException
    bool Connected() const;
    int Tag = 0; // the host keeps a slot number here

    // A peer that does not read is a broken peer: when > 0 and the unsent output grows past
    // this many bytes after a Send, the socket closes itself ("Socket Closed" as usual).
    // Accepted sockets take over the listener's value.
    qsizetype MaxOutbound = 0;
    // Pause before a listener looks again for a connection it could not take for want of
    // descriptors.
    static constexpr int AcceptBackoffMs = 100;
    qsizetype outboundSize() const;
    qsizetype inboundSize() const;

    // events (all optional, all called on the thread that owns the object)
    std::function<void(TSock*)> OnConnect, OnDisconnect, OnWrite, OnAccept;
    std::function<void(TSock*, int code, const QString& text)> OnInfo;
    std::function<void(TSock*, int count)> OnRead;

    // operations
    bool Open();                        // client connect, non-blocking; returns the connected flag
    bool Accept(TSock*& newSock);       // new socket owned (QObject parent) by the listener
    bool Send(const QByteArray& bytes); // queues and sends; exact bytes, nothing added; false
                                        // when the outbound cap closed the socket
    QByteArray Receive();               // whole inbound buffer, emptied
    bool Close();                       // never throws; true when the OS close succeeded

    bool holdsSocket() const { return m_fd >= 0; }
    // How many host names were resolved through the system resolver (the cache and dotted
    // addresses bypass it); lets tests see that a lookup was skipped.
    static int hostNameResolutions();

    static QString errorName(int wsaNumber); // "WSAECONNREFUSED" etc., "UNKNOWN ERROR"
    static int wsaErrorFromErrno(int err);   // ECONNREFUSED -> 10061 etc.

private:
    enum class State { Closed, Connecting, ConnectFailed, Connected, Listening, ListenFailed };

    void info(int code, const QString& text);
    // The host and port take effect at the next connection; set while connected, it says so.
    void setAddressPart(QString& part, const QString& value, const char* partName);
    void fireError(int err);
    void createNotifiers();
    void dropNotifiers();
    void updateNotifiers();
    void dispatch(bool readable);
    void onReadable();
    void onWritable();
    quint16 lookupPort();
    quint32 lookupHost();

    int m_fd = -1;
    State m_state = State::Closed;
    bool m_listen = false;
    bool m_writeKick = false;  // one ready-for-writing event after connect or accept
    bool m_acceptArmed = true; // a listener reports the next connection after an Accept
    bool m_peerClosed = false; // end of stream seen; the close follows
    int m_dispatchDepth = 0;   // inside a notifier activation of this socket
    quint32 m_lastPeer = 0;    // listener: address of the connection accepted last
    int m_pendingConnectError = 0;
    QString m_hostName;
    QString m_portName;
    QByteArray m_inbound;
    QByteArray m_outbound;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
};

} // namespace pelvo
