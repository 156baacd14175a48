#include "protocol/ColourText.h"

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

TEST(ColourText, NamesWinOverHexAndHexIsEightUpperCaseDigits) {
    EXPECT_EQ(colourToText(0x000000), "clBlack");
    EXPECT_EQ(colourToText(0x0000FF), "clRed");
    EXPECT_EQ(colourToText(0xFF0000), "clBlue");
    EXPECT_EQ(colourToText(0xC0C0C0), "clSilver");
    EXPECT_EQ(colourToText(0x8000000F), "clBtnFace");
    EXPECT_EQ(colourToText(0x80000018), "clInfoBk");
    EXPECT_EQ(colourToText(0x000080FF), "$000080FF");
    EXPECT_EQ(colourToText(0x00ABCDEF), "$00ABCDEF");
    EXPECT_EQ(colourToText(0x80000019), "$80000019");
}

TEST(ColourText, EveryNameAndManyValuesRoundTrip) {
    for (quint32 v = 0; v < 25; ++v) {
        const QString name = colourToText(systemColourBase + v);
        EXPECT_TRUE(name.startsWith("cl")) << v;
        EXPECT_EQ(textToColour(name), systemColourBase + v);
        EXPECT_EQ(textToColour(name.toUpper()), systemColourBase + v);
    }
    for (quint32 v : {0x000000u, 0x000080u, 0x008000u, 0x008080u, 0x800000u, 0x800080u, 0x808000u,
                      0x808080u, 0xC0C0C0u, 0x0000FFu, 0x00FF00u, 0x00FFFFu, 0xFF0000u, 0xFF00FFu,
                      0xFFFF00u, 0xFFFFFFu, 0x123456u, 0xFFFFFFFFu, 0x7F000001u}) {
        EXPECT_EQ(textToColour(colourToText(v)), v) << colourToText(v).toStdString();
    }
}

TEST(ColourText, ReadsAnyCaseHexAndDecimal) {
    EXPECT_EQ(textToColour("clblack"), 0u);
    EXPECT_EQ(textToColour("CLRED"), 0xFFu);
    EXPECT_EQ(textToColour("$000080FF"), 0x80FFu);
    EXPECT_EQ(textToColour("$80ff"), 0x80FFu);
    EXPECT_EQ(textToColour("255"), 0xFFu);
    EXPECT_EQ(textToColour("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(textToColour("+16"), 16u);
    EXPECT_EQ(textToColour("2147483647"), 0x7FFFFFFFu);
}

TEST(ColourText, MalformedTextsAreNoColour) {
    for (const char* bad : {"", "$", "$GG", "$123456789", "red", "cl Red", "clRed ", " 12", "12 ",
                            "0x10", "2147483648", "1e3", "+", "-", "$-1", "12a", "clRed|x"})
        EXPECT_FALSE(textToColour(bad).has_value()) << bad;
}

} // namespace
