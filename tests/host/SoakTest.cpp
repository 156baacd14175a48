// pelvo-table under a storm: one honest client plays whole games from slot 1 while onlookers
// send frames built from the real command names with mutated fields. Afterwards a fresh game
// still runs to its winner, every notice the honest client got reads with its typed decoder,
// and the host still takes a new player.
#include "TableProcess.h"

#include "host/TServer.h"
#include "protocol/Commands.h"
#include "protocol/Notices.h"

#include <QElapsedTimer>
#include <QStringDecoder>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
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

// Sends at a steady rate, however unevenly the event loop gets round to it: what the time since
// the start allows and has not gone out yet.
class Pace {
public:
    explicit Pace(double perSecond) : perSecond_(perSecond) { clock_.start(); }
    int due() {
        const auto owed = qint64(double(clock_.elapsed()) * perSecond_ / 1000.0);
        const int n = int(owed - sent_);
        sent_ = owed;
        return n;
    }

private:
    double perSecond_;
    QElapsedTimer clock_;
    qint64 sent_ = 0;
};

struct StormGame {
    qint64 ms = 0; // from the start request to both players' winner notice
    bool over = false;
    int silentSeated = 0;    // silent connections that got a slot
    int silentOpenAtEnd = 0; // of those, still connected when the game ended
    bool onlookerOpen = false;
    qint64 silentFrames = 0, chatLines = 0, chatHeard = 0;
};

// One game of two honest players at a fresh table on a fixed deal (so every run plays the very
// same moves). With `storm`, once the game has started (so the silent ones take no seat in it):
// eight connections that never log in send sound requests at just under the rate limit, and an
// onlooker chats at 90 lines a second.
StormGame playBesideAStorm(bool storm) {
    StormGame result;
    TableProcess table;
    table.port = freePort();
    if (!table.start(
            {"--port", QString::number(table.port), "--bot-speed", "60", "--deal", "20261209"}))
        return result;
    ProtocolPlayer anna("Anna"), bo("Bo");
    if (!anna.client.connectTo(table.port) || !anna.client.waitFor("CMD_newplayerinfo+1+Anna") ||
        !bo.client.connectTo(table.port) || !bo.client.waitFor("CMD_newplayerinfo+2+Bo"))
        return result;

    QElapsedTimer clock;
    clock.start();
    anna.client.send("CMD_startgame+Anna+1+0+0+\xFF");
    if (!bo.client.waitFor("CMD_startgame+Anna+1+f+f+")) return result;

    std::vector<std::unique_ptr<RawClient>> silent;
    RawClient onlooker;
    QTimer pace;
    std::vector<Pace> silentPace;
    Pace chatPace(90);
    if (storm) {
        // The first two take the free seats' slots, so the onlooker is a spectator (slot 5);
        // the table has nine slots, so two of the eight are refused.
        const auto connectSilent = [&] {
            silent.push_back(std::make_unique<RawClient>());
            silentPace.emplace_back(0.95 * TServer::RateLinesPerSecond);
            return silent.back()->connectTo(table.port) && silent.back()->waitFrames(1);
        };
        if (!connectSilent() || !connectSilent()) return result;
        if (!onlooker.connectTo(table.port) || onlooker.login("Onlooker") != 5) return result;
        for (int i = 0; i < 6; ++i)
            if (!connectSilent()) return result;
        for (const auto& c : silent) result.silentSeated += c->count("CMD_sendlogininfo+");
        QObject::connect(&pace, &QTimer::timeout, [&] {
            for (std::size_t i = 0; i < silent.size(); ++i) {
                RawClient& c = *silent[i];
                const int n = silentPace[i].due();
                if (c.socket.state() != QAbstractSocket::ConnectedState) continue;
                const QByteArray frame =
                    "CMD_playasound+" + c.frames.first().mid(18) + "+wave1+\xFF";
                c.send(frame.repeated(n));
                result.silentFrames += n;
            }
            if (onlooker.socket.state() != QAbstractSocket::ConnectedState) return;
            for (int n = chatPace.due(); n > 0; --n)
                onlooker.send("CMD_chat+5+line " + QByteArray::number(++result.chatLines) +
                              "|clBlack\xFF");
        });
        pace.start(20);
    }
    result.over =
        QTest::qWaitFor([&] { return anna.client.count("CMD_winner+") && bo.over; }, 30000);
    result.ms = clock.elapsed();
    pace.stop();
    for (const auto& c : silent)
        result.silentOpenAtEnd +=
            c->count("CMD_sendlogininfo+") && c->socket.state() == QAbstractSocket::ConnectedState;
    result.onlookerOpen = onlooker.socket.state() == QAbstractSocket::ConnectedState;
    result.chatHeard = anna.client.count("CMD_chat+5+Onlooker chats: line ");
    return result;
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

TEST(TableSoak, TwoPlayersGameTakesLittleLongerBesideSilentConnectionsAtTheRateLimitAndAChatter) {
    // Without and with the storm in turns, so both see the same load of the machine; the
    // median of three of each.
    std::vector<qint64> calm, stormy;
    StormGame last;
    for (int run = 0; run < 3; ++run) {
        const StormGame without = playBesideAStorm(false);
        ASSERT_TRUE(without.over) << "run " << run << " without the storm did not finish";
        calm.push_back(without.ms);
        last = playBesideAStorm(true);
        ASSERT_TRUE(last.over) << "run " << run << " beside the storm did not finish in 30 s";
        stormy.push_back(last.ms);
        // The storm was real all game long: every silent one with a slot was still sending.
        EXPECT_EQ(last.silentSeated, 6);
        EXPECT_EQ(last.silentOpenAtEnd, 6) << "a sender below the rate limit was closed";
        EXPECT_TRUE(last.onlookerOpen);
        // And the chatter was heard in turn, not starved.
        EXPECT_GT(last.chatHeard, last.chatLines / 2);
    }
    std::sort(calm.begin(), calm.end());
    std::sort(stormy.begin(), stormy.end());
    std::printf("[ storm   ] game without: %lld %lld %lld ms; beside the storm: %lld %lld %lld ms "
                "(last storm: %lld sound frames, %lld chat lines sent, %lld heard)\n",
                static_cast<long long>(calm[0]), static_cast<long long>(calm[1]),
                static_cast<long long>(calm[2]), static_cast<long long>(stormy[0]),
                static_cast<long long>(stormy[1]), static_cast<long long>(stormy[2]),
                static_cast<long long>(last.silentFrames), static_cast<long long>(last.chatLines),
                static_cast<long long>(last.chatHeard));
    EXPECT_LE(double(stormy[1]), 1.3 * double(calm[1]));
}
