#include "session/settings/IniFile.h"

#include <gtest/gtest.h>

namespace pelvo {
namespace {

TEST(IniTextTest, SetsOnlyTheValueTextOrAddsOneLine) {
    struct Case {
        const char* before;
        const char* key;
        const char* after;
    };
    const Case cases[] = {
        {"[Pelvo]\n  Top  =  1  \n", "top", "[Pelvo]\n  Top  =  5  \n"},
        {"[Pelvo]\nTop=\n", "Top", "[Pelvo]\nTop=5\n"},
        {"[Pelvo]\nTop=  \n", "Top", "[Pelvo]\nTop=5  \n"},
        {"[Pelvo]\nTop=1", "Left", "[Pelvo]\nTop=1\nLeft=5"},
        {"[Pelvo]", "Left", "[Pelvo]\nLeft=5"},
        {"[Pelvo]\nTop=1\n\n; next\n[B]\nx=1\n", "Left",
         "[Pelvo]\nTop=1\nLeft=5\n\n; next\n[B]\nx=1\n"},
        {"[Pelvo]\n;Left=9\nTop=1\n", "Left", "[Pelvo]\n;Left=9\nTop=1\nLeft=5\n"},
        {"[A]\nx=1", "Left", "[A]\nx=1\n[Pelvo]\nLeft=5\n"},
        {"[A]\r\nx=1\r\n", "Left", "[A]\r\nx=1\r\n[Pelvo]\r\nLeft=5\r\n"},
        {"", "Left", "[Pelvo]\nLeft=5\n"},
        {"Left=1\n[Pelvo]\n", "Left", "Left=1\n[Pelvo]\nLeft=5\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini::withValue(c.before, "Pelvo", c.key, "5"), c.after) << c.before;
}

TEST(IniTextTest, ReadsTheFirstMatchTrimmedAndIgnoresComments) {
    const QByteArray text = "Top=0\n[Other]\nTop=1\n[PELVO]\n;Top=2\n# Top=3\n top = 4 = x \n"
                            "Top=5\n[Pelvo]\nLeft=6\n";
    EXPECT_EQ(ini::value(text, "Pelvo", "TOP"), "4 = x");
    EXPECT_EQ(ini::value(text, "Pelvo", "Left"), std::nullopt);
    EXPECT_EQ(ini::value(text, "Missing", "Top"), std::nullopt);
    EXPECT_EQ(ini::value("[Pelvo]\r\nTop=7\r\n", "Pelvo", "Top"), "7");
    EXPECT_EQ(ini::value("\xEF\xBB\xBF[Pelvo]\nTop=8\n", "Pelvo", "Top"), "8");
    EXPECT_EQ(ini::withValue("\xEF\xBB\xBF[Pelvo]\nTop=8\n", "Pelvo", "Top", "9"),
              "\xEF\xBB\xBF[Pelvo]\nTop=9\n");
}

// Blanks and line breaks at a value's ends cannot be read back; saving the same value again and
// again must leave the file as it is.
TEST(IniTextTest, WritingAValueTwiceChangesNothingAndReadsItBack) {
    for (const QByteArray before : {"", "[Pelvo]\nTop=1\n", "[Pelvo]\r\nLeft=2\r\n"}) {
        const QByteArray once = ini::withValue(before, "Pelvo", "Top", " \ta\nb \r\n");
        EXPECT_EQ(ini::value(once, "Pelvo", "Top"), "a b");
        EXPECT_EQ(ini::withValue(once, "Pelvo", "Top", " \ta\nb \r\n"), once)
            << before.toStdString();
    }
    // A file whose last line ends in a lone CR: adding a key must not change the other values.
    for (const QByteArray before : {"[Pelvo]\r\nTop=1\r", "[A]\r\nx=1\r", "[Pelvo]\nTop=1\r"}) {
        const QByteArray after = ini::withValue(before, "Pelvo", "Left", "2");
        EXPECT_EQ(ini::value(after, "Pelvo", "Left"), "2") << before.toStdString();
        EXPECT_EQ(ini::value(after, "Pelvo", "Top"), ini::value(before, "Pelvo", "Top"))
            << before.toStdString();
        EXPECT_EQ(ini::value(after, "A", "x"), ini::value(before, "A", "x"))
            << before.toStdString();
    }
}

} // namespace
} // namespace pelvo
