#pragma once
// The eighteen smiley pictures shown for the codes ":)#10" to ":)#27" (picture = code - 10).
// They are painted by code so they stay sharp at any device pixel ratio.

#include <QPixmap>
#include <QString>

namespace pelvo::smilies {

inline constexpr int count = 18;
inline constexpr int width = 17; // logical pixels
inline constexpr int height = 16;

// Picture `index` (0 to 17) painted at the given device pixel ratio; cached per ratio.
// An index out of range gives picture 0.
QPixmap pixmap(int index, qreal devicePixelRatio = 1.0);
// What the picture shows, e.g. "grin"; used as a tool tip.
QString description(int index);

} // namespace pelvo::smilies
