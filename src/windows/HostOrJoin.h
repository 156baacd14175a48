#pragma once
// File › "Host or Join a Table…": the player's name, host or join, the address (recent ones
// offered) and the port, and the tables on this network that answered a search. Choosing a
// table from the list fills in its address and port for joining. "Host" or "Join" accepts the
// dialog; choice() then holds what to do.

// own
#include "session/TableChoice.h"
#include "session/TableFinder.h"

// Qt
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace pelvo {

class HostOrJoin : public QDialog {
    Q_OBJECT
public:
    explicit HostOrJoin(QWidget* parent = nullptr);

    // Fills the fields (the recent addresses become the address list) and searches the network.
    void present(const TableChoice& initial, const QStringList& recentAddresses);
    // The hub a hosted table may be listed on (empty: none known, the tick box is off).
    void setHub(const QString& address);
    // What the fields say now.
    TableChoice choice() const;
    void setChoice(const TableChoice& choice);

    // Asks the network again; answers arrive in the list as they come.
    void search();
    // Picks the listed table in `row`: join it at its address and port.
    void pickTable(int row);
    // The accept button: accepts when the fields make a playable choice, else says what is
    // missing.
    void chooseClicked();

    // How long a search waits for answers before it says that none came.
    static constexpr int SearchPeriodMs = 3000;

    TableFinder& finder() { return finder_; }
    QTreeWidget* tables() const { return tables_; }

private:
    void addTable(const TableFinder::Found& found);
    void updateTable(int row, const TableFinder::Found& found);
    void showTable(QTreeWidgetItem* item, const TableFinder::Found& found);
    void modeChanged();
    void searchEnded();

    TableFinder finder_;
    QLineEdit* name_ = nullptr;
    QRadioButton* host_ = nullptr;
    QRadioButton* join_ = nullptr;
    QCheckBox* listOnHub_ = nullptr;
    QString hub_;
    QComboBox* address_ = nullptr;
    QSpinBox* port_ = nullptr;
    QTreeWidget* tables_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* choose_ = nullptr;
    QTimer* searchPeriod_ = nullptr;
    int searchedPort_ = 0;
};

} // namespace pelvo
