#include "protocol/Fields.h"

#include <gtest/gtest.h>

using namespace pelvo;

TEST(ToInt, AcceptsPlainDecimalOnly) {
    EXPECT_EQ(toInt(u"0"), 0);
    EXPECT_EQ(toInt(u"-2"), -2);
    EXPECT_EQ(toInt(u"+7"), 7);
    EXPECT_EQ(toInt(u"2147483647"), 2147483647);
    EXPECT_EQ(toInt(u"-2147483648"), -2147483647 - 1);
    for (const char16_t* bad : {u"", u"-", u"+", u" 1", u"1 ", u"1a", u"0x10", u"$10",
                                u"2147483648", u"-2147483649", u"99999999999999999999", u"١"}) {
        EXPECT_FALSE(toInt(bad).has_value()) << QString::fromUtf16(bad).toStdString();
    }
    EXPECT_THROW(toIntOrThrow(u"x"), BadField);
}

TEST(FieldReader, ReadsFieldsAndRemainder) {
    FieldReader r("2+Anna chats: a+b|clRed");
    EXPECT_EQ(r.nextInt(), 2);
    EXPECT_EQ(r.remainder(), "Anna chats: a+b|clRed");
}

TEST(FieldReader, LastFieldNeedsItsPlus) {
    FieldReader with("3+7+");
    EXPECT_EQ(with.nextInt(), 3);
    EXPECT_EQ(with.nextInt(), 7);
    EXPECT_TRUE(with.atEnd());

    FieldReader without("3+7");
    EXPECT_EQ(without.nextInt(), 3);
    EXPECT_EQ(without.next(), ""); // no "+" left: empty field, nothing removed
    EXPECT_EQ(without.remainder(), "7");
    EXPECT_THROW(without.nextInt(), BadField);
}

// The one reader under both endings: they agree wherever every field has its "+", and differ
// only in what an unterminated last field reads as.
TEST(FieldReader, EndingsDifferOnlyAtAnUnterminatedTail) {
    using Ending = FieldReader::Ending;
    for (const char* payload : {"", "+", "3+7+", "3++7+", "a+b+c+"}) {
        FieldReader plus(payload, Ending::Plus), open(payload, Ending::Open);
        while (!plus.atEnd() || !open.atEnd()) ASSERT_EQ(plus.next(), open.next()) << payload;
        EXPECT_TRUE(plus.atEnd()) << payload;
    }

    FieldReader open("3+7+Bo", Ending::Open);
    EXPECT_TRUE(open.plusLeft());
    EXPECT_EQ(open.nextInt(), 3);
    EXPECT_EQ(open.nextInt(1, 9), 7);
    EXPECT_FALSE(open.plusLeft());
    EXPECT_EQ(open.next(), "Bo"); // the rest, taken
    EXPECT_TRUE(open.atEnd());
    EXPECT_EQ(open.next(), ""); // and nothing after it
    EXPECT_THROW(open.nextInt(), BadField);

    FieldReader tail("3+x", Ending::Open);
    tail.nextInt();
    EXPECT_THROW(tail.nextInt(), BadField); // a bad tail fails like any bad field
}

TEST(FieldReader, RangeChecks) {
    FieldReader r("0+10+5+");
    EXPECT_THROW(r.nextInt(1, 9), BadField);
    EXPECT_THROW(r.nextInt(1, 9), BadField);
    EXPECT_EQ(r.nextInt(1, 9), 5);
}

TEST(SplitCommand, AtFirstPlus) {
    QString c, p;
    splitCommand("CMD_a+b+c", c, p);
    EXPECT_EQ(c, "CMD_a");
    EXPECT_EQ(p, "b+c");
    splitCommand("CMD_full+", c, p);
    EXPECT_EQ(c, "CMD_full");
    EXPECT_EQ(p, "");
    splitCommand("nocommand", c, p);
    EXPECT_TRUE(c.isEmpty());
}
