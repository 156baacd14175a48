#include "session/HubClient.h"

// Qt
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QWebSocket>

Q_LOGGING_CATEGORY(lcHub, "pelvo.session.hub")

namespace pelvo {

namespace {
constexpr int FirstRetryMs = 2000;
constexpr int LastRetryMs = 30000;
} // namespace

HubClient::HubClient(QObject* parent)
    : QObject(parent), http_(new QNetworkAccessManager(this)), retry_(new QTimer(this)),
      handshake_(new QTimer(this)) {
    retry_->setSingleShot(true);
    handshake_->setSingleShot(true);
    connect(retry_, &QTimer::timeout, this, &HubClient::openLobby);
    connect(handshake_, &QTimer::timeout, this, [this] {
        if (socket_ && socket_->state() != QAbstractSocket::ConnectedState) socket_->abort();
    });
}

HubClient::~HubClient() {
    wanted_ = false;
    if (socket_) socket_->disconnect(this);
}

void HubClient::setHub(const QUrl& base) {
    if (base == base_) return;
    const bool reopen = wanted_;
    closeLobby();
    base_ = base;
    if (reopen) openLobby();
}

// ---------------------------------------------------------------- requests

void HubClient::request(const QByteArray& verb, const QString& path, const QByteArray& body,
                        int expected, std::function<void(const QByteArray&)> ok, Failed failed) {
    QUrl url = base_;
    url.setPath(path);
    QNetworkRequest r(url);
    r.setTransferTimeout(timeoutMs_);
    r.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    r.setRawHeader("Accept", "application/json");
    r.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    // The hub answers itself; a redirect elsewhere is not its interface.
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply =
        body.isNull() ? http_->sendCustomRequest(r, verb) : http_->sendCustomRequest(r, verb, body);
    // An answer larger than any the hub gives is not read to its end.
    auto tooBig = std::make_shared<bool>(false);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, tooBig](qint64 received) {
        if (received > hub::MaxAnswerBytes && !*tooBig) {
            *tooBig = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, tooBig, expected, ok = std::move(ok), failed = std::move(failed)] {
                reply->deleteLater();
                const int status =
                    reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                if (*tooBig) return failed({hub::Failure::BadAnswer, {}});
                if (status == 0) {
                    qCDebug(lcHub) << "no answer from" << base_ << reply->errorString();
                    // A hub that speaks no HTTP at all is no hub; silence or refusal is distance.
                    return failed({reply->error() == QNetworkReply::ProtocolFailure
                                       ? hub::Failure::BadAnswer
                                       : hub::Failure::Unreachable,
                                   {}});
                }
                const QByteArray answer = reply->read(hub::MaxAnswerBytes + 1);
                if (status == expected) return ok(answer);
                const hub::ErrorBody body = hub::readErrorBody(answer);
                failed({hub::classifyAnswer(status, body.error), body.message});
            });
}

void HubClient::listTables(std::function<void(const QList<hub::Table>&)> done, Failed failed) {
    request(
        "GET", QStringLiteral("/v1/tables"), QByteArray(), 200,
        [done, failed](const QByteArray& answer) {
            const auto tables = hub::readTables(answer);
            tables ? done(*tables) : failed({hub::Failure::BadAnswer, {}});
        },
        failed);
}

void HubClient::createTable(const QString& name, bool isPrivate, const QString& level,
                            std::function<void(const hub::Created&)> done, Failed failed) {
    request(
        "POST", QStringLiteral("/v1/tables"), hub::createRequest(name, isPrivate, level), 201,
        [done, failed, isPrivate](const QByteArray& answer) {
            const auto created = hub::readCreated(answer);
            // A private table without its code could never be found again.
            if (!created || (isPrivate && created->code.isEmpty()))
                return failed({hub::Failure::BadAnswer, {}});
            done(*created);
        },
        failed);
}

void HubClient::lookUpCode(const QString& code, std::function<void(const hub::CodeTarget&)> done,
                           Failed failed) {
    const QString canonical = hub::normaliseCode(code);
    if (canonical.isEmpty()) {
        // Not a code at all: said without asking, but never at once.
        QTimer::singleShot(0, this, [failed] { failed({hub::Failure::CodeUnknown, {}}); });
        return;
    }
    request(
        "GET", QStringLiteral("/v1/codes/") + canonical, QByteArray(), 200,
        [done, failed](const QByteArray& answer) {
            const auto target = hub::readCodeTarget(answer);
            target ? done(*target) : failed({hub::Failure::BadAnswer, {}});
        },
        [failed](const hub::Error& error) {
            // On this path a 404 is the code, not a table.
            failed(error.kind == hub::Failure::TableGone
                       ? hub::Error{hub::Failure::CodeUnknown, error.hubMessage}
                       : error);
        });
}

// ---------------------------------------------------------------- the live connection

QUrl HubClient::lobbyUrl() const {
    QUrl url = base_;
    url.setScheme(base_.scheme() == u"https" ? QStringLiteral("wss") : QStringLiteral("ws"));
    url.setPath(QStringLiteral("/v1/lobby"));
    return url;
}

bool HubClient::lobbyConnected() const {
    return socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

void HubClient::openLobby() {
    wanted_ = true;
    retry_->stop();
    if (!base_.isValid() || socket_) return;
    socket_ = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    socket_->setMaxAllowedIncomingMessageSize(quint64(hub::MaxAnswerBytes));
    socket_->setMaxAllowedIncomingFrameSize(quint64(hub::MaxAnswerBytes));
    connect(socket_, &QWebSocket::connected, this, [this] {
        handshake_->stop();
        retryMs_ = 0;
        emit lobbyConnectedChanged(true);
    });
    connect(socket_, &QWebSocket::textMessageReceived, this, &HubClient::lobbyMessage);
    connect(socket_, &QWebSocket::disconnected, this, &HubClient::lobbyClosed);
    handshake_->start(timeoutMs_);
    socket_->open(lobbyUrl());
}

void HubClient::closeLobby() {
    wanted_ = false;
    retry_->stop();
    handshake_->stop();
    if (!socket_) return;
    QWebSocket* socket = socket_;
    socket_ = nullptr;
    socket->disconnect(this);
    const bool was = socket->state() == QAbstractSocket::ConnectedState;
    socket->abort();
    socket->deleteLater();
    if (was) emit lobbyConnectedChanged(false);
}

void HubClient::lobbyClosed() {
    QWebSocket* socket = socket_;
    if (!socket) return;
    socket_ = nullptr;
    handshake_->stop();
    socket->disconnect(this);
    socket->deleteLater();
    // The plain requests tell a wrong address from a distant one; here it is only lost.
    emit lobbyConnectedChanged(false);
    emit lobbyFailed({hub::Failure::Unreachable, socket->errorString()});
    if (!wanted_) return;
    retryMs_ = retryMs_ == 0 ? FirstRetryMs : std::min(retryMs_ * 2, LastRetryMs);
    retry_->start(retryMs_);
}

void HubClient::lobbyMessage(const QString& text) {
    const auto m = hub::readLobbyMessage(text.toUtf8());
    if (!m) {
        qCDebug(lcHub) << "lobby message not understood, dropped";
        return;
    }
    switch (m->kind) {
    case hub::LobbyMessage::Kind::Tables:
        emit tablesChanged(m->tables);
        break;
    case hub::LobbyMessage::Kind::Chat:
        emit chatReceived(m->lines.first());
        break;
    case hub::LobbyMessage::Kind::History:
        emit historyReceived(m->lines);
        break;
    case hub::LobbyMessage::Kind::Error:
        emit lobbyRefused(m->error, m->message);
        break;
    }
}

bool HubClient::sendChat(const QString& name, const QString& text) {
    if (!lobbyConnected()) return false;
    const QByteArray message = hub::chatMessage(name, text);
    if (message.isEmpty()) return false;
    socket_->sendTextMessage(QString::fromUtf8(message));
    return true;
}

} // namespace pelvo
