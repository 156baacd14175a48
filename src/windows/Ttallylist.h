#pragma once
// The tally window: how many games this player has played and won, and for each followed
// opponent how many games the two played together and who won them, all time and this
// session. The counts live in the hidden grid `stringgrid_scores`, which is read from the
// compressed tally file when the window is created and written back when it is destroyed.

#include "windows/StringGrid.h"

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace pelvo {

class Ttallylist : public QDialog {
    Q_OBJECT
public:
    // A tally kept in memory only.
    explicit Ttallylist(QWidget* parent = nullptr);
    // Loads the tally from `tallyFile` now (FormCreate) and saves it there when destroyed.
    explicit Ttallylist(const QString& tallyFile, QWidget* parent = nullptr);
    ~Ttallylist() override;

    // "Players In Current Game": the main window fills it (ticked = already followed).
    QListWidget* checklist() const { return checklist_; }
    // "Players Being Tallied": entry i belongs to grid row i + 1.
    QListWidget* listbox_tally() const { return tally_; }
    const StringGrid& stringgrid_scores() const { return grid_; }
    const QString& tallyFile() const { return tallyFile_; }

    // A game ended: the winner's name, or "addtomine" when this player won. The main window
    // refreshes "Players In Current Game" first.
    void addgame(const QString& winner);
    // The winners passed to addgame in this run.
    const QStringList& recordedGames() const { return recorded_; }

    // Adds 1 to row 0's `column` and shows it in "mylabel_" + column.
    void addtomineincrease(int column);
    // Adds 1 to one cell (0 when empty or not a number) and returns the new value.
    qint64 addit(int column, int row);
    // Fills the labels and "Players Being Tallied" from the grid; session columns to "0".
    void loadtally();
    // The tick box of a "Players In Current Game" entry was clicked: follow that player.
    void checklistClickCheck(QListWidgetItem* item);
    // Shows the selected followed opponent's counts.
    void listbox_tallyClick();
    // The tick box of a followed opponent was clicked: offers to delete his tally.
    void listbox_tallyClickCheck(QListWidgetItem* item);
    // Removes grid row `row` (1 and up), moving the later rows up.
    void moverow(int row);
    void button_resetClick();
    void button_doneClick();
    // Writes the tally to its file now (as at the end of the program); nothing for a tally
    // kept in memory. A failed save keeps the previous file whole.
    void savetally();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void buildControls();
    QLabel* label(const QString& name) const;
    // Position of `name` in "Players Being Tallied" (exact, case-sensitive), or -1.
    int followedIndex(const QString& name) const;
    QListWidgetItem* addFollowed(const QString& name);
    // The ticks of "Players In Current Game" show who is followed.
    void syncChecklist();
    void showMine();

    QString tallyFile_;
    StringGrid grid_;
    QListWidget* checklist_ = nullptr;
    QListWidget* tally_ = nullptr;
    QStringList recorded_;
};

} // namespace pelvo
