#include "protocol/Notices.h"

#include "protocol/Commands.h"
#include "protocol/WireText.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

using namespace pelvo;
using namespace pelvo::notice;

namespace {

constexpr int intMax = std::numeric_limits<int>::max();
constexpr int intMin = std::numeric_limits<int>::min();

// What a handler is given: the text between "name+" and the terminator.
QString payloadOf(const QByteArray& frame, const char* command) {
    const QByteArray head = QByteArray(command) + '+';
    EXPECT_TRUE(frame.startsWith(head)) << frame.toStdString();
    EXPECT_TRUE(frame.endsWith(wire::terminator)) << frame.toStdString();
    return decodeWire(frame.mid(head.size()).chopped(1));
}

class Gen {
public:
    explicit Gen(unsigned seed) : rng_(seed) {}
    // Bounds come up often: that is where off-by-one faults live.
    int num(int lo, int hi) {
        switch (pick(0, 5)) {
        case 0:
            return lo;
        case 1:
            return hi;
        default:
            return std::uniform_int_distribution<int>(lo, hi)(rng_);
        }
    }
    bool flag() { return pick(0, 1) == 1; }
    // Text with spaces, accents, wide and astral characters, and "+" and "|" unless excluded.
    QString text(QStringView exclude = {}) {
        static const QStringList pieces{"a", "Z", "0",  "9", "-", " ",  ":", "+", "|",
                                        "é", "ß", "中", "😀", "$", "\t", "f", "1", "Ω"};
        QString s;
        for (int n = pick(0, 12); n > 0; --n) {
            const QString& p = pieces[pick(0, int(pieces.size()) - 1)];
            if (!exclude.contains(p)) s += p;
        }
        return s;
    }
    QList<Placed> grid() {
        QList<Placed> cards;
        for (int p = 1; p <= 9; ++p) cards.append({p, num(0, 53)});
        return cards;
    }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    std::mt19937 rng_;
};

template <class N, class Encode, class Make>
void roundTrips(const char* command, Encode encodeIt, Make make) {
    SCOPED_TRACE(command);
    Gen g(20240611);
    for (int i = 0; i < 400; ++i) {
        const N n = make(g);
        const QByteArray frame = encodeIt(n);
        const std::optional<N> back = decode<N>(payloadOf(frame, command));
        ASSERT_TRUE(back.has_value()) << frame.toStdString();
        ASSERT_TRUE(*back == n) << frame.toStdString();
    }
}

TEST(Notices, EveryNoticeRoundTripsThroughItsFrame) {
    // Fields that end at a "+" cannot carry one; chat text carries "+" and "|" alike.
    roundTrips<SendLoginInfo>(
        cmd::sendlogininfo, [](auto& n) { return encode(n); },
        [](Gen& g) { return SendLoginInfo{g.num(1, 9)}; });
    const auto player = [](Gen& g) { return PlayerInfo{g.num(1, 9), g.text()}; };
    roundTrips<PlayerInfo>(cmd::newplayerinfo, encodeNew, player);
    roundTrips<PlayerInfo>(cmd::existingplayers, encodeExisting, player);
    roundTrips<PlayerInfo>(cmd::playerdisconnected, encodeGone, player);
    roundTrips<HaveWrongVersion>(
        cmd::havewrongversion, [](auto& n) { return encode(n); },
        [](Gen& g) { return HaveWrongVersion{g.text()}; });
    roundTrips<WrongVersion>(
        cmd::wrongversion, [](auto& n) { return encode(n); }, [](Gen&) { return WrongVersion{}; });
    roundTrips<Full>(
        cmd::full, [](auto& n) { return encode(n); }, [](Gen&) { return Full{}; });
    roundTrips<JustWatching>(
        cmd::justwatching, [](auto& n) { return encode(n); },
        [](Gen& g) {
            return JustWatching{g.num(intMin, intMax), g.text()};
        });
    const auto chat = [](Gen& g) {
        return ChatText{g.num(0, 9), g.text(), quint32(g.num(intMin, intMax))};
    };
    roundTrips<ChatText>(cmd::chat, encodeChat, chat);
    roundTrips<ChatText>(cmd::action, encodeAction, chat);
    roundTrips<PlayASound>(
        cmd::playasound, [](auto& n) { return encode(n); },
        [](Gen& g) {
            return PlayASound{g.flag() ? std::optional<int>(g.num(intMin, intMax)) : std::nullopt,
                              g.text(u"+")};
        });
    roundTrips<StartGame>(
        cmd::startgame, [](auto& n) { return encode(n); },
        [](Gen& g) {
            return StartGame{g.text(u"+"), g.num(0, intMax), g.flag(), g.flag()};
        });
    roundTrips<RoundStarting>(
        cmd::roundstarting, [](auto& n) { return encode(n); },
        [](Gen& g) {
            return RoundStarting{g.num(0, intMax), g.num(0, 53)};
        });
    roundTrips<MyCards>(
        cmd::mycards, [](auto& n) { return encode(n); },
        [](Gen& g) {
            return MyCards{g.num(1, 4), g.grid()};
        });
    roundTrips<GameStats>(
        cmd::gamestats, [](auto& n) { return encode(n); },
        [](Gen& g) {
            GameStats s;
            s.addressee = g.num(-intMax, intMax);
            s.rounds = g.num(0, intMax);
            s.round = g.num(0, intMax);
            s.turnSeat = g.num(0, 4);
            s.discardTop = g.num(0, 53);
            for (int& t : s.totals) t = g.num(-intMax, intMax);
            s.seat3Out = g.flag();
            s.seat4Out = g.flag();
            for (int n = g.num(0, 36); n > 0; --n)
                s.faceUp.append({g.num(1, 4), g.num(1, 9), g.num(0, 53)});
            return s;
        });
    roundTrips<PostScores>(
        cmd::postscores, [](auto& n) { return encode(n); },
        [](Gen& g) {
            return PostScores{g.num(1, 4), g.num(-intMax, intMax), g.num(-intMax, intMax),
                              g.grid()};
        });
    roundTrips<Penalty>(
        cmd::penalty, [](auto& n) { return encode(n); },
        [](Gen& g) {
            return Penalty{g.num(1, 4), g.num(-intMax, intMax)};
        });
    roundTrips<NextPlayer>(
        cmd::nextplayer, [](auto& n) { return encode(n); },
        [](Gen& g) {
            return NextPlayer{g.num(1, 4), g.num(-intMax, intMax)};
        });
    roundTrips<Winner>(
        cmd::winner, [](auto& n) { return encode(n); },
        [](Gen& g) { return Winner{g.text(u"+")}; });
    roundTrips<DrawACard>(
        cmd::drawacard, [](auto& n) { return encode(n); },
        [](Gen& g) {
            return DrawACard{g.num(1, 4), g.num(0, 53)};
        });
    roundTrips<HeFlipped>(
        cmd::heflipped, [](auto& n) { return encode(n); },
        [](Gen& g) {
            return HeFlipped{g.num(1, 4), g.num(1, 9), g.num(0, 53)};
        });
    const auto replaced = [](Gen& g) {
        return Replaced{g.num(1, 4), g.num(1, 9), g.num(0, 53), g.num(0, 53)};
    };
    roundTrips<Replaced>(cmd::replaceadraw, encodeDraw, replaced);
    roundTrips<Replaced>(cmd::replaceadiscard, encodeDiscard, replaced);
    roundTrips<DiscardADrawn>(
        cmd::discardadrawn, [](auto& n) { return encode(n); },
        [](Gen& g) {
            return DiscardADrawn{g.num(1, 4), g.num(0, 53)};
        });
}

TEST(Notices, EncodersKeepTodaysBytes) {
    EXPECT_EQ(encodeChat({2, "a+b", 255}), msg::chat(2, "a+b", "clRed"));
    EXPECT_EQ(encodeAction({0, "waves", 0x0080FF00}), msg::action(0, "waves", "$0080FF00"));
    EXPECT_EQ(encode(PlayASound{4, "wave13"}), QByteArray("CMD_playasound+4+wave13+\xFF"));
    EXPECT_EQ(encode(PlayASound{std::nullopt, "x"}), QByteArray("CMD_playasound++x+\xFF"));
    // No face-up card still sends one padding triple.
    EXPECT_EQ(encode(GameStats{}), QByteArray("CMD_gamestats+0+0+0+0+0+0+0+0+0+0+0+0+0+0\xFF"));
}

using Rejects = bool (*)(const QString&);
template <class N> bool rejects(const QString& payload) {
    return !decode<N>(payload).has_value();
}

TEST(Notices, MalformedPayloadsAreRejectedWhole) {
    const std::pair<Rejects, const char*> bad[] = {
        // The board's malformed notices.
        {rejects<MyCards>, "1+1+5+2+x"},
        {rejects<MyCards>, "5+1+5"},
        {rejects<MyCards>, "1+10+5"},
        {rejects<MyCards>, "1+1+54"},
        {rejects<MyCards>, "1+0+-1"},
        {rejects<HeFlipped>, "0+1+5+"},
        {rejects<HeFlipped>, "1+9+99+"},
        {rejects<HeFlipped>, "2+-3+5+"},
        {rejects<Replaced>, "1+5+3+"},
        {rejects<Replaced>, "9+5+3+4+"},
        {rejects<Replaced>, "1+5+x+4+"},
        {rejects<DiscardADrawn>, "1+60+"},
        {rejects<DrawACard>, "1+abc+"},
        {rejects<PostScores>, "5+1+1"},
        {rejects<PostScores>, "2+1+1+1+1+12+2"},
        {rejects<Penalty>, "0+25+"},
        {rejects<Penalty>, "2+"},
        {rejects<Penalty>, "2+-2147483648+"}, // unranged numbers stop at ±2147483647
        {rejects<NextPlayer>, "7+0+"},
        {rejects<NextPlayer>, "2+z+"},
        {rejects<RoundStarting>, "2+54+"},
        {rejects<RoundStarting>, "+3+"},
        {rejects<StartGame>, "Anna+many+t+t+"},
        {rejects<GameStats>, "1+5+2+9+3+0+0+0+0+0+0+0+0+0"},
        {rejects<GameStats>, "1+5+2+1+3+0+0+0+0+0+0+2+10+5"},
        {rejects<GameStats>, "1+5+2+1+3+0+0"},
        {rejects<GameStats>, "1+5+2+1+3+0+0+0+0+0+0+1+1+99999999999"},
        // The main window's and the chat's.
        {rejects<SendLoginInfo>, "abc"},
        {rejects<SendLoginInfo>, "0"},
        {rejects<PlayerInfo>, "x+Bo"},
        {rejects<PlayerInfo>, "0+Bo"},
        {rejects<PlayerInfo>, "99+Bo"},
        {rejects<PlayerInfo>, "-1+Bo"},
        {rejects<JustWatching>, "z+1"},
        {rejects<ChatText>, "x+hello"},
        {rejects<ChatText>, "no plus at all"},
        {rejects<ChatText>, "+hello|clRed"},
        {rejects<ChatText>, "2147483647+hello|clRed"},
        {rejects<ChatText>, "10+hello|clRed"},
        {rejects<ChatText>, "-1+hello|clRed"},
        {rejects<PlayASound>, "2"},
        // Missing fields and the "+" a lead number needs.
        {rejects<SendLoginInfo>, "3+"},
        {rejects<SendLoginInfo>, " 3"},
        {rejects<PlayerInfo>, "3"},
        {rejects<JustWatching>, "3"},
        {rejects<ChatText>, "3|x+y"}, // the "+" after the last "|" is colour, not a sender's
        {rejects<PlayASound>, "wave4"},
        {rejects<StartGame>, "Anna"},
        {rejects<RoundStarting>, "3"},
        {rejects<MyCards>, "1+1"},
        {rejects<MyCards>, "1+1+"},
        {rejects<MyCards>, "1++"},
        {rejects<PostScores>, "1+2"},
        {rejects<PostScores>, "1+2+3+4"},
        {rejects<Penalty>, "2"},
        {rejects<DrawACard>, "1"},
        {rejects<HeFlipped>, "1+9"},
        {rejects<Replaced>, "1+5+3"},
        {rejects<DiscardADrawn>, "1"},
        {rejects<DiscardADrawn>, "+2+7"},
        {rejects<GameStats>, "1+5+2+1+3+0+0+0+0+0+0+2+1"},
        // Out of range, signs and overflow.
        {rejects<SendLoginInfo>, "10"},
        {rejects<SendLoginInfo>, "99999999999"},
        {rejects<JustWatching>, "99999999999+1"},
        {rejects<JustWatching>, "2147483648+1"},
        {rejects<StartGame>, "Anna+-1+t+t+"},
        {rejects<RoundStarting>, "-1+5+"},
        {rejects<RoundStarting>, "1+-1+"},
        {rejects<Penalty>, "1+99999999999+"},
        {rejects<Penalty>, "1+1e3+"},
        {rejects<NextPlayer>, "5+0+"},
        {rejects<DrawACard>, "1+54+"},
        {rejects<HeFlipped>, "1+10+5+"},
        {rejects<HeFlipped>, "1+0+5+"},
        {rejects<Replaced>, "1+5+3+54+"},
        {rejects<Replaced>, "1+0+3+4+"},
        {rejects<DiscardADrawn>, "0+5+"},
        {rejects<GameStats>, "1+5+2+-1+3+0+0+0+0+0+0"},
        {rejects<GameStats>, "1+-5+2+1+3+0+0+0+0+0+0"},
        {rejects<GameStats>, "1+5+2+1+3+0+0+0+0+0+0+0+10+0"},
        {rejects<GameStats>, "1+5+2+1+3+0+0+0+0+0+0+5+1+1"},
        {rejects<PostScores>, "1+2+3+0+5"},
        // Empty payloads: every notice with a number in it.
        {rejects<SendLoginInfo>, ""},
        {rejects<PlayerInfo>, ""},
        {rejects<JustWatching>, ""},
        {rejects<ChatText>, ""},
        {rejects<PlayASound>, ""},
        {rejects<StartGame>, ""},
        {rejects<RoundStarting>, ""},
        {rejects<MyCards>, ""},
        {rejects<GameStats>, ""},
        {rejects<PostScores>, ""},
        {rejects<Penalty>, ""},
        {rejects<NextPlayer>, ""},
        {rejects<DrawACard>, ""},
        {rejects<HeFlipped>, ""},
        {rejects<Replaced>, ""},
        {rejects<DiscardADrawn>, ""},
    };
    for (const auto& [rejected, payload] : bad) EXPECT_TRUE(rejected(payload)) << payload;
}

TEST(Notices, LenientLayoutsStayAccepted) {
    // A last field without its "+", and fields after the last one read, are fine.
    EXPECT_EQ(decode<Penalty>("2+25"), (Penalty{2, 25}));
    EXPECT_EQ(decode<Penalty>("2+25+x+y"), (Penalty{2, 25}));
    EXPECT_EQ(decode<RoundStarting>("3+5"), (RoundStarting{3, 5}));
    EXPECT_EQ(decode<NextPlayer>("4+-1+junk"), (NextPlayer{4, -1}));
    EXPECT_EQ(decode<DrawACard>("1+53"), (DrawACard{1, 53}));
    EXPECT_EQ(decode<HeFlipped>("1+9+0"), (HeFlipped{1, 9, 0}));
    EXPECT_EQ(decode<Replaced>("4+1+2+3+more"), (Replaced{4, 1, 2, 3}));
    EXPECT_EQ(decode<DiscardADrawn>("2+7"), (DiscardADrawn{2, 7}));
    EXPECT_EQ(decode<Winner>("Bo"), Winner{"Bo"});
    EXPECT_EQ(decode<Winner>("Bo+Jo+"), Winner{"Bo"});
    EXPECT_EQ(decode<Winner>(""), Winner{""});

    // Missing flags read as "plays" / "not out".
    EXPECT_EQ(decode<StartGame>("Anna+3"), (StartGame{"Anna", 3, true, true}));
    EXPECT_EQ(decode<StartGame>("Anna+3+f"), (StartGame{"Anna", 3, false, true}));
    EXPECT_EQ(decode<StartGame>("+0+x+f+more"), (StartGame{"", 0, true, false}));
    GameStats stats;
    stats.addressee = -7;
    stats.rounds = 5;
    stats.round = 2;
    stats.turnSeat = 1;
    stats.discardTop = 3;
    stats.totals = {10, -2, 0, 99};
    EXPECT_EQ(decode<GameStats>("-7+5+2+1+3+10+-2+0+99"), stats);
    // Padding triples (seat 0, position 0..9) are dropped wherever they stand.
    stats.seat4Out = true;
    stats.faceUp = {{2, 3, 4}, {4, 9, 53}};
    EXPECT_EQ(decode<GameStats>("-7+5+2+1+3+10+-2+0+99+t+1+0+0+0+2+3+4+0+9+53+4+9+53+"), stats);

    // Card lists run to the end: none, one without "+", one with.
    EXPECT_EQ(decode<MyCards>("2"), (MyCards{2, {}}));
    EXPECT_EQ(decode<MyCards>("2+1+5"), (MyCards{2, {{1, 5}}}));
    EXPECT_EQ(decode<PostScores>("3+-2+40+9+53+"), (PostScores{3, -2, 40, {{9, 53}}}));

    // Free text keeps every "+"; the lead number has no range where the client checks it later.
    EXPECT_EQ(decode<SendLoginInfo>("9"), SendLoginInfo{9});
    EXPECT_EQ(decode<PlayerInfo>("3+"), (PlayerInfo{3, ""}));
    EXPECT_EQ(decode<PlayerInfo>("3+Bo+Jo"), (PlayerInfo{3, "Bo+Jo"}));
    EXPECT_EQ(decode<JustWatching>("-2147483648+1+2"), (JustWatching{intMin, "1+2"}));
    EXPECT_EQ(decode<HaveWrongVersion>("a+b|c"), HaveWrongVersion{"a+b|c"});
    EXPECT_TRUE(decode<WrongVersion>("anything").has_value());
    EXPECT_TRUE(decode<Full>("").has_value());

    // Chat: text ends at the last "|"; no or an unreadable colour is red (255).
    EXPECT_EQ(decode<ChatText>("3+hi"), (ChatText{3, "hi", 255}));
    EXPECT_EQ(decode<ChatText>("0+"), (ChatText{0, "", 255}));
    EXPECT_EQ(decode<ChatText>("3+a+b|clBlue"), (ChatText{3, "a+b", 0xFF0000}));
    EXPECT_EQ(decode<ChatText>("4+a|b|clBlue"), (ChatText{4, "a|b", 0xFF0000}));
    EXPECT_EQ(decode<ChatText>("4+pipe a|b"), (ChatText{4, "pipe a", 255}));
    EXPECT_EQ(decode<ChatText>("5+bad|clSky"), (ChatText{5, "bad", 255}));
    EXPECT_EQ(decode<ChatText>("9+x\ny|$0080FF00"), (ChatText{9, "x\ny", 0x0080FF00}));

    // A sound: the slot is a number or nothing; the clip ends at the next "+".
    EXPECT_EQ(decode<PlayASound>("x+wave4"), (PlayASound{std::nullopt, "wave4"}));
    EXPECT_EQ(decode<PlayASound>("0+wave4+extra"), (PlayASound{0, "wave4"}));
    EXPECT_EQ(decode<PlayASound>("+"), (PlayASound{std::nullopt, ""}));
}

} // namespace
