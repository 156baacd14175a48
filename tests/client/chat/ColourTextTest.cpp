#include "client/chat/ColourText.h"

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

TEST(ColourText, ConvertsToAndFromQColor) {
    EXPECT_EQ(colourToQColor(0x000080FF), QColor(255, 128, 0));
    EXPECT_EQ(colourToQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(qColorToColour(QColor(255, 128, 0)), 0x000080FFu);
    EXPECT_EQ(qColorToColour(colourToQColor(0x00123456)), 0x00123456u);
    EXPECT_TRUE(colourToQColor(0x80000005).isValid());
}

} // namespace
