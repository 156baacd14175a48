// What a hub says is read defensively: the answers of the interface are read to the letter,
// and anything of the wrong shape, type or size is no answer — never a crash, never a table
// with an address that could carry more than an address.

#include "session/hub/HubAnswers.h"
#include "session/hub/HubFailure.h"

// Qt
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace pelvo::hub {
namespace {

const QByteArray goodTable =
    R"({"id":"t1","name":"Anna's table","address":"198.51.100.7","port":7781,)"
    R"("seats_taken":1,"seats_free":3,"watchers":0,"playing":false,"level":"expert",)"
    R"("private":false,"future_field":[1,2]})";

QByteArray withField(const char* key, const QJsonValue& value) {
    QJsonObject o = QJsonDocument::fromJson(goodTable).object();
    if (value.isUndefined())
        o.remove(QLatin1String(key));
    else
        o.insert(QLatin1String(key), value);
    return "{\"tables\":[" + QJsonDocument(o).toJson(QJsonDocument::Compact) + "]}";
}

TEST(HubAnswers, TheInterfaceAnswersAreRead) {
    const auto tables = readTables("{\"tables\":[" + goodTable + "]}");
    ASSERT_TRUE(tables);
    ASSERT_EQ(tables->size(), 1);
    EXPECT_EQ(tables->first(),
              (Table{"t1", "Anna's table", "198.51.100.7", 7781, 1, 3, 0, false, "expert", false}));
    EXPECT_EQ(readTables(R"({"tables":[]})")->size(), 0);

    const auto created =
        readCreated(R"({"id":"t9","address":"hub.example","port":7790,"code":"k7qf2m"})");
    ASSERT_TRUE(created);
    EXPECT_EQ(created->code, "K7QF2M");
    EXPECT_EQ(created->port, 7790);
    EXPECT_TRUE(readCreated(R"({"id":"t9","address":"hub.example","port":7790})")->code.isEmpty());

    const auto target = readCodeTarget(R"({"name":"Bo","address":"::1","port":7781})");
    ASSERT_TRUE(target);
    EXPECT_EQ(target->address, "::1");

    const auto history = readLobbyMessage(
        R"({"type":"history","lines":[{"name":"Bo","text":"hi","time":"2026-12-09T10:00:00Z"},)"
        R"({"name":"Cy","text":"<b>x</b>"}]})");
    ASSERT_TRUE(history);
    ASSERT_EQ(history->lines.size(), 2);
    EXPECT_EQ(history->lines[1], (ChatLine{"Cy", "<b>x</b>", ""})); // markup stays text
    const auto error =
        readLobbyMessage(R"({"type":"error","error":"rate_limited","message":"Slow down."})");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind, LobbyMessage::Kind::Error);
    EXPECT_EQ(error->message, "Slow down.");
    EXPECT_EQ(readErrorBody(R"({"error":"hub_full","message":"Full."})").error, "hub_full");
}

TEST(HubAnswers, MalformedAnswersAreNoAnswer) {
    // Every field of a table, of the wrong type or out of range, spoils the answer.
    const std::vector<std::pair<const char*, QJsonValue>> spoiled = {
        {"id", QJsonValue::Undefined},
        {"id", ""},
        {"id", 7},
        {"name", QJsonValue::Null},
        {"address", ""},
        {"address", "a b"},
        {"address", "x/../etc"},
        {"address", "évil"},
        {"address", QString(254, 'a')},
        {"port", 0},
        {"port", 65536},
        {"port", 7781.5},
        {"port", "7781"},
        {"seats_taken", -1},
        {"seats_free", 5},
        {"watchers", true},
        {"playing", 1},
        {"level", QJsonValue::Undefined},
        {"private", "false"},
    };
    for (const auto& [key, value] : spoiled)
        EXPECT_FALSE(readTables(withField(key, value)))
            << key << " " << withField(key, value).constData();

    for (const QByteArray& junk :
         {QByteArray(), QByteArray("null"), QByteArray("[]"), QByteArray("{\"tables\":{}}"),
          QByteArray("{\"tables\":[1]}"), QByteArray("{\"tables\":[") + goodTable,
          QByteArray("<html>"), QByteArray(64, '[') + QByteArray(64, ']')}) {
        EXPECT_FALSE(readTables(junk)) << junk.constData();
        EXPECT_FALSE(readCreated(junk));
        EXPECT_FALSE(readCodeTarget(junk));
        EXPECT_FALSE(readLobbyMessage(junk));
        EXPECT_TRUE(readErrorBody(junk).error.isEmpty());
    }
    // A private table's code must be a code; lobby messages of unknown kinds are dropped.
    EXPECT_FALSE(readCreated(R"({"id":"t","address":"h","port":1,"code":"0OI1XX"})"));
    EXPECT_FALSE(readCreated(R"({"id":"t","address":"h","port":1,"code":5})"));
    EXPECT_FALSE(readLobbyMessage(R"({"type":"exec","cmd":"rm"})"));
    EXPECT_FALSE(readLobbyMessage(R"({"type":"chat","name":"Bo"})"));
    EXPECT_FALSE(readLobbyMessage(R"({"type":"history","lines":[{"name":"Bo","text":3}]})"));

    // Sizes are bounded: too many tables or bytes are refused; long texts are cut.
    QByteArray many = "{\"tables\":[";
    for (int i = 0; i <= MaxTables; ++i) many += (i ? "," : "") + goodTable;
    EXPECT_FALSE(readTables(many + "]}"));
    EXPECT_FALSE(readTables("{\"tables\":[],\"pad\":\"" + QByteArray(MaxAnswerBytes, 'x') + "\"}"));
    const auto cut = readTables(withField("name", QString(500, u'n') + "\n\u2028"));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->first().name, QString(MaxNameLength, u'n'));
}

// Any damage to a good answer either reads as a well-formed table or as nothing at all.
TEST(HubAnswers, DamagedAnswersNeverReadAsSomethingElse) {
    QRandomGenerator random(25);
    const QByteArray whole = "{\"tables\":[" + goodTable + "]}";
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = whole;
        for (int n = random.bounded(1, 4); n > 0; --n)
            damaged[random.bounded(int(damaged.size()))] = char(random.bounded(32, 127));
        const auto tables = readTables(damaged);
        if (!tables) continue;
        for (const Table& t : *tables) {
            EXPECT_FALSE(t.address.contains(u' ') || t.address.contains(u'/'));
            EXPECT_GE(t.port, 1);
            EXPECT_LE(t.seatsTaken + t.seatsFree, 8);
        }
        (void)readLobbyMessage(damaged);
        (void)readCreated(damaged);
    }
}

TEST(HubAnswers, CodesAddressesAndFailures) {
    EXPECT_EQ(normaliseCode(" k7q-f2m "), "K7QF2M");
    for (const char* bad :
         {"", "K7QF2", "K7QF2MM", "K7QF2O", "K7QF21", "K7QF2I", "K7QF2é", "K7QF 2M!"})
        EXPECT_TRUE(normaliseCode(QString::fromUtf8(bad)).isEmpty()) << bad;

    EXPECT_EQ(hubUrl("hub.example.org"), QUrl("http://hub.example.org:7780"));
    EXPECT_EQ(hubUrl(" 192.168.1.20:7790 "), QUrl("http://192.168.1.20:7790"));
    EXPECT_EQ(hubUrl("https://hub.example.org/some/path?x"), QUrl("https://hub.example.org:7780"));
    for (const char* bad : {"", "   ", "ftp://hub", "http://", "http://user:pw@hub", "a b"})
        EXPECT_FALSE(hubUrl(bad).isValid()) << bad;
    EXPECT_EQ(hubAddressText(hubUrl("hub.example.org")), "hub.example.org");
    EXPECT_EQ(hubAddressText(hubUrl("hub.example.org:7790")), "hub.example.org:7790");

    EXPECT_EQ(classifyAnswer(503, "hub_full"), Failure::Full);
    EXPECT_EQ(classifyAnswer(429, "too_many_tables"), Failure::TooManyTables);
    EXPECT_EQ(classifyAnswer(429, "rate_limited"), Failure::RateLimited);
    EXPECT_EQ(classifyAnswer(404, "unknown_code"), Failure::CodeUnknown);
    EXPECT_EQ(classifyAnswer(404, ""), Failure::TableGone);
    EXPECT_EQ(classifyAnswer(200, ""), Failure::BadAnswer);
    EXPECT_EQ(classifyAnswer(302, ""), Failure::BadAnswer);
    // Every failure says what to try, and names the hub where it is about the hub.
    EXPECT_EQ(classifyAnswer(503, "start_failed"), Failure::StartFailed);
    for (Failure f : {Failure::Unreachable, Failure::Full, Failure::StartFailed,
                      Failure::TooManyTables, Failure::CodeUnknown, Failure::TableGone,
                      Failure::RateLimited, Failure::Refused, Failure::BadAnswer}) {
        const QString text = failureText({f, {}}, "hub.example.org");
        EXPECT_GT(text.count(u'.'), 1) << text.toStdString(); // what happened. What to try.
    }
    EXPECT_TRUE(
        failureText({Failure::Unreachable, {}}, "hub.example.org").contains("hub.example.org"));

    // What the client sends is bounded and well formed whatever is typed.
    const QJsonObject chat =
        QJsonDocument::fromJson(chatMessage(QString(100, u'n'), "  hi\u0007 " + QString(900, u'x')))
            .object();
    EXPECT_EQ(chat.value("name").toString().size(), MaxNameLength);
    EXPECT_EQ(chat.value("text").toString().size(), MaxChatLength);
    EXPECT_FALSE(chat.value("text").toString().contains(u'\u0007'));
    EXPECT_TRUE(chatMessage("Bo", " \n ").isEmpty());
}

} // namespace
} // namespace pelvo::hub
