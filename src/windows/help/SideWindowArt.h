#pragma once
// What the help, about and download windows share: their compiled-in resources (help pages,
// the download picture) and the main window's felt behind the help and about windows.

class QPainter;
class QRect;

namespace pelvo::sidewindows {

// Registers the resources of this library; safe to call more than once.
void initResources();
// The felt of the main window's client area, filling `area`.
void paintFelt(QPainter& painter, const QRect& area);

} // namespace pelvo::sidewindows
