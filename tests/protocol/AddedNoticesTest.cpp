// The notices and the request added to the catalogue: each round-trips through its encoder and
// decoder for many values, and malformed payloads fail as a whole.

#include "protocol/Notices.h"

#include "protocol/Commands.h"
#include "protocol/WireText.h"

#include <gtest/gtest.h>

#include <random>

using namespace pelvo;
using namespace pelvo::notice;

namespace {

QString payloadOf(const QByteArray& frame, const char* command) {
    const QByteArray head = QByteArray(command) + '+';
    EXPECT_TRUE(frame.startsWith(head)) << frame.toStdString();
    EXPECT_TRUE(frame.endsWith(wire::terminator)) << frame.toStdString();
    return decodeWire(frame.mid(head.size()).chopped(1));
}

QString hexToken(std::mt19937& rng, int digits) {
    static const char hex[] = "0123456789abcdefABCDEF";
    QString t;
    for (int i = 0; i < digits; ++i) t += QChar(hex[rng() % 22]);
    return t;
}

int in(std::mt19937& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

TEST(AddedNotices, EveryNoticeRoundTripsThroughItsFrame) {
    std::mt19937 rng(14);
    const QStringList names{"Bo", "Ånne+Plus", "", "a|b", "名前"};
    for (int i = 0; i < 300; ++i) {
        const TableRights rights{in(rng, 1, 9)};
        EXPECT_EQ(decode<TableRights>(payloadOf(encode(rights), cmd::tablerights)), rights);

        const ReclaimToken token{hexToken(rng, in(rng, 32, 128)), in(rng, 0, 100000)};
        EXPECT_EQ(decode<ReclaimToken>(payloadOf(encode(token), cmd::reclaimtoken)), token);

        const PlayerRemoved gone{in(rng, 1, 9)};
        EXPECT_EQ(decode<PlayerRemoved>(payloadOf(encode(gone), cmd::playerremoved)), gone);

        const SeatReclaimed back{in(rng, 1, 4)};
        EXPECT_EQ(decode<SeatReclaimed>(payloadOf(encode(back), cmd::seatreclaimed)), back);

        SeatState state{in(rng, 1, 4), in(rng, 0, 4),  in(rng, 0, 3),
                        in(rng, 0, 2), in(rng, 0, 53), {}};
        for (OwnCard& c : state.cards) c = {in(rng, 0, 53), bool(in(rng, 0, 1))};
        EXPECT_EQ(decode<SeatState>(payloadOf(encode(state), cmd::seatstate)), state);

        const ChatHistoryLine line{
            bool(in(rng, 0, 1)),
            {in(rng, 0, 9), names[in(rng, 0, 4)] + " chats: x+y", quint32(in(rng, 0, 0xFFFFFF))}};
        EXPECT_EQ(decode<ChatHistoryLine>(payloadOf(encode(line), cmd::chathistory)), line);

        const ReclaimSeat ask{in(rng, 1, 9), hexToken(rng, 32), "1.0.1", names[in(rng, 0, 4)]};
        EXPECT_EQ(decode<ReclaimSeat>(payloadOf(encode(ask), cmd::reclaimseat)), ask);
    }
    EXPECT_EQ(encode(Removed{}), QByteArray("CMD_removed+\xFF"));
    EXPECT_EQ(encode(TableClosing{}), QByteArray("CMD_tableclosing+\xFF"));
    EXPECT_TRUE(decode<Removed>(QString()));
    EXPECT_TRUE(decode<TableClosing>("anything"));
}

TEST(AddedNotices, AHistoryLineIsTheRelayedFrameUnderItsOwnName) {
    EXPECT_EQ(historyOf("CMD_chat+2+Bo chats: hi|16711680\xFF"),
              QByteArray("CMD_chathistory+chat+2+Bo chats: hi|16711680\xFF"));
    EXPECT_EQ(historyOf("CMD_action+0+Bo is back.|255\xFF"),
              QByteArray("CMD_chathistory+action+0+Bo is back.|255\xFF"));
    EXPECT_TRUE(historyOf("CMD_chathistory+chat+1+x\xFF").isEmpty());
    EXPECT_TRUE(historyOf("CMD_playasound+1+wave3+\xFF").isEmpty());
    EXPECT_TRUE(historyOf("CMD_winner+Bo+\xFF").isEmpty());
    // What the client reads back is what it would have read from the line itself.
    const QByteArray relayed = "CMD_action+3+Cy says: a|b|65280\xFF";
    const auto line = decode<ChatHistoryLine>(payloadOf(historyOf(relayed), cmd::chathistory));
    ASSERT_TRUE(line);
    EXPECT_TRUE(line->action);
    EXPECT_EQ(line->line, *decode<ChatText>(payloadOf(relayed, cmd::action)));
}

TEST(AddedNotices, MalformedPayloadsFailAsAWhole) {
    const QString token(32, u'a');
    for (const QString& p : QStringList{"", "0", "10", "x", "-1", "1x"}) {
        EXPECT_FALSE(decode<TableRights>(p)) << p.toStdString();
        EXPECT_FALSE(decode<PlayerRemoved>(p)) << p.toStdString();
    }
    for (const QString& p :
         QStringList{QString(), token, token + "+-1", token + "+x", QString(31, u'a') + "+5",
                     QString(129, u'a') + "+5", QString(31, u'a') + "g+5",
                     QString(32, QChar(0xE9)) + "+5", "+5"})
        EXPECT_FALSE(decode<ReclaimToken>(p)) << p.toStdString();
    for (const QString& p : QStringList{"", "0", "5", "one"})
        EXPECT_FALSE(decode<SeatReclaimed>(p)) << p.toStdString();
    const QString cards = "+1+0+2+1+3+0+4+0+5+1+6+0+7+0+8+0+9+0";
    EXPECT_TRUE(decode<SeatState>("2+3+1+0+0" + cards));
    for (const QString& p :
         {QString("5+3+1+0+0") + cards, "2+5+1+0+0" + cards, "2+3+4+0+0" + cards,
          "2+3+1+3+0" + cards, "2+3+1+0+54" + cards, QString("2+3+1+0+0+1+0+2+1"),
          QString("2+3+1+0+0") + "+1+2+2+1+3+0+4+0+5+1+6+0+7+0+8+0+9+0",
          QString("2+3+1+0+0") + "+54+0+2+1+3+0+4+0+5+1+6+0+7+0+8+0+9+0", QString()})
        EXPECT_FALSE(decode<SeatState>(p)) << p.toStdString();
    for (const QString& p : QStringList{"", "chat", "chat+", "talk+1+hi", "chat+10+hi",
                                        "action+x+hi", "CMD_chat+1+hi"})
        EXPECT_FALSE(decode<ChatHistoryLine>(p)) << p.toStdString();
    for (const QString& p : QStringList{QString(), "1", "1+" + QString(31, u'a') + "+1.0.1+Bo",
                                        "0+" + token + "+1.0.1+Bo", "10+" + token + "+1.0.1+Bo",
                                        "x+" + token + "+1.0.1+Bo", "1+zz" + token + "+1.0.1+Bo"})
        EXPECT_FALSE(decode<ReclaimSeat>(p)) << p.toStdString();
    const auto named = decode<ReclaimSeat>("2+" + token + "+1.0.1+Bo+Plus");
    ASSERT_TRUE(named);
    EXPECT_EQ(named->name, "Bo+Plus");
}

TEST(AddedNotices, TheAddedNamesAreNewToTheCatalogue) {
    const QList<QByteArray> described{
        cmd::logininfo,        cmd::kickhim,       cmd::chat,          cmd::action,
        cmd::playasound,       cmd::startgame,     cmd::justwatch,     cmd::flipcard,
        cmd::drawcard,         cmd::replacedraw,   cmd::discarddrawn,  cmd::replacediscard,
        cmd::sendlogininfo,    cmd::full,          cmd::newplayerinfo, cmd::existingplayers,
        cmd::havewrongversion, cmd::wrongversion,  cmd::gamestats,     cmd::playerdisconnected,
        cmd::justwatching,     cmd::roundstarting, cmd::mycards,       cmd::heflipped,
        cmd::nextplayer,       cmd::drawacard,     cmd::replaceadraw,  cmd::discardadrawn,
        cmd::replaceadiscard,  cmd::postscores,    cmd::penalty,       cmd::winner};
    for (const char* added :
         {cmd::tablerights, cmd::reclaimtoken, cmd::removed, cmd::tableclosing, cmd::seatreclaimed,
          cmd::seatstate, cmd::chathistory, cmd::reclaimseat, cmd::playerremoved}) {
        // A name that begins like a described one could be mistaken for it by a prefix match.
        for (const QByteArray& old : described)
            EXPECT_FALSE(QByteArray(added).startsWith(old + '+')) << added;
        EXPECT_FALSE(described.contains(QByteArray(added))) << added;
    }
}

} // namespace
