// The discovery datagrams: what a table says of itself reads back the same, and nothing but a
// well-formed datagram of the format is taken.

#include "protocol/Discovery.h"

#include <QByteArrayList>

#include <gtest/gtest.h>

using namespace pelvo::discovery;

namespace {

QByteArray join(std::initializer_list<QByteArray> parts) {
    return QByteArrayList(parts).join('\xFF');
}

} // namespace

TEST(Discovery, AnAnswerReadsBackAsTheTableItDescribes) {
    const TableInfo tables[] = {
        {"Anna", "kitchen-pc", 1, 4, false, 7772},
        {"Zoë's table +|=", "höst", 4, 4, true, 1},
        {"", "", 0, 1, false, 65535},
        {QString(200, u'x'), QString(70, u'é'), 3, 4, true, 40000},
    };
    for (const TableInfo& table : tables) {
        const QByteArray bytes = answer(table);
        EXPECT_LE(bytes.size(), MaxDatagram);
        EXPECT_FALSE(isQuery(bytes));
        const auto read = readAnswer(bytes);
        ASSERT_TRUE(read) << bytes.toStdString();
        TableInfo expected = table;
        expected.tableName = table.tableName.left(MaxNameLength);
        expected.hostName = table.hostName.left(MaxNameLength);
        EXPECT_EQ(*read, expected);
    }
    // Names are cut at whole characters, and the longest answer still fits a datagram.
    const QString smiles = QString("😀").repeated(40), oddSmiles = "a" + smiles;
    const auto cut = readAnswer(answer({smiles, oddSmiles, 0, 4, false, 7772}));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->tableName, QString("😀").repeated(32));
    EXPECT_EQ(cut->hostName, "a" + QString("😀").repeated(31));
    const QString widest = QString("😀").repeated(32);
    EXPECT_LE(answer({widest, widest, 4, 4, true, 65535}).size(), MaxDatagram);
    EXPECT_TRUE(readAnswer(answer({widest, widest, 4, 4, true, 65535})));

    // Numbers beyond what they can mean are clamped on the way out.
    const auto clamped = readAnswer(answer({"T", "H", 9, 7, false, 7772}));
    ASSERT_TRUE(clamped);
    EXPECT_EQ(clamped->seats, 4);
    EXPECT_EQ(clamped->seatsTaken, 4);
}

TEST(Discovery, TheQueryIsExactAndNothingElseIsOne) {
    EXPECT_EQ(query(), QByteArray("PELVO_TABLES?\xFF"
                                  "1"));
    EXPECT_TRUE(isQuery(query()));
    for (const QByteArray& other :
         {QByteArray(), QByteArray("PELVO_TABLES?"), query() + "\xFF", query() + "1",
          QByteArray("pelvo_tables?\xFF"
                     "1"),
          QByteArray("PELVO_TABLES?\xFF"
                     "2"),
          answer({"A", "B", 1, 4, false, 7772})})
        EXPECT_FALSE(isQuery(other)) << other.toStdString();
}

TEST(Discovery, MalformedAnswersAreRefused) {
    const QByteArray good = join({"PELVO_TABLE", "1", "Anna", "pc", "2", "4", "0", "7772"});
    ASSERT_TRUE(readAnswer(good));
    const QByteArray bad[] = {
        QByteArray(),
        query(),
        join({"PELVO_TABLE", "1", "Anna", "pc", "2", "4", "0"}),                // a field short
        join({"PELVO_TABLE", "1", "Anna", "pc", "2", "4", "0", "7772", "x"}),   // one too many
        join({"PELVO_TABLE", "2", "Anna", "pc", "2", "4", "0", "7772"}),        // other version
        join({"PELVO_TABLEX", "1", "Anna", "pc", "2", "4", "0", "7772"}),       // other tag
        join({"PELVO_TABLE", "1", "Anna", "pc", "5", "4", "0", "7772"}),        // taken > seats
        join({"PELVO_TABLE", "1", "Anna", "pc", "-1", "4", "0", "7772"}),       // negative
        join({"PELVO_TABLE", "1", "Anna", "pc", "2", "0", "0", "7772"}),        // no seats
        join({"PELVO_TABLE", "1", "Anna", "pc", "2", "4", "yes", "7772"}),      // game flag
        join({"PELVO_TABLE", "1", "Anna", "pc", "2", "4", "0", "0"}),           // port 0
        join({"PELVO_TABLE", "1", "Anna", "pc", "2", "4", "0", "65536"}),       // port too big
        join({"PELVO_TABLE", "1", "Anna", "pc", "2", "4", "0", "99999999999"}), // overflow
        join({"PELVO_TABLE", "1", "Anna", "pc", " 2", "4", "0", "7772"}),       // not a number
        join({"PELVO_TABLE", "1", "An\x01na", "pc", "2", "4", "0", "7772"}),    // control char
        join({"PELVO_TABLE", "1", "An\xC3na", "pc", "2", "4", "0", "7772"}),    // not UTF-8
        join({"PELVO_TABLE", "1", QByteArray(65, 'a'), "pc", "2", "4", "0", "7772"}), // long
        good + QByteArray(MaxDatagram, ' '),                                          // oversized
    };
    for (const QByteArray& datagram : bad)
        EXPECT_FALSE(readAnswer(datagram)) << datagram.toStdString();
}
