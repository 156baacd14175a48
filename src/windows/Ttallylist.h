#pragma once
// The tally window: opponents of the current game (`checklist`) and followed opponents
// (`listbox_tally`). Counting and the tally file come later; `addgame` keeps the call.

#include <QDialog>

class QListWidget;

namespace pelvo {

class Ttallylist : public QDialog {
    Q_OBJECT
public:
    explicit Ttallylist(QWidget* parent = nullptr);

    QListWidget* checklist() const { return checklist_; }
    QListWidget* listbox_tally() const { return tally_; }

    // A game ended: the winner's name, or "addtomine" when this player won.
    void addgame(const QString& winner);
    // Games passed to addgame in this run (until the counting is built).
    const QStringList& recordedGames() const { return recorded_; }

    void button_doneClick();

private:
    QListWidget* checklist_ = nullptr;
    QListWidget* tally_ = nullptr;
    QStringList recorded_;
};

} // namespace pelvo
