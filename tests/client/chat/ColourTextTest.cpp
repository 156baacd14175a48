#include "client/chat/ColourText.h"

#include <QGuiApplication>
#include <QPalette>

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

TEST(ColourText, SystemColoursFollowTheirPaletteRoles) {
    const QPalette saved = QGuiApplication::palette();
    // Every role and group its own colour, so a colour read from the wrong place shows.
    QPalette pal;
    int shade = 1;
    for (const auto group : {QPalette::Active, QPalette::Disabled, QPalette::Inactive})
        for (int role = 0; role < QPalette::NColorRoles; ++role)
            pal.setColor(group, QPalette::ColorRole(role), QColor::fromRgb(QRgb(shade++ * 997)));
    QGuiApplication::setPalette(pal);
    const QPalette now = QGuiApplication::palette();
    EXPECT_EQ(colourToQColor(0x80000000), now.color(QPalette::Button));
    EXPECT_EQ(colourToQColor(0x80000009), now.color(QPalette::Active, QPalette::HighlightedText));
    EXPECT_EQ(colourToQColor(0x80000011), now.color(QPalette::Disabled, QPalette::Text));
    EXPECT_EQ(colourToQColor(0x80000013), now.color(QPalette::Inactive, QPalette::HighlightedText));
    EXPECT_EQ(colourToQColor(0x80000018), now.color(QPalette::ToolTipBase));
    EXPECT_EQ(colourToQColor(0x80000019), QColor(Qt::black)); // past the last one
    QGuiApplication::setPalette(saved);
}

} // namespace
