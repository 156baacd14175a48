// libFuzzer target for the datagrams of the search for tables: the input is one datagram, read as
// a table's query would be and as a searcher reads an answer. Only the exact query is a query;
// an answer that is read must write out and read back as the same table, and its
// names must show as text (no control characters, no more than the names' limit).

#include "protocol/Discovery.h"

#include <QByteArray>

#include "Check.h"

using namespace pelvo;

namespace {

void shown(const QString& name) {
    check(name.size() <= discovery::MaxNameLength);
    for (const QChar c : name) check(c.category() != QChar::Other_Control);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    check(discovery::isQuery(datagram) == (datagram == discovery::query()));

    const auto table = discovery::readAnswer(datagram);
    if (!table) return 0;
    check(datagram.size() <= discovery::MaxDatagram);
    shown(table->tableName);
    shown(table->hostName);
    check(table->seats >= 1 && table->seats <= 4);
    check(table->seatsTaken >= 0 && table->seatsTaken <= table->seats);
    check(table->port >= 1);
    const QByteArray written = discovery::answer(*table);
    check(written.size() <= discovery::MaxDatagram);
    const auto again = discovery::readAnswer(written);
    check(again && *again == *table);
    check(discovery::answer(*again) == written);
    return 0;
}
