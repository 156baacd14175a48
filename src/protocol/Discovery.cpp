#include "protocol/Discovery.h"

// own
#include "protocol/Fields.h"

// Qt
#include <QList>
#include <QStringDecoder>

// std
#include <algorithm>

namespace pelvo::discovery {

namespace {

constexpr char Separator = '\xFF';
constexpr char QueryTag[] = "PELVO_TABLES?";
constexpr char AnswerTag[] = "PELVO_TABLE";
constexpr char Version[] = "1";
constexpr int AnswerFields = 8;

QByteArray field(const QString& name) {
    qsizetype length = std::min(name.size(), qsizetype(MaxNameLength));
    // Never half a character: a pair of surrogates stays whole or goes.
    if (length < name.size() && length > 0 && name.at(length - 1).isHighSurrogate()) --length;
    return name.left(length).toUtf8();
}

// Strict UTF-8 with no control characters: a name is shown as it is in a list.
std::optional<QString> readName(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString name = utf8.decode(bytes);
    if (utf8.hasError() || name.size() > MaxNameLength) return std::nullopt;
    if (std::any_of(name.cbegin(), name.cend(),
                    [](QChar c) { return c.category() == QChar::Other_Control; }))
        return std::nullopt;
    return name;
}

std::optional<int> readNumber(QByteArrayView bytes, int lo, int hi) {
    if (bytes.size() > 6) return std::nullopt;
    const auto n = toInt(QString::fromLatin1(bytes));
    if (!n || *n < lo || *n > hi) return std::nullopt;
    return n;
}

} // namespace

QByteArray query() {
    return QByteArray(QueryTag) + Separator + Version;
}

bool isQuery(QByteArrayView datagram) {
    return datagram == QByteArrayView(query());
}

QByteArray answer(const TableInfo& table) {
    const int seats = std::clamp(table.seats, 1, 4);
    QByteArray out(AnswerTag);
    for (const QByteArray& part :
         {QByteArray(Version), field(table.tableName), field(table.hostName),
          QByteArray::number(std::clamp(table.seatsTaken, 0, seats)), QByteArray::number(seats),
          QByteArray(table.gameRunning ? "1" : "0"), QByteArray::number(table.port)})
        out += Separator + part;
    return out;
}

std::optional<TableInfo> readAnswer(QByteArrayView datagram) {
    if (datagram.size() > MaxDatagram) return std::nullopt;
    const QList<QByteArray> parts = datagram.toByteArray().split(Separator);
    if (parts.size() != AnswerFields || parts[0] != AnswerTag || parts[1] != Version)
        return std::nullopt;
    TableInfo table;
    const auto tableName = readName(parts[2]);
    const auto hostName = readName(parts[3]);
    const auto seats = readNumber(parts[5], 1, 4);
    if (!tableName || !hostName || !seats) return std::nullopt;
    const auto taken = readNumber(parts[4], 0, *seats);
    const auto port = readNumber(parts[7], 1, 65535);
    if (!taken || !port || (parts[6] != "0" && parts[6] != "1")) return std::nullopt;
    table.tableName = *tableName;
    table.hostName = *hostName;
    table.seatsTaken = *taken;
    table.seats = *seats;
    table.gameRunning = parts[6] == "1";
    table.port = quint16(*port);
    return table;
}

} // namespace pelvo::discovery
