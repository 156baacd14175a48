#pragma once
// Colour values 0x00BBGGRR (red in the lowest byte) and their text form, as used on the wire and
// in the settings file: a colour name ("clRed", "clBtnFace", ...) when one matches, otherwise "$"
// and eight upper-case hexadecimal digits. Reading also takes decimal numbers and any letter case.

#include <QString>

#include <optional>

namespace pelvo {

// System colours are 0x80000000 plus an index into the desktop's colour table.
inline constexpr quint32 systemColourBase = 0x80000000u;

QString colourToText(quint32 colour);
// Name (any letter case), "$" with 1 to 8 hex digits, or a decimal number in int range.
// Anything else is no colour.
std::optional<quint32> textToColour(const QString& text);

} // namespace pelvo
