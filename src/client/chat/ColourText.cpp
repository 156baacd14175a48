#include "client/chat/ColourText.h"

#include <QGuiApplication>
#include <QPalette>

#include <iterator>

namespace pelvo {

namespace {

// The system colours by index: the palette's colour group and role for each.
struct SystemColour {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};
constexpr SystemColour systemColours[] = {
    {QPalette::Current, QPalette::Button},           // scroll bar
    {QPalette::Current, QPalette::Dark},             // desktop
    {QPalette::Active, QPalette::Highlight},         // active caption
    {QPalette::Current, QPalette::Mid},              // inactive caption
    {QPalette::Current, QPalette::Window},           // menu
    {QPalette::Current, QPalette::Base},             // window
    {QPalette::Current, QPalette::Shadow},           // window frame
    {QPalette::Current, QPalette::WindowText},       // menu text
    {QPalette::Current, QPalette::Text},             // window text
    {QPalette::Active, QPalette::HighlightedText},   // caption text
    {QPalette::Current, QPalette::Window},           // active border
    {QPalette::Current, QPalette::Window},           // inactive border
    {QPalette::Current, QPalette::Dark},             // app work space
    {QPalette::Current, QPalette::Highlight},        // highlight
    {QPalette::Current, QPalette::HighlightedText},  // highlight text
    {QPalette::Current, QPalette::Button},           // button face
    {QPalette::Current, QPalette::Dark},             // button shadow
    {QPalette::Disabled, QPalette::Text},            // grey text
    {QPalette::Current, QPalette::ButtonText},       // button text
    {QPalette::Inactive, QPalette::HighlightedText}, // inactive caption text
    {QPalette::Current, QPalette::Light},            // button highlight
    {QPalette::Current, QPalette::Shadow},           // 3D dark shadow
    {QPalette::Current, QPalette::Midlight},         // 3D light
    {QPalette::Current, QPalette::ToolTipText},      // info text
    {QPalette::Current, QPalette::ToolTipBase},      // info background
};

QColor systemColour(int index) {
    if (index < 0 || index >= int(std::size(systemColours))) return QColor(Qt::black);
    const SystemColour& c = systemColours[index];
    return QGuiApplication::palette().color(c.group, c.role);
}

} // namespace

QColor colourToQColor(quint32 colour) {
    if (colour >= systemColourBase) return systemColour(int(colour - systemColourBase));
    return QColor(int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16 & 0xFF));
}

quint32 qColorToColour(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16;
}

} // namespace pelvo
