#pragma once
// What a hub says, read defensively: the JSON of its answers and of its lobby messages becomes
// plain values, and anything of the wrong shape, type or size is no answer at all (nullopt).
// Extra fields are ignored, so a newer hub still talks to us.

// Qt
#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

// std
#include <optional>

namespace pelvo::hub {

inline constexpr quint16 DefaultPort = 7780;
// No answer we read is larger; a bigger one is not read at all.
inline constexpr qsizetype MaxAnswerBytes = 1 << 20;
inline constexpr int MaxTables = 2000;
inline constexpr int MaxHistory = 100;
inline constexpr int MaxNameLength = 64;  // table and player names
inline constexpr int MaxChatLength = 400; // one lobby chat line
inline constexpr int CodeLength = 6;

// A table as the hub lists it.
struct Table {
    QString id;
    QString name;
    QString address;
    quint16 port = 0;
    int seatsTaken = 0;
    int seatsFree = 0;
    int watchers = 0;
    bool playing = false;
    QString level; // "classic" or "expert" (another word is shown as it is)
    bool isPrivate = false;

    friend bool operator==(const Table&, const Table&) = default;
};

// The hub's answer to creating a table; `code` only for a private one.
struct Created {
    QString id;
    QString address;
    quint16 port = 0;
    QString code;
};

// Where a join code leads.
struct CodeTarget {
    QString name;
    QString address;
    quint16 port = 0;
};

struct ChatLine {
    QString name;
    QString text;
    QString time; // as the hub wrote it; empty when it gave none

    friend bool operator==(const ChatLine&, const ChatLine&) = default;
};

// One message of the lobby's live connection.
struct LobbyMessage {
    enum class Kind { Tables, Chat, History, Error };
    Kind kind = Kind::Tables;
    QList<Table> tables;    // Tables
    QList<ChatLine> lines;  // Chat (one line), History
    QString error, message; // Error: the hub's code and words
};

std::optional<QList<Table>> readTables(const QByteArray& json);
std::optional<Created> readCreated(const QByteArray& json);
std::optional<CodeTarget> readCodeTarget(const QByteArray& json);
std::optional<LobbyMessage> readLobbyMessage(const QByteArray& json);
// The "error" code and "message" of an error answer; empty strings when it has none.
struct ErrorBody {
    QString error, message;
};
ErrorBody readErrorBody(const QByteArray& json);

// The lobby chat line a client sends: the name and the text cut to their limits, control
// characters dropped. Empty when nothing is left of the text.
QByteArray chatMessage(const QString& name, const QString& text);
// A creation request.
QByteArray createRequest(const QString& name, bool isPrivate, const QString& level);

// A typed code in its canonical form (capitals; blanks and dashes dropped), or empty when it
// cannot be a code.
QString normaliseCode(const QString& typed);

// The hub's base address from what a player typed: "host", "host:port" or "http://host:port".
// Invalid when it names no host.
QUrl hubUrl(const QString& typed);
// The short form a player reads and types: "host" for the default port, else "host:port".
QString hubAddressText(const QUrl& url);

} // namespace pelvo::hub
