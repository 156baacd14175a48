#include "client/chat/ColourText.h"

#include <QGuiApplication>
#include <QPalette>

namespace pelvo {

namespace {

QColor systemColour(int index) {
    const QPalette pal = QGuiApplication::palette();
    switch (index) {
    case 0:
        return pal.color(QPalette::Button); // scroll bar
    case 1:
        return pal.color(QPalette::Dark); // desktop
    case 2:
        return pal.color(QPalette::Active, QPalette::Highlight); // active caption
    case 3:
        return pal.color(QPalette::Mid); // inactive caption
    case 4:
        return pal.color(QPalette::Window); // menu
    case 5:
        return pal.color(QPalette::Base); // window
    case 6:
        return pal.color(QPalette::Shadow); // window frame
    case 7:
        return pal.color(QPalette::WindowText); // menu text
    case 8:
        return pal.color(QPalette::Text); // window text
    case 9:
        return pal.color(QPalette::Active, QPalette::HighlightedText); // caption text
    case 10:
        return pal.color(QPalette::Window); // active border
    case 11:
        return pal.color(QPalette::Window); // inactive border
    case 12:
        return pal.color(QPalette::Dark); // app work space
    case 13:
        return pal.color(QPalette::Highlight); // highlight
    case 14:
        return pal.color(QPalette::HighlightedText); // highlight text
    case 15:
        return pal.color(QPalette::Button); // button face
    case 16:
        return pal.color(QPalette::Dark); // button shadow
    case 17:
        return pal.color(QPalette::Disabled, QPalette::Text); // grey text
    case 18:
        return pal.color(QPalette::ButtonText); // button text
    case 19:
        return pal.color(QPalette::Inactive, QPalette::HighlightedText); // inactive caption text
    case 20:
        return pal.color(QPalette::Light); // button highlight
    case 21:
        return pal.color(QPalette::Shadow); // 3D dark shadow
    case 22:
        return pal.color(QPalette::Midlight); // 3D light
    case 23:
        return pal.color(QPalette::ToolTipText); // info text
    case 24:
        return pal.color(QPalette::ToolTipBase); // info background
    default:
        return QColor(Qt::black);
    }
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
