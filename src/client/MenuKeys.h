#pragma once
// Alt accelerators for a menu bar: every title and item gets an underlined letter, chosen so no
// two in one menu share it. The captions read as before; only the marks are added.

class QMenu;
class QMenuBar;

namespace pelvo {

// Marks the first free letter of every caption (a word's first letter when it can) in `menu`
// and its submenus; captions that already carry a mark keep it.
void addAccelerators(QMenu* menu);
void addAccelerators(QMenuBar* bar);

} // namespace pelvo
