#include "session/hub/HubAnswers.h"

// Qt
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

// std
#include <cmath>
#include <cstring>

namespace pelvo::hub {

namespace {

constexpr char CodeAlphabet[] = "23456789ABCDEFGHJKLMNPQRSTUVWXYZ";

std::optional<QJsonObject> object(const QByteArray& json) {
    if (json.size() > MaxAnswerBytes) return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
    return doc.object();
}

// Text shown to a player: no control characters, at most `limit` characters.
QString shown(const QString& text, int limit) {
    QString out;
    out.reserve(std::min<qsizetype>(text.size(), limit));
    for (QChar c : text) {
        if (out.size() == limit) break;
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            continue;
        out += c;
    }
    return out;
}

// A string field; nullopt when absent or of another type. Longer texts are cut.
std::optional<QString> text(const QJsonObject& o, const char* key, int limit) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString()) return std::nullopt;
    return shown(v.toString(), limit);
}

std::optional<int> integer(const QJsonObject& o, const char* key, int low, int high) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isDouble()) return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d < low || d > high) return std::nullopt;
    return int(d);
}

std::optional<bool> flag(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isBool()) return std::nullopt;
    return v.toBool();
}

// An address to connect to: a host name or number, nothing that could carry more.
std::optional<QString> address(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString()) return std::nullopt;
    const QString a = v.toString();
    if (a.isEmpty() || a.size() > 253) return std::nullopt;
    for (QChar c : a)
        if (!(c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u':' || c == u'_') ||
            c.unicode() > 127)
            return std::nullopt;
    return a;
}

std::optional<Table> table(const QJsonValue& value) {
    if (!value.isObject()) return std::nullopt;
    const QJsonObject o = value.toObject();
    Table t;
    const auto id = text(o, "id", 64);
    const auto name = text(o, "name", MaxNameLength);
    const auto addr = address(o, "address");
    const auto port = integer(o, "port", 1, 65535);
    const auto taken = integer(o, "seats_taken", 0, 4);
    const auto free = integer(o, "seats_free", 0, 4);
    const auto watchers = integer(o, "watchers", 0, 1000);
    const auto playing = flag(o, "playing");
    const auto level = text(o, "level", 16);
    const auto priv = flag(o, "private");
    if (!id || id->isEmpty() || !name || !addr || !port || !taken || !free || !watchers ||
        !playing || !level || !priv)
        return std::nullopt;
    return Table{*id,   *name,     *addr,    quint16(*port), *taken,
                 *free, *watchers, *playing, *level,         *priv};
}

std::optional<QList<Table>> tableArray(const QJsonValue& value) {
    if (!value.isArray()) return std::nullopt;
    const QJsonArray array = value.toArray();
    if (array.size() > MaxTables) return std::nullopt;
    QList<Table> out;
    out.reserve(array.size());
    for (const QJsonValue& v : array) {
        auto t = table(v);
        if (!t) return std::nullopt;
        out.append(*t);
    }
    return out;
}

std::optional<ChatLine> chatLine(const QJsonObject& o) {
    const auto name = text(o, "name", MaxNameLength);
    const auto said = text(o, "text", MaxChatLength);
    if (!name || !said) return std::nullopt;
    // The time is a courtesy: a missing or odd one is left out, not fatal.
    return ChatLine{*name, *said, text(o, "time", 40).value_or(QString())};
}

} // namespace

std::optional<QList<Table>> readTables(const QByteArray& json) {
    const auto o = object(json);
    if (!o) return std::nullopt;
    return tableArray(o->value(QLatin1String("tables")));
}

std::optional<Created> readCreated(const QByteArray& json) {
    const auto o = object(json);
    if (!o) return std::nullopt;
    const auto id = text(*o, "id", 64);
    const auto addr = address(*o, "address");
    const auto port = integer(*o, "port", 1, 65535);
    if (!id || !addr || !port) return std::nullopt;
    Created c{*id, *addr, quint16(*port), QString()};
    if (o->contains(QLatin1String("code")) && !o->value(QLatin1String("code")).isNull()) {
        const auto code = text(*o, "code", 32);
        if (!code) return std::nullopt;
        c.code = normaliseCode(*code);
        if (c.code.isEmpty()) return std::nullopt;
    }
    return c;
}

std::optional<CodeTarget> readCodeTarget(const QByteArray& json) {
    const auto o = object(json);
    if (!o) return std::nullopt;
    const auto name = text(*o, "name", MaxNameLength);
    const auto addr = address(*o, "address");
    const auto port = integer(*o, "port", 1, 65535);
    if (!name || !addr || !port) return std::nullopt;
    return CodeTarget{*name, *addr, quint16(*port)};
}

std::optional<LobbyMessage> readLobbyMessage(const QByteArray& json) {
    const auto o = object(json);
    if (!o) return std::nullopt;
    const auto type = text(*o, "type", 16);
    if (!type) return std::nullopt;
    LobbyMessage m;
    if (*type == u"tables") {
        auto tables = tableArray(o->value(QLatin1String("tables")));
        if (!tables) return std::nullopt;
        m.kind = LobbyMessage::Kind::Tables;
        m.tables = std::move(*tables);
    } else if (*type == u"chat") {
        auto line = chatLine(*o);
        if (!line) return std::nullopt;
        m.kind = LobbyMessage::Kind::Chat;
        m.lines = {*line};
    } else if (*type == u"history") {
        const QJsonValue lines = o->value(QLatin1String("lines"));
        if (!lines.isArray()) return std::nullopt;
        m.kind = LobbyMessage::Kind::History;
        const QJsonArray array = lines.toArray();
        // Only the newest lines matter; a hub that sends more is cut, not refused.
        for (qsizetype i = std::max<qsizetype>(0, array.size() - MaxHistory); i < array.size();
             ++i) {
            if (!array[i].isObject()) return std::nullopt;
            auto line = chatLine(array[i].toObject());
            if (!line) return std::nullopt;
            m.lines.append(*line);
        }
    } else if (*type == u"error") {
        m.kind = LobbyMessage::Kind::Error;
        m.error = text(*o, "error", 40).value_or(QString());
        m.message = text(*o, "message", MaxChatLength).value_or(QString());
    } else {
        return std::nullopt; // a kind this client does not know
    }
    return m;
}

ErrorBody readErrorBody(const QByteArray& json) {
    const auto o = object(json);
    if (!o) return {};
    return {text(*o, "error", 40).value_or(QString()),
            text(*o, "message", MaxChatLength).value_or(QString())};
}

QByteArray chatMessage(const QString& name, const QString& text) {
    const QString said = shown(text.trimmed(), MaxChatLength).trimmed();
    if (said.isEmpty()) return {};
    QJsonObject o{
        {"type", "chat"}, {"name", shown(name.trimmed(), MaxNameLength).trimmed()}, {"text", said}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray createRequest(const QString& name, bool isPrivate, const QString& level) {
    QJsonObject o{{"name", shown(name.trimmed(), MaxNameLength).trimmed()},
                  {"private", isPrivate},
                  {"level", level}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString normaliseCode(const QString& typed) {
    QString code;
    for (QChar c : typed) {
        if (c.isSpace() || c == u'-') continue;
        const QChar upper = c.toUpper();
        if (upper.unicode() > 127 || !std::strchr(CodeAlphabet, char(upper.unicode())))
            return QString();
        code += upper;
        if (code.size() > CodeLength) return QString();
    }
    return code.size() == CodeLength ? code : QString();
}

QUrl hubUrl(const QString& typed) {
    QString t = typed.trimmed();
    if (t.isEmpty() || t.size() > 300) return QUrl();
    if (!t.contains(QLatin1String("://"))) t.prepend(QLatin1String("http://"));
    QUrl url(t, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != u"http" && url.scheme() != u"https") || !url.userInfo().isEmpty())
        return QUrl();
    QUrl base;
    base.setScheme(url.scheme());
    base.setHost(url.host());
    base.setPort(url.port(DefaultPort));
    return base;
}

QString hubAddressText(const QUrl& url) {
    if (!url.isValid()) return QString();
    QString host = url.host();
    if (host.contains(u':')) host = u'[' + host + u']';
    QString out = url.scheme() == u"https" ? QStringLiteral("https://") + host : host;
    if (url.port(DefaultPort) != DefaultPort) out += u':' + QString::number(url.port());
    return out;
}

} // namespace pelvo::hub
