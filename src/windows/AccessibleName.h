#pragma once
// Naming a control for assistive technology without noise: every setAccessibleName() sends a
// name-changed event, and a screen reader may speak each one, so a name is set only when it
// differs.

#include <QString>
#include <QWidget>

namespace pelvo {

// Gives `w` the accessible name `name`; returns whether it changed (and an event went out).
inline bool renameAccessible(QWidget* w, const QString& name) {
    if (w->accessibleName() == name) return false;
    w->setAccessibleName(name);
    return true;
}

} // namespace pelvo
