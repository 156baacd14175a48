#include "session/Connection.h"

// own
#include "net/TSock.h"
#include "protocol/Commands.h"
#include "protocol/Messages.h"
#include "protocol/Notices.h"
#include "protocol/Ports.h"
#include "protocol/WireText.h"
#include "session/SeatKeys.h"

// Qt
#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTimer>

// std
#include <algorithm>
#include <utility>

Q_LOGGING_CATEGORY(lcConnection, "pelvo.session")

namespace pelvo {

namespace {
qint64 nowMs() {
    return QDeadlineTimer::current().deadline();
}
} // namespace

Connection::Connection(QObject* parent) : QObject(parent) {
    sock_ = new TSock(this);
    sock_->setObjectName("sock");
    sock_->setPortName(gamePortName());
    sock_->OnRead = [this](TSock*, int) { sockRead(); };
    sock_->OnInfo = [this](TSock*, int code, const QString& text) { sockInfo(code, text); };

    // Dispatch runs only while lines wait, so an idle client costs nothing.
    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(1);
    connect(timer1_, &QTimer::timeout, this, [this] {
        dispatchOne();
        if (receivedlist_.isEmpty()) timer1_->stop();
    });

    // A table greets a new connection at once; one that stays silent is no table to wait for.
    if (const auto ms = qEnvironmentVariableIntValue("PELVO_CONNECT_TIMEOUT_MS"); ms > 0)
        connectTimeoutMs_ = ms;
    connectTimer_ = new QTimer(this);
    connectTimer_->setSingleShot(true);
    connect(connectTimer_, &QTimer::timeout, this, [this] {
        if (loginPending_) failConnect(ConnectFailure::TimedOut, 0, QString());
    });
}

Connection::~Connection() {
    // The socket closes while the connection is being taken apart; its notices must not reach it.
    sock_->OnInfo = nullptr;
    sock_->OnRead = nullptr;
}

void Connection::open(const QString& address) {
    hostAddress_ = address;
    // A program that was closed or crashed during a game asks for its seat back.
    if (token_.isEmpty() && !tokenFolder_.isEmpty())
        token_ = seatkeys::load(tokenFolder_, address, sock_->PortName());
    sock_->setHostName(address);
    sock_->Open();
    loginPending_ = true;
    connectTimer_->start(connectTimeoutMs_);
}

void Connection::failConnect(ConnectFailure kind, int wsaNumber, const QString& detail) {
    loginPending_ = false;
    connectFailed_ = true;
    connectTimer_->stop();
    stop();
    ConnectFailureReport report;
    report.kind = kind;
    report.address = sock_->HostName();
    report.port = sock_->PortName();
    report.timeoutMs = connectTimeoutMs_;
    report.detail = detail;
    qCDebug(lcConnection) << "connection failed:" << int(kind) << wsaNumber << detail;
    emit failed(connectFailureText(report));
}

bool Connection::send(const QByteArray& frame) {
    bool sent = false;
    if (transport_) {
        sent = transport_(frame);
    } else {
        try {
            sent = sock_->Send(frame);
        } catch (const ESockException& e) {
            qCDebug(lcConnection) << "send refused:" << e.what();
        }
    }
    if (sent) emit frameSent(frame);
    return sent;
}

void Connection::sockRead() {
    QList<QByteArray> frames;
    const int skipped = splitter_.skipped();
    splitter_.feed(sock_->Receive(), frames);
    if (splitter_.skipped() != skipped) qCWarning(lcConnection) << "skipped an oversized frame";
    if (!frames.isEmpty() && loginPending_) {
        loginPending_ = false; // the host has spoken: from here on its notices decide
        connectTimer_->stop();
    }
    for (const QByteArray& frame : frames) {
        const QString line = decodeWire(frame);
        receivedlist_.append(line);
        emit lineReceived(line);
    }
    if (!receivedlist_.isEmpty() && !timer1_->isActive()) timer1_->start();
}

void Connection::sockInfo(int code, const QString& text) {
    if (connectFailed_) return;
    if (code == InfoError && reconnecting_ && !sock_->Connected()) {
        retryLater(); // this try found nobody; wait and try again
        return;
    }
    if (loginPending_ && code == InfoError) {
        // "Error #10061 (WSAECONNREFUSED)": the attempt failed; the socket reports nothing more.
        static const QRegularExpression number(QStringLiteral("^Error #(\\d+)"));
        const int wsa = number.match(text).captured(1).toInt();
        failConnect(classifyConnectError(wsa), wsa, text);
        return;
    }
    if (text != QLatin1String("Socket Closed") || ignoreClose_) return;
    if (loginPending_ && receivedlist_.isEmpty()) {
        failConnect(ConnectFailure::Refused, 0, text);
        return;
    }
    // A handler waiting on the player (a message box) finishes first; then the window closes.
    if (dispatching_ > 0) {
        hangUpPending_ = true;
        return;
    }
    // What arrived before the close is still handled: a full table sends "CMD_full" and
    // closes at once, and the player must see why the game ends.
    while (!receivedlist_.isEmpty() && !closing_) dispatchOne();
    emit lost();
}

void Connection::stop() {
    closing_ = true;
    timer1_->stop();
}

void Connection::dropQueue() {
    timer1_->stop();
    receivedlist_.clear();
}

void Connection::dispatchOne() {
    if (receivedlist_.isEmpty()) return;
    const QString line = receivedlist_.takeFirst();
    if (handler_) handler_(line);
}

void Connection::whileHandling(const std::function<void()>& handle) {
    ++dispatching_;
    handle();
    --dispatching_;
    if (dispatching_ == 0 && std::exchange(hangUpPending_, false))
        sockInfo(InfoClosed, "Socket Closed");
}

// ---------------------------------------------------------------- the seat's token

void Connection::setToken(const QString& token, int reserveSeconds) {
    token_ = token;
    reserveSeconds_ = reserveSeconds;
}

void Connection::keepToken() {
    if (token_.isEmpty() || tokenFolder_.isEmpty()) return;
    seatkeys::save(tokenFolder_, hostAddress_, sock_->PortName(), token_);
}

void Connection::unstoreToken() {
    seatkeys::remove(tokenFolder_, hostAddress_, sock_->PortName());
}

void Connection::dropToken() {
    token_.clear();
    unstoreToken();
}

void Connection::sendLogin(int slot, const QString& name) {
    const QString version = QString::fromLatin1(wire::version);
    if (token_.isEmpty()) {
        send(msg::logininfo(slot, version, name));
        return;
    }
    reclaimPending_ = true;
    send(notice::encode(notice::ReclaimSeat{slot, token_, version, name}));
    // A host that does not know the request never answers it: log in as usual after a while.
    const int attempt = ++logins_;
    QTimer::singleShot(ReclaimPatience, this, [this, slot, attempt, version, name] {
        if (!reclaimPending_ || attempt != logins_ || closing_) return;
        reclaimPending_ = false;
        dropToken();
        send(msg::logininfo(slot, version, name));
    });
}

void Connection::ownLoginSeen() {
    // A reclaim the host did not answer with the seat: this is an ordinary login now.
    if (std::exchange(reclaimPending_, false)) dropToken();
    reconnecting_ = false;
}

void Connection::seatBack() {
    reclaimPending_ = false;
    ++logins_;
    reconnecting_ = false;
    if (retry_) retry_->stop();
}

// ---------------------------------------------------------------- reconnecting

bool Connection::startReconnect() {
    if (token_.isEmpty() || reserveSeconds_ <= 0) return false;
    reconnecting_ = true;
    attempt_ = 0;
    deadline_ = nowMs() + qint64(reserveSeconds_) * 1000;
    if (reconnectBase_ <= 0) {
        bool ok = false;
        const int ms = qEnvironmentVariableIntValue("PELVO_RECONNECT_MS", &ok);
        reconnectBase_ = ok && ms > 0 ? ms : 1000;
    }
    if (!retry_) {
        retry_ = new QTimer(this);
        retry_->setSingleShot(true);
        connect(retry_, &QTimer::timeout, this, &Connection::retryConnection);
    }
    retryLater();
    return true;
}

void Connection::retryLater() {
    const qint64 left = deadline_ - nowMs();
    if (left <= 0) {
        // The seat is no longer kept for us.
        reconnecting_ = false;
        dropToken();
        emit gaveUp();
        return;
    }
    // 1, 2, 4, 8 … times the base, and never past the reservation.
    const qint64 wait = std::min(qint64(reconnectBase_) << std::min(attempt_, 20), left);
    ++attempt_;
    retry_->start(int(wait));
}

void Connection::retryConnection() {
    if (!reconnecting_ || closing_) return;
    ignoreClose_ = true;
    sock_->Close();
    ignoreClose_ = false;
    splitter_.clear();
    receivedlist_.clear();
    try {
        sock_->Open();
    } catch (const ESockException&) {
        retryLater();
    }
}

} // namespace pelvo
