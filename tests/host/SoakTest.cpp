// pelvo-table under a storm: one honest client plays whole games from slot 1 while onlookers
// send frames built from the real command names with mutated fields. Afterwards a fresh game
// still runs to its winner, every notice the honest client got reads with its typed decoder,
// and the host still takes a new player.
#include "TableProcess.h"

#include "protocol/Commands.h"
#include "protocol/Notices.h"

#include <QElapsedTimer>
#include <QStringDecoder>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <random>
#include <vector>

using namespace pelvo;
using namespace pelvo::test;

namespace {

// Frames from the catalogue with fields around the checked bounds; the sender's own slot is
// the first field most of the time, so the frames get past the parser into the rules.
class FrameStorm {
public:
    explicit FrameStorm(unsigned seed) : random_(seed) {}

    QByteArray frame(int ownSlot) {
        static const char* const names[] = {
            cmd::logininfo,  cmd::kickhim,     cmd::chat,         cmd::action,
            cmd::playasound, cmd::startgame,   cmd::justwatch,    cmd::flipcard,
            cmd::drawcard,   cmd::replacedraw, cmd::discarddrawn, cmd::replacediscard,
            cmd::nextplayer, cmd::winner,      cmd::gamestats,    "CMD_",
        };
        QByteArray line = names[pick(std::size(names))];
        line += '+';
        if (pick(5) != 0) line += QByteArray::number(pick(6) == 0 ? 1 + pick(9) : ownSlot) + '+';
        for (int n = pick(6); n > 0; --n) line += field() + '+';
        if (pick(3) == 0) line.chop(1);
        return line + '\xFF';
    }

private:
    int pick(std::size_t n) { return int(random_() % n); }
    QByteArray field() {
        switch (pick(7)) {
        case 0:
        case 1:
        case 2:
            return QByteArray::number(pick(14) - 2);
        case 3:
            return QByteArray::number(qint32(random_()));
        case 4:
            return QByteArray();
        case 5:
            return QByteArray("1.0.1");
        default: {
            static const char alphabet[] = "ab|+ $-09\xC3\xA9\xE2\x82\xAC\xFE\x80";
            QByteArray text;
            for (int n = pick(pick(8) == 0 ? 120 : 12); n > 0; --n)
                text += alphabet[pick(sizeof alphabet - 1)];
            return text;
        }
        }
    }
    std::mt19937 random_;
};

// Reads a notice with its typed decoder; empty when it is well formed.
QString malformed(const QByteArray& frame) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString line = utf8.decode(frame);
    if (utf8.hasError()) return "not UTF-8";
    const qsizetype plus = line.indexOf(u'+');
    if (plus < 0) return "no command";
    const QString name = line.left(plus), payload = line.mid(plus + 1);
    using namespace notice;
    static const std::map<QString, std::function<bool(const QString&)>> decoders{
        {cmd::sendlogininfo, [](const QString& p) { return bool(decode<SendLoginInfo>(p)); }},
        {cmd::newplayerinfo, [](const QString& p) { return bool(decode<PlayerInfo>(p)); }},
        {cmd::existingplayers, [](const QString& p) { return bool(decode<PlayerInfo>(p)); }},
        {cmd::playerdisconnected, [](const QString& p) { return bool(decode<PlayerInfo>(p)); }},
        {cmd::havewrongversion, [](const QString& p) { return bool(decode<HaveWrongVersion>(p)); }},
        {cmd::justwatching, [](const QString& p) { return bool(decode<JustWatching>(p)); }},
        {cmd::chat, [](const QString& p) { return bool(decode<ChatText>(p)); }},
        {cmd::action, [](const QString& p) { return bool(decode<ChatText>(p)); }},
        {cmd::playasound, [](const QString& p) { return bool(decode<PlayASound>(p)); }},
        {cmd::startgame, [](const QString& p) { return bool(decode<StartGame>(p)); }},
        {cmd::roundstarting, [](const QString& p) { return bool(decode<RoundStarting>(p)); }},
        {cmd::mycards, [](const QString& p) { return bool(decode<MyCards>(p)); }},
        {cmd::gamestats, [](const QString& p) { return bool(decode<GameStats>(p)); }},
        {cmd::postscores, [](const QString& p) { return bool(decode<PostScores>(p)); }},
        {cmd::penalty, [](const QString& p) { return bool(decode<Penalty>(p)); }},
        {cmd::nextplayer, [](const QString& p) { return bool(decode<NextPlayer>(p)); }},
        {cmd::winner, [](const QString& p) { return bool(decode<Winner>(p)); }},
        {cmd::drawacard, [](const QString& p) { return bool(decode<DrawACard>(p)); }},
        {cmd::heflipped, [](const QString& p) { return bool(decode<HeFlipped>(p)); }},
        {cmd::replaceadraw, [](const QString& p) { return bool(decode<Replaced>(p)); }},
        {cmd::replaceadiscard, [](const QString& p) { return bool(decode<Replaced>(p)); }},
        {cmd::discardadrawn, [](const QString& p) { return bool(decode<DiscardADrawn>(p)); }},
        // added to the catalogue
        {cmd::tablerights, [](const QString& p) { return bool(decode<TableRights>(p)); }},
        {cmd::reclaimtoken, [](const QString& p) { return bool(decode<ReclaimToken>(p)); }},
        {cmd::chathistory, [](const QString& p) { return bool(decode<ChatHistoryLine>(p)); }},
        {cmd::removed, [](const QString& p) { return bool(decode<Removed>(p)); }},
        {cmd::playerremoved, [](const QString& p) { return bool(decode<PlayerRemoved>(p)); }},
        {cmd::tableclosing, [](const QString& p) { return bool(decode<TableClosing>(p)); }},
    };
    const auto it = decoders.find(name);
    if (it == decoders.end()) return "not a notice for a player";
    return it->second(payload) ? QString() : "does not decode";
}

} // namespace

TEST(TableSoak, HonestGamesGoOnWhileOnlookersSendRandomFramesAndTheHostStaysWhole) {
    TableProcess table;
    ASSERT_TRUE(table.startOnFreePort("2"));
    ProtocolPlayer anna("Anna");
    ASSERT_TRUE(anna.client.connectTo(table.port));
    ASSERT_TRUE(anna.client.waitFor("CMD_newplayerinfo+1+Anna"));

    // Seats 2 to 4 are held for a moment so that the storm comes from onlookers' slots; once
    // they leave, the computer plays them.
    std::vector<std::unique_ptr<RawClient>> holders, storm;
    for (int slot = 2; slot <= 4; ++slot) {
        holders.push_back(std::make_unique<RawClient>());
        ASSERT_TRUE(holders.back()->connectTo(table.port));
        ASSERT_EQ(holders.back()->login("Holder"), slot);
    }
    for (int slot = 5; slot <= 7; ++slot) {
        storm.push_back(std::make_unique<RawClient>());
        ASSERT_TRUE(storm.back()->connectTo(table.port));
        ASSERT_EQ(storm.back()->login("Storm"), slot);
    }
    holders.clear();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return anna.client.count("CMD_playerdisconnected+") == 3; }, 10000));

    int games = 0;
    auto playOn = [&] {
        if (!anna.over) return;
        anna.over = false;
        ++games;
        anna.client.send("CMD_startgame+Anna+1+1+1+\xFF");
    };
    anna.client.send("CMD_startgame+Anna+1+1+1+\xFF");

    // The host handles one line per 10 ms tick for all connections together and drops a peer
    // that runs far ahead of that; the storm keeps to three quarters of the pace, so its frames
    // reach the rules and the honest client's requests still get through.
    FrameStorm frames(20261208);
    qint64 sent = 0;
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, [&] {
        playOn();
        for (std::size_t i = 0; i < storm.size(); ++i) {
            RawClient& c = *storm[i];
            if (c.socket.state() != QAbstractSocket::ConnectedState) continue;
            c.send(frames.frame(int(i) + 5));
            ++sent;
        }
    });
    pace.start(40);
    QElapsedTimer clock;
    clock.start();
    (void)QTest::qWaitFor([&] { return clock.elapsed() >= 20000; }, 25000);
    pace.stop();
    int connected = 0;
    for (const auto& c : storm) connected += c->socket.state() == QAbstractSocket::ConnectedState;
    std::printf("[ soak    ] %lld frames sent in %lld ms by %d clients (%d still connected); "
                "%d games played meanwhile\n",
                static_cast<long long>(sent), static_cast<long long>(clock.elapsed()),
                int(storm.size()), connected, games);

    // The game under way ends, then a fresh one runs to its winner.
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.over; }, 60000)) << "no winner after the storm";
    anna.over = false;
    const qsizetype winnersBefore = anna.client.count("CMD_winner+");
    anna.client.send("CMD_startgame+Anna+1+1+1+\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.over; }, 60000)) << "the fresh game stalled";
    EXPECT_EQ(anna.client.count("CMD_winner+"), winnersBefore + 1);
    EXPECT_GE(games, 1);
    EXPECT_GT(sent, 200);

    int bad = 0;
    for (const QByteArray& frame : anna.client.frames) {
        const QString why = malformed(frame);
        if (!why.isEmpty() && ++bad <= 5)
            ADD_FAILURE() << why.toStdString() << ": " << frame.left(200).toStdString();
    }
    EXPECT_EQ(bad, 0) << "of " << anna.client.frames.size() << " frames";

    // Alive: the host still seats a newcomer and tells the honest client.
    RawClient late;
    ASSERT_TRUE(late.connectTo(table.port));
    EXPECT_GE(late.login("Late"), 2);
    EXPECT_EQ(table.process.state(), QProcess::Running);
}
