#pragma once
// Colour values on screen. Their text form belongs to the wire and lives in the protocol library;
// this adds only what needs the desktop's palette.

// own
#include "protocol/ColourText.h"

// Qt
#include <QColor>

namespace pelvo {

// System colours come from the application palette; otherwise the low three bytes.
QColor colourToQColor(quint32 colour);
quint32 qColorToColour(const QColor& colour);

} // namespace pelvo
