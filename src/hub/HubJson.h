#pragma once
// What the hub reads from the network and writes back, as plain functions with no sockets, so a
// fuzzer or a test can drive every reader directly. Each reader takes the raw bytes of a body
// or a WebSocket message and gives back either the value or why it was refused; nothing past
// the bounds below is ever handed to the JSON parser.

// own
#include "hub/JoinCodes.h"

// Qt
#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>
#include <QString>

// std
#include <optional>
#include <variant>

namespace pelvo::hub {

// Bounds for everything a client sends.
inline constexpr qsizetype MaxBodyBytes = 4096;    // any HTTP request body
inline constexpr qsizetype MaxMessageBytes = 2048; // any lobby WebSocket message
inline constexpr int MaxJsonDepth = 4;             // nesting of objects and arrays
inline constexpr int MaxNameLength = 64;           // table and chat names, in characters
inline constexpr int MaxChatLength = 400;          // one chat line, in characters
inline constexpr int MaxSeats = 4;
inline constexpr int MaxWatchers = 5; // the slots beyond the seats

enum class Level { Classic, Expert };
QString levelName(Level level);

// Why a reader refused its input: a code from docs/hub.md and a sentence for a person.
struct Refusal {
    QString error; // "bad_request", "too_large"
    QString message;
};

template <class T> using Read = std::variant<T, Refusal>;

// The one JSON object of a body: refused when larger than `maxBytes`, nested deeper than
// MaxJsonDepth, not JSON, or not an object.
Read<QJsonObject> readObject(QByteArrayView bytes, qsizetype maxBytes = MaxBodyBytes);

// How deep objects and arrays nest in `bytes` (strings are skipped); stops counting once past
// `limit` and returns limit + 1.
int jsonDepth(QByteArrayView bytes, int limit = MaxJsonDepth);

// A name as shown to others: control characters and surrounding space removed; nullopt when
// nothing is left or it is longer than MaxNameLength characters.
std::optional<QString> cleanName(const QString& raw);

// POST /v1/tables
struct CreateRequest {
    QString name;
    bool isPrivate = false;
    Level level = Level::Classic;
};
Read<CreateRequest> readCreate(QByteArrayView body);

// POST /v1/register and the reports of a table on POST /v1/tables/{id}/report.
struct TableReport {
    QString name;
    quint16 port = 0;
    int seatsTaken = 0;
    int seatsFree = MaxSeats;
    int watchers = 0;
    bool playing = false;
    Level level = Level::Classic;
    bool isPrivate = false;
    QString code; // a private table's join code when it knows one, normalised; else empty

    friend bool operator==(const TableReport&, const TableReport&) = default;
};
// A registration carries name, port, level and private; the counts may be left out.
Read<TableReport> readRegister(QByteArrayView body);
Read<TableReport> readReport(QByteArrayView body);
QJsonObject reportJson(const TableReport& report);

// A lobby message from a client: only {"type":"chat","name","text"} exists.
struct ChatRequest {
    QString name;
    QString text;
};
Read<ChatRequest> readChat(QByteArrayView message);

// The error body every refusal is answered with.
QByteArray errorBody(const QString& error, const QString& message);

} // namespace pelvo::hub
