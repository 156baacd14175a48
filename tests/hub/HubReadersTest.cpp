// The hub's readers as plain functions (the same entry points the fuzz targets call): every
// kind of malformed input is refused with a reason and never reaches the list, and what passes
// is exactly what a table or a person meant.

#include "hub/HubJson.h"
#include "hub/JoinCodes.h"
#include "hub/RateLimiter.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <set>

namespace pelvo::hub {
namespace {

template <class T> bool refused(const Read<T>& r, const char* error = "bad_request") {
    return std::holds_alternative<Refusal>(r) && std::get<Refusal>(r).error == error;
}

TEST(HubReaders, EveryMalformedReportIsRefused) {
    const QByteArray good = R"({"name":"Bo","port":7772,"seats_taken":2,"seats_free":2,)"
                            R"("watchers":1,"playing":true,"level":"expert","private":false})";
    const auto report = readReport(good);
    ASSERT_TRUE(std::holds_alternative<TableReport>(report));
    const TableReport& r = std::get<TableReport>(report);
    EXPECT_EQ(r.name, "Bo");
    EXPECT_EQ(r.port, 7772);
    EXPECT_EQ(r.seatsTaken, 2);
    EXPECT_EQ(r.watchers, 1);
    EXPECT_TRUE(r.playing);
    EXPECT_EQ(r.level, Level::Expert);
    // The report's own JSON reads back the same.
    EXPECT_EQ(std::get<TableReport>(readReport(QJsonDocument(reportJson(r)).toJson())), r);

    const auto with = [&](const char* field, const QJsonValue& value) {
        QJsonObject o = QJsonDocument::fromJson(good).object();
        if (value.isUndefined())
            o.remove(QLatin1String(field));
        else
            o.insert(QLatin1String(field), value);
        return QJsonDocument(o).toJson();
    };
    for (const QByteArray& bad : {with("port", 0),
                                  with("port", 65536),
                                  with("port", 7772.5),
                                  with("port", "7772"),
                                  with("port", QJsonValue::Undefined),
                                  with("seats_taken", 5),
                                  with("seats_taken", -1),
                                  with("seats_free", 3), // 2 + 3 > 4
                                  with("watchers", 6),
                                  with("watchers", 1e300),
                                  with("playing", 1),
                                  with("level", "Expert"),
                                  with("private", "false"),
                                  with("name", ""),
                                  with("name", QString(65, QLatin1Char('x'))),
                                  with("name", QJsonValue::Null),
                                  with("code", "K7QF2M"), // a public table has no code
                                  QByteArray(),
                                  QByteArray("null"),
                                  QByteArray("[1]"),
                                  QByteArray("{\"name\":"),
                                  QByteArray("{\"a\":[[[[1]]]]}"),
                                  QByteArray("\xff\xfe{}")}) {
        EXPECT_TRUE(refused(readReport(bad))) << bad.constData();
    }
    EXPECT_TRUE(refused(readReport(QByteArray(MaxBodyBytes + 1, ' ')), "too_large"));
}

TEST(HubReaders, NamesAndChatAreCleanPlainText) {
    EXPECT_EQ(*cleanName("  Bo\u0007\tthe\nBold  "), "Bo  the Bold");
    EXPECT_EQ(*cleanName(QString::fromUtf8("\xF0\x9F\x83\x8F") + QString(63, 'x')),
              QString::fromUtf8("\xF0\x9F\x83\x8F") + QString(63, 'x')); // 64 characters
    EXPECT_FALSE(cleanName(QString(65, 'x')));
    EXPECT_FALSE(cleanName(" \u200B\u2028 "));
    EXPECT_EQ(cleanName(QString(QChar(0xD800)) + "a"), "a"); // a lone surrogate goes

    const auto chat = readChat(R"({"type":"chat","name":"Bo","text":"<b>hi</b>\r\nthere"})");
    ASSERT_TRUE(std::holds_alternative<ChatRequest>(chat));
    EXPECT_EQ(std::get<ChatRequest>(chat).text, "<b>hi</b>  there"); // shown as text, one line
    EXPECT_TRUE(refused(readChat(R"({"type":"join","name":"Bo","text":"x"})")));
    EXPECT_TRUE(refused(readChat(R"({"type":"chat","name":"Bo","text":" "})")));
    EXPECT_TRUE(refused(readChat(
        QJsonDocument(QJsonObject{{"type", "chat"}, {"name", "Bo"}, {"text", QString(401, 'x')}})
            .toJson())));
    EXPECT_TRUE(refused(readChat(QByteArray(MaxMessageBytes + 1, ' ')), "too_large"));

    // Depth counts brackets outside strings only.
    EXPECT_EQ(jsonDepth(R"({"a":"[[[[[[{{{{"})"), 1);
    EXPECT_EQ(jsonDepth(R"({"a":"\"[[[[","b":[[1]]})"), 3);
    EXPECT_EQ(jsonDepth(QByteArray(100000, '[')), MaxJsonDepth + 1);
}

TEST(HubReaders, CodesAreReadableUniformEnoughAndCaseFree) {
    std::set<QString> seen;
    std::map<QChar, int> counts;
    for (int i = 0; i < 2000; ++i) {
        const QString code = newCode();
        ASSERT_EQ(normaliseCode(code.toLower()), code);
        for (const QChar c : code) ++counts[c];
        seen.insert(code);
    }
    EXPECT_GT(seen.size(), 1990u); // 2^30 codes: repeats in 2000 are rare
    EXPECT_EQ(counts.size(), 32u);
    for (const char c : {'0', 'O', '1', 'I'}) EXPECT_EQ(counts.count(QChar(c)), 0u);
    for (const char* bad : {"K7QF2", "K7QF2MM", "K0QF2M", "K7QF2I", "K7QF2\u00C9", "K7 F2M"})
        EXPECT_FALSE(normaliseCode(QString::fromUtf8(bad))) << bad;
}

TEST(HubReaders, RateLimiterSpendsABurstThenEarnsBack) {
    RateLimiter limiter(3, 2); // three at once, then two a second
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(limiter.take("a"));
    EXPECT_FALSE(limiter.take("a"));
    EXPECT_TRUE(limiter.take("b")); // another key has its own bucket
    limiter.advance(500);
    EXPECT_TRUE(limiter.take("a"));
    EXPECT_FALSE(limiter.take("a"));
    limiter.advance(60000); // full again, and forgotten
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(limiter.take("a"));
    EXPECT_FALSE(limiter.take("a"));
}

} // namespace
} // namespace pelvo::hub
