#pragma once
// Talks to a hub: plain requests over HTTP (the table list, creating a table, looking up a join
// code) and the lobby's live connection over a WebSocket (list changes and the lobby chat).
// Every answer is read through session/hub/HubAnswers.h; every failure arrives typed.

// own
#include "session/hub/HubAnswers.h"
#include "session/hub/HubFailure.h"

// Qt
#include <QObject>
#include <QPointer>
#include <QUrl>

// std
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class QWebSocket;

namespace pelvo {

class HubClient : public QObject {
    Q_OBJECT
public:
    using Failed = std::function<void(const hub::Error&)>;

    explicit HubClient(QObject* parent = nullptr);
    ~HubClient() override;

    // The hub's base address (see hub::hubUrl). Changing it closes the live connection.
    void setHub(const QUrl& base);
    QUrl hub() const { return base_; }
    // A request without an answer after this long counts as unreachable.
    void setTimeout(int ms) { timeoutMs_ = ms; }

    // Each calls exactly one of its two functions later, never both, never at once.
    void listTables(std::function<void(const QList<hub::Table>&)> done, Failed failed);
    void createTable(const QString& name, bool isPrivate, const QString& level,
                     std::function<void(const hub::Created&)> done, Failed failed);
    void lookUpCode(const QString& code, std::function<void(const hub::CodeTarget&)> done,
                    Failed failed);

    // The live connection: opens it (again, after a loss, until closeLobby) and reports what
    // comes.
    void openLobby();
    void closeLobby();
    bool lobbyConnected() const;
    // False when the line is empty or the lobby is not connected.
    bool sendChat(const QString& name, const QString& text);

signals:
    void lobbyConnectedChanged(bool connected);
    // The live connection could not be made or was lost; it is tried again shortly.
    void lobbyFailed(const pelvo::hub::Error& error);
    void tablesChanged(const QList<pelvo::hub::Table>& tables);
    void chatReceived(const pelvo::hub::ChatLine& line);
    void historyReceived(const QList<pelvo::hub::ChatLine>& lines);
    // The hub refused something said on the live connection (a chat line too fast).
    void lobbyRefused(const QString& error, const QString& message);

private:
    void request(const QByteArray& verb, const QString& path, const QByteArray& body, int expected,
                 std::function<void(const QByteArray&)> ok, Failed failed);
    void lobbyMessage(const QString& text);
    void lobbyClosed();
    QUrl lobbyUrl() const;

    QUrl base_;
    int timeoutMs_ = 10000;
    QNetworkAccessManager* http_ = nullptr;
    QWebSocket* socket_ = nullptr;
    QTimer* retry_ = nullptr;
    QTimer* handshake_ = nullptr;
    bool wanted_ = false;
    int retryMs_ = 0;
};

} // namespace pelvo
