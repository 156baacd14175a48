#pragma once
// The spectator list: a view of the session's onlookers, one entry each ("6: Bo"), and, in the
// hosting process, their removal. Shown and hidden; it never blocks the main window.

#include "session/TableModel.h"
#include "windows/SideWindow.h"

class QAction;
class QListWidget;
class QMenu;

namespace pelvo {

class Tspylist : public SideWindow {
    Q_OBJECT
public:
    explicit Tspylist(QWidget* parent = nullptr);

    // Lists the onlookers; each entry keeps its slot for the removal.
    void showSpectators(const QList<Spectator>& spectators);
    QListWidget* listbox_spys() const { return list_; }
    QAction* popup_kickhim() const { return kickhim_; }
    // Index of the entry last under the mouse pointer, or -1 (the list box's tag).
    int listTag() const { return tag_; }

    void listbox_spysMouseMove(const QPoint& pos);
    void popup_kickhimClick();
    void button_doneClick();

signals:
    // "Remove From Game" on an onlooker's entry.
    void kickRequested(int slot);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListWidget* list_ = nullptr;
    QMenu* popup_ = nullptr;
    QAction* kickhim_ = nullptr;
    int tag_ = -1;
};

} // namespace pelvo
