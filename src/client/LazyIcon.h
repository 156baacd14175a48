#pragma once
// An icon whose pictures are made when it is first painted or measured, not when it is handed
// to a button or menu item: for icons that are set up on the way to the first frame but seldom
// or never shown then.

#include <QIcon>

#include <functional>

namespace pelvo {

// Calls `make` once, on the icon's first use, and behaves as its result from then on.
QIcon lazyIcon(std::function<QIcon()> make);

} // namespace pelvo
