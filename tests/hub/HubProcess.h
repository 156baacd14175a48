#pragma once
// pelvo-hub as a child process on free ports, and a small blocking HTTP client for it. The hub
// starts real pelvo-table processes from the build tree (they sit beside it).

#include "support/TestEnv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTest>

#include <csignal>

namespace pelvo::test {

struct HttpAnswer {
    int status = 0; // 0: no answer
    QByteArray body;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    QString error() const { return json().value("error").toString(); }
};

class HubProcess {
public:
    QProcess process;
    quint16 port = 0;
    quint16 firstTablePort = 0;
    QStringList extraArgs;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    // Table ports: ten from a free port on; the hub skips any that are taken.
    bool start(QStringList args = {}) {
        if (port == 0) port = freePort();
        if (firstTablePort == 0) firstTablePort = freePort();
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.setProcessEnvironment(env);
        process.start(
            programPath("src/pelvo-hub"),
            QStringList{"--port", QString::number(port), "--table-ports",
                        QStringLiteral("%1-%2").arg(firstTablePort).arg(firstTablePort + 9),
                        "--table-bot-speed", "5"} +
                extraArgs + args);
        if (!process.waitForStarted(5000)) return false;
        return QTest::qWaitFor([&] { return log().contains("event=listening port="); }, 10000);
    }
    QString log() {
        log_ += QString::fromUtf8(process.readAllStandardError());
        return log_;
    }
    bool stop(int signal = SIGTERM) {
        ::kill(pid_t(process.processId()), signal);
        return QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 15000);
    }
    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path);
    }
    ~HubProcess() {
        if (process.state() != QProcess::NotRunning) {
            ::kill(pid_t(process.processId()), SIGTERM);
            if (!process.waitForFinished(10000)) process.kill();
        }
    }

private:
    QString log_;
};

// Blocking requests that spin the event loop meanwhile.
class Http {
public:
    QNetworkAccessManager net;

    HttpAnswer send(const QByteArray& method, const QString& url, const QByteArray& body = {},
                    const QByteArray& key = {}) {
        QNetworkRequest request{QUrl(url)};
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        if (!key.isEmpty()) request.setRawHeader("Authorization", "Bearer " + key);
        request.setTransferTimeout(15000);
        QNetworkReply* reply = net.sendCustomRequest(request, method, body);
        HttpAnswer answer;
        (void)QTest::qWaitFor([&] { return reply->isFinished(); }, 20000);
        answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.body = reply->readAll();
        reply->deleteLater();
        return answer;
    }
    HttpAnswer get(const QString& url) { return send("GET", url); }
    HttpAnswer post(const QString& url, const QJsonObject& body, const QByteArray& key = {}) {
        return send("POST", url, QJsonDocument(body).toJson(QJsonDocument::Compact), key);
    }
};

// The public list, as ids to table objects.
inline QJsonArray tablesOf(Http& http, const HubProcess& hub) {
    return http.get(hub.url("/v1/tables")).json().value("tables").toArray();
}

inline bool listed(Http& http, const HubProcess& hub, const QString& id) {
    for (const auto& t : tablesOf(http, hub))
        if (t.toObject().value("id").toString() == id) return true;
    return false;
}

} // namespace pelvo::test
