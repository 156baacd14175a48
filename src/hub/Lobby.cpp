#include "hub/Lobby.h"

// own
#include "host/EventLog.h"
#include "hub/HubJson.h"
#include "hub/TableRegistry.h"

// Qt
#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebSocket>

// std
#include <algorithm>

namespace pelvo::hub {

struct Lobby::Client {
    std::unique_ptr<QWebSocket> socket;
    QString address;
    RateLimiter chat;
    int strikes = 0;
    QElapsedTimer heard; // since the last message or pong
};

namespace {

QString peerOf(const QWebSocket& socket) {
    bool isV4 = false;
    const quint32 v4 = socket.peerAddress().toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : socket.peerAddress().toString();
}

} // namespace

Lobby::Lobby(TableRegistry& registry, Options options, QObject* parent)
    : QObject(parent), registry_(registry), options_(options) {
    tablesChanged_.setSingleShot(true);
    // The whole list goes to every connection: with many tables and many people, changes are
    // gathered for a second so the list cannot be sent more often than that.
    tablesChanged_.setInterval(1000);
    connect(&tablesChanged_, &QTimer::timeout, this, [this] { broadcast(tablesMessage()); });
    connect(&registry_, &TableRegistry::publicChanged, this, [this] {
        if (!tablesChanged_.isActive()) tablesChanged_.start();
    });
    sweep_.setInterval(int(std::max<qint64>(1000, options_.silenceMs / 3)));
    connect(&sweep_, &QTimer::timeout, this, &Lobby::sweep);
    sweep_.start();
}

Lobby::~Lobby() {
    closeAll();
}

void Lobby::accept(std::unique_ptr<QWebSocket> socket) {
    const QString address = peerOf(*socket);
    const bool lobby = socket->requestUrl().path() == QLatin1String("/v1/lobby");
    const auto fromThere = std::count_if(clients_.cbegin(), clients_.cend(),
                                         [&](const auto& c) { return c->address == address; });
    if (!lobby || fromThere >= options_.perAddress ||
        int(clients_.size()) >= options_.maxConnections) {
        ++refused_;
        socket->close(lobby ? QWebSocketProtocol::CloseCode(1013) // try again later
                            : QWebSocketProtocol::CloseCodePolicyViolated,
                      lobby ? QStringLiteral("too many connections") : QStringLiteral("not found"));
        QWebSocket* raw = socket.release();
        raw->deleteLater();
        return;
    }
    auto client = std::make_unique<Client>(
        Client{std::move(socket), address, RateLimiter(options_.chatBurst, options_.chatPerSecond),
               0, QElapsedTimer()});
    Client* c = client.get();
    c->heard.start();
    QWebSocket* ws = c->socket.get();
    ws->setMaxAllowedIncomingFrameSize(quint64(MaxMessageBytes));
    ws->setMaxAllowedIncomingMessageSize(quint64(MaxMessageBytes));
    ws->setOutgoingFrameSize(16 * 1024);
    connect(ws, &QWebSocket::textMessageReceived, this,
            [this, c](const QString& text) { onText(c, text); });
    connect(ws, &QWebSocket::binaryMessageReceived, this,
            [this, c] { c->socket->close(QWebSocketProtocol::CloseCodeDatatypeNotSupported); });
    connect(ws, &QWebSocket::pong, this, [c] { c->heard.start(); });
    connect(ws, &QWebSocket::disconnected, this, [this, c] { drop(c); });
    clients_.push_back(std::move(client));
    sendTo(c, tablesMessage());
    QJsonArray lines;
    for (const QJsonObject& line : history_) lines.append(line);
    sendTo(c, QJsonObject{{QStringLiteral("type"), QStringLiteral("history")},
                          {QStringLiteral("lines"), lines}});
}

void Lobby::onText(Client* c, const QString& text) {
    c->heard.start();
    auto chat = readChat(text.toUtf8());
    QString error, message;
    if (auto* r = std::get_if<Refusal>(&chat)) {
        error = r->error;
        message = r->message;
    } else if (!c->chat.take(QString())) {
        error = QStringLiteral("rate_limited");
        message = QStringLiteral("Too many lines; wait a moment before the next.");
    }
    if (!error.isEmpty()) {
        sendTo(c, QJsonObject{{QStringLiteral("type"), QStringLiteral("error")},
                              {QStringLiteral("error"), error},
                              {QStringLiteral("message"), message}});
        if (++c->strikes >= options_.strikes)
            c->socket->close(QWebSocketProtocol::CloseCodePolicyViolated,
                             QStringLiteral("too many refused messages"));
        return;
    }
    const ChatRequest& req = std::get<ChatRequest>(chat);
    const QJsonObject line{
        {QStringLiteral("type"), QStringLiteral("chat")},
        {QStringLiteral("name"), req.name},
        {QStringLiteral("text"), req.text},
        {QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)}};
    history_.push_back(line);
    while (int(history_.size()) > options_.historyLines) history_.pop_front();
    ++chatLines_;
    if (eventLog)
        eventLog(eventLine(u"pelvo-hub", "chat",
                           {{"addr", c->address},
                            LogField::text("name", req.name),
                            {"chars", int(req.text.size())}}));
    broadcast(line);
}

void Lobby::sendTo(Client* c, const QJsonObject& message) {
    QWebSocket* ws = c->socket.get();
    // A reader that does not read must not make the hub hold its messages without end.
    if (ws->bytesToWrite() > options_.maxUnsent) {
        ws->abort();
        return;
    }
    ws->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

void Lobby::broadcast(const QJsonObject& message) {
    // Copies: an abort while sending takes the client out of the list.
    std::vector<Client*> all;
    for (auto& c : clients_) all.push_back(c.get());
    for (Client* c : all) sendTo(c, message);
}

void Lobby::drop(Client* c) {
    auto it =
        std::find_if(clients_.begin(), clients_.end(), [c](const auto& p) { return p.get() == c; });
    if (it == clients_.end()) return;
    std::unique_ptr<Client> gone = std::move(*it);
    clients_.erase(it);
    gone->socket->disconnect(this);
    gone->socket.release()->deleteLater();
}

QJsonObject Lobby::tablesMessage() const {
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("tables")},
                       {QStringLiteral("tables"), registry_.publicTables()}};
}

void Lobby::sweep() {
    std::vector<Client*> all;
    for (auto& c : clients_) all.push_back(c.get());
    for (Client* c : all) {
        if (c->heard.elapsed() > options_.silenceMs)
            c->socket->abort(); // half-open or gone quiet: no pong came back
        else
            c->socket->ping();
    }
}

void Lobby::closeAll() {
    while (!clients_.empty()) {
        Client* c = clients_.back().get();
        c->socket->close(QWebSocketProtocol::CloseCodeGoingAway);
        drop(c);
    }
}

} // namespace pelvo::hub
