#pragma once
// Finding tables on the local network: one UDP datagram asks, every table host that listens on
// that port answers with one datagram describing its table. Both are text, UTF-8, with fields
// split by the byte 0xFF (which UTF-8 never contains), so no name can cut a field:
//
//   query   "PELVO_TABLES?" 0xFF "1"
//   answer  "PELVO_TABLE" 0xFF "1" 0xFF table 0xFF host 0xFF taken 0xFF seats 0xFF game 0xFF port
//
// "1" is the format's version; table and host are names of at most 64 characters; taken is
// the number of seats with a person at them (0..seats); seats is 1..4; game is "1" while a game
// runs, else "0"; port is the TCP game port. Anything else is not ours and is dropped.

// Qt
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// std
#include <optional>

namespace pelvo::discovery {

// No datagram of the format is larger (two names of 64 characters of up to 4 bytes each and
// the rest); a bigger one is dropped unread.
inline constexpr qsizetype MaxDatagram = 1024;
inline constexpr int MaxNameLength = 64;

struct TableInfo {
    QString tableName;
    QString hostName;
    int seatsTaken = 0;
    int seats = 4;
    bool gameRunning = false;
    quint16 port = 0;

    friend bool operator==(const TableInfo&, const TableInfo&) = default;
};

QByteArray query();
bool isQuery(QByteArrayView datagram);

// Names longer than MaxNameLength are cut; numbers are clamped to what they can mean.
QByteArray answer(const TableInfo& table);
// nullopt for anything but a well-formed answer.
std::optional<TableInfo> readAnswer(QByteArrayView datagram);

} // namespace pelvo::discovery
