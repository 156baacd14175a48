#include "hub/HubJson.h"

// Qt
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

// std
#include <cmath>

namespace pelvo::hub {

namespace {

Refusal bad(const QString& message) {
    return Refusal{QStringLiteral("bad_request"), message};
}

// A whole number in [low, high], or nullopt.
std::optional<int> wholeNumber(const QJsonValue& v, int low, int high) {
    if (!v.isDouble()) return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || d < low || d > high) return std::nullopt;
    return int(d);
}

std::optional<Level> readLevel(const QJsonValue& v) {
    if (v.isUndefined()) return Level::Classic;
    if (v == QLatin1String("classic")) return Level::Classic;
    if (v == QLatin1String("expert")) return Level::Expert;
    return std::nullopt;
}

std::optional<bool> readFlag(const QJsonValue& v) {
    if (v.isUndefined()) return false;
    if (!v.isBool()) return std::nullopt;
    return v.toBool();
}

bool isControl(QChar c) {
    const auto u = c.unicode();
    return u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0) || u == 0x2028 || u == 0x2029 ||
           c.category() == QChar::Other_Format || c.isSurrogate();
}

// Plain text for one line: every control character becomes a space.
QString plainLine(const QString& raw) {
    QString out = raw;
    for (qsizetype i = 0; i < out.size(); ++i) {
        // A well-formed surrogate pair (an emoji) stays; a lone half does not.
        if (out[i].isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        if (isControl(out[i])) out[i] = QLatin1Char(' ');
    }
    return out.trimmed();
}

// Characters as a person counts them: a surrogate pair is one.
qsizetype characters(const QString& s) {
    return s.toUcs4().size();
}

} // namespace

QString levelName(Level level) {
    return level == Level::Expert ? QStringLiteral("expert") : QStringLiteral("classic");
}

int jsonDepth(QByteArrayView bytes, int limit) {
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (const char c : bytes) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > deepest) deepest = depth;
            if (deepest > limit) return limit + 1;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return deepest;
}

Read<QJsonObject> readObject(QByteArrayView bytes, qsizetype maxBytes) {
    if (bytes.size() > maxBytes)
        return Refusal{QStringLiteral("too_large"),
                       QStringLiteral("The request is larger than %1 bytes.").arg(maxBytes)};
    if (jsonDepth(bytes) > MaxJsonDepth)
        return bad(QStringLiteral("The JSON nests deeper than %1 levels.").arg(MaxJsonDepth));
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        return bad(QStringLiteral("The body is not JSON: %1.").arg(error.errorString()));
    if (!doc.isObject()) return bad(QStringLiteral("The body must be a JSON object."));
    return doc.object();
}

std::optional<QString> cleanName(const QString& raw) {
    const QString name = plainLine(raw);
    if (name.isEmpty() || characters(name) > MaxNameLength) return std::nullopt;
    return name;
}

namespace {

// A body that is an object with a good "name": how a create request and a table's report begin.
struct Named {
    QJsonObject object;
    QString name;
};

Read<Named> readNamed(QByteArrayView body) {
    auto object = readObject(body);
    if (auto* r = std::get_if<Refusal>(&object)) return *r;
    QJsonObject& o = std::get<QJsonObject>(object);
    const auto name = cleanName(o.value(QLatin1String("name")).toString());
    if (!name)
        return bad(
            QStringLiteral("\"name\" must be text of 1 to %1 characters.").arg(MaxNameLength));
    return Named{std::move(o), *name};
}

} // namespace

Read<CreateRequest> readCreate(QByteArrayView body) {
    auto named = readNamed(body);
    if (auto* r = std::get_if<Refusal>(&named)) return *r;
    const QJsonObject& o = std::get<Named>(named).object;
    CreateRequest request;
    request.name = std::get<Named>(named).name;
    const auto isPrivate = readFlag(o.value(QLatin1String("private")));
    if (!isPrivate) return bad(QStringLiteral("\"private\" must be true or false."));
    request.isPrivate = *isPrivate;
    const auto level = readLevel(o.value(QLatin1String("level")));
    if (!level) return bad(QStringLiteral("\"level\" must be \"classic\" or \"expert\"."));
    request.level = *level;
    return request;
}

namespace {

// The fields a registration and a report share; `counts`: the seat counts are required.
Read<TableReport> readTable(QByteArrayView body, bool counts) {
    auto named = readNamed(body);
    if (auto* r = std::get_if<Refusal>(&named)) return *r;
    const QJsonObject& o = std::get<Named>(named).object;
    TableReport report;
    report.name = std::get<Named>(named).name;
    const auto port = wholeNumber(o.value(QLatin1String("port")), 1, 65535);
    if (!port) return bad(QStringLiteral("\"port\" must be a number from 1 to 65535."));
    report.port = quint16(*port);
    const auto level = readLevel(o.value(QLatin1String("level")));
    if (!level) return bad(QStringLiteral("\"level\" must be \"classic\" or \"expert\"."));
    report.level = *level;
    const auto isPrivate = readFlag(o.value(QLatin1String("private")));
    const auto playing = readFlag(o.value(QLatin1String("playing")));
    if (!isPrivate || !playing)
        return bad(QStringLiteral("\"private\" and \"playing\" must be true or false."));
    report.isPrivate = *isPrivate;
    report.playing = *playing;
    const QJsonValue code = o.value(QLatin1String("code"));
    if (!code.isUndefined() && !code.isNull()) {
        const auto normal = normaliseCode(code.toString());
        if (!normal) return bad(QStringLiteral("\"code\" is not a join code."));
        if (!report.isPrivate) return bad(QStringLiteral("Only a private table has a code."));
        report.code = *normal;
    }
    const QJsonValue taken = o.value(QLatin1String("seats_taken"));
    const QJsonValue free = o.value(QLatin1String("seats_free"));
    const QJsonValue watchers = o.value(QLatin1String("watchers"));
    if (!counts && taken.isUndefined() && free.isUndefined() && watchers.isUndefined())
        return report;
    const auto t = wholeNumber(taken, 0, MaxSeats);
    const auto f = wholeNumber(free, 0, MaxSeats);
    const auto w = wholeNumber(watchers, 0, MaxWatchers);
    if (!t || !f || !w || *t + *f > MaxSeats)
        return bad(QStringLiteral("\"seats_taken\" and \"seats_free\" must be numbers that add "
                                  "up to at most %1, \"watchers\" one from 0 to %2.")
                       .arg(MaxSeats)
                       .arg(MaxWatchers));
    report.seatsTaken = *t;
    report.seatsFree = *f;
    report.watchers = *w;
    return report;
}

} // namespace

Read<TableReport> readRegister(QByteArrayView body) {
    return readTable(body, false);
}

Read<TableReport> readReport(QByteArrayView body) {
    return readTable(body, true);
}

QJsonObject reportJson(const TableReport& r) {
    QJsonObject o{{QStringLiteral("name"), r.name},
                  {QStringLiteral("port"), int(r.port)},
                  {QStringLiteral("seats_taken"), r.seatsTaken},
                  {QStringLiteral("seats_free"), r.seatsFree},
                  {QStringLiteral("watchers"), r.watchers},
                  {QStringLiteral("playing"), r.playing},
                  {QStringLiteral("level"), levelName(r.level)},
                  {QStringLiteral("private"), r.isPrivate}};
    if (!r.code.isEmpty()) o.insert(QStringLiteral("code"), r.code);
    return o;
}

Read<ChatRequest> readChat(QByteArrayView message) {
    auto object = readObject(message, MaxMessageBytes);
    if (auto* r = std::get_if<Refusal>(&object)) return *r;
    const QJsonObject& o = std::get<QJsonObject>(object);
    if (o.value(QLatin1String("type")) != QLatin1String("chat"))
        return bad(QStringLiteral("The only message a client sends is {\"type\":\"chat\",...}."));
    const auto name = cleanName(o.value(QLatin1String("name")).toString());
    if (!name)
        return bad(
            QStringLiteral("\"name\" must be text of 1 to %1 characters.").arg(MaxNameLength));
    const QString text = plainLine(o.value(QLatin1String("text")).toString());
    if (text.isEmpty() || characters(text) > MaxChatLength)
        return bad(
            QStringLiteral("\"text\" must be text of 1 to %1 characters.").arg(MaxChatLength));
    return ChatRequest{*name, text};
}

QByteArray errorBody(const QString& error, const QString& message) {
    return QJsonDocument(
               QJsonObject{{QStringLiteral("error"), error}, {QStringLiteral("message"), message}})
        .toJson(QJsonDocument::Compact);
}

} // namespace pelvo::hub
