#include "windows/HostOrJoin.h"

// own
#include "windows/MessageBox.h"

// Qt
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pelvo {

namespace {
constexpr int AddressRole = Qt::UserRole;
constexpr int PortRole = Qt::UserRole + 1;
} // namespace

HostOrJoin::HostOrJoin(QWidget* parent) : QDialog(parent), finder_(this) {
    setObjectName("hostorjoin");
    setWindowTitle("Host or Join a Table");

    name_ = new QLineEdit(this);
    name_->setObjectName("edit_name");
    name_->setMaxLength(64); // what a table keeps of a name

    host_ = new QRadioButton("Host a table on this computer", this);
    host_->setObjectName("radio_host");
    join_ = new QRadioButton("Join a table", this);
    join_->setObjectName("radio_join");
    auto* mode = new QButtonGroup(this);
    mode->addButton(host_);
    mode->addButton(join_);
    join_->setChecked(true);
    listOnHub_ = new QCheckBox("List this table on the hub", this);
    listOnHub_->setObjectName("check_listonhub");

    address_ = new QComboBox(this);
    address_->setObjectName("combo_address");
    address_->setEditable(true);
    address_->setInsertPolicy(QComboBox::NoInsert);
    address_->lineEdit()->setPlaceholderText("name or number, e.g. 192.168.1.20");

    port_ = new QSpinBox(this);
    port_->setObjectName("spin_port");
    port_->setRange(1, 65535);

    auto* form = new QFormLayout;
    form->addRow("Your &name:", name_);
    auto* modes = new QVBoxLayout;
    modes->addWidget(host_);
    auto* listing = new QHBoxLayout;
    listing->setContentsMargins(22, 0, 0, 0);
    listing->addWidget(listOnHub_);
    modes->addLayout(listing);
    modes->addWidget(join_);
    form->addRow(modes);
    form->addRow("&Address:", address_);
    form->addRow("&Port:", port_);

    tables_ = new QTreeWidget(this);
    tables_->setObjectName("list_tables");
    tables_->setHeaderLabels({"Table", "Address", "Computer", "Seats", "Game"});
    tables_->setRootIsDecorated(false);
    tables_->setUniformRowHeights(true);
    tables_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tables_->setMinimumHeight(120);

    status_ = new QLabel(this);
    status_->setObjectName("label_status");
    status_->setWordWrap(true);
    // Room for the two lines of advice after a search nobody answered.
    status_->setMinimumHeight(2 * status_->fontMetrics().lineSpacing() + 4);
    auto* again = new QPushButton("&Search Again", this);
    again->setObjectName("button_search");
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(status_, 1);
    searchRow->addWidget(again);

    auto* buttons = new QDialogButtonBox(this);
    choose_ = buttons->addButton("Join", QDialogButtonBox::AcceptRole);
    choose_->setObjectName("button_choose");
    choose_->setDefault(true);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName("button_cancel");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel("Tables on this network:", this));
    layout->addWidget(tables_, 1);
    layout->addLayout(searchRow);
    layout->addWidget(buttons);
    resize(520, 420);

    connect(host_, &QRadioButton::toggled, this, &HostOrJoin::modeChanged);
    connect(again, &QPushButton::clicked, this, &HostOrJoin::search);
    connect(choose_, &QPushButton::clicked, this, &HostOrJoin::chooseClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(tables_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { pickTable(tables_->indexOfTopLevelItem(item)); });
    connect(tables_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        pickTable(tables_->indexOfTopLevelItem(item));
        chooseClicked();
    });
    connect(&finder_, &TableFinder::tableFound, this, &HostOrJoin::addTable);
    connect(&finder_, &TableFinder::tableUpdated, this, &HostOrJoin::updateTable);
    searchPeriod_ = new QTimer(this);
    searchPeriod_->setSingleShot(true);
    connect(searchPeriod_, &QTimer::timeout, this, &HostOrJoin::searchEnded);
    modeChanged();
}

void HostOrJoin::present(const TableChoice& initial, const QStringList& recentAddresses) {
    address_->clear();
    address_->addItems(recentAddresses);
    setChoice(initial);
    search();
}

TableChoice HostOrJoin::choice() const {
    TableChoice c;
    c.name = name_->text().trimmed();
    c.host = host_->isChecked();
    c.address = address_->currentText().trimmed();
    c.port = quint16(port_->value());
    if (c.host && listOnHub_->isEnabled() && listOnHub_->isChecked()) c.listOnHub = hub_;
    return c;
}

void HostOrJoin::setChoice(const TableChoice& c) {
    name_->setText(c.name);
    (c.host ? host_ : join_)->setChecked(true);
    address_->setEditText(c.address);
    if (c.port != 0) port_->setValue(c.port);
    listOnHub_->setChecked(!c.listOnHub.isEmpty());
}

void HostOrJoin::setHub(const QString& address) {
    hub_ = address.trimmed();
    listOnHub_->setText(hub_.isEmpty()
                            ? QStringLiteral("List this table on the hub")
                            : QStringLiteral("List this table on the hub (%1)").arg(hub_));
    listOnHub_->setToolTip(hub_.isEmpty() ? QStringLiteral("Choose a hub in File › Find a Table "
                                                           "Online… first.")
                                          : QString());
    modeChanged();
}

void HostOrJoin::search() {
    tables_->clear();
    searchedPort_ = port_->value();
    const bool asked = finder_.search(quint16(searchedPort_));
    status_->setText(asked ? QStringLiteral("Looking for tables on port %1…").arg(searchedPort_)
                           : QStringLiteral("This computer cannot search the network."));
    if (asked)
        searchPeriod_->start(SearchPeriodMs);
    else
        searchPeriod_->stop();
}

void HostOrJoin::searchEnded() {
    // Tables on this network answer within moments; silence by now means none will.
    if (tables_->topLevelItemCount() > 0) return;
    status_->setText(QStringLiteral("No table answered on port %1. Try another port and Search "
                                    "Again, or type the table's address.")
                         .arg(searchedPort_));
}

void HostOrJoin::addTable(const TableFinder::Found& found) {
    showTable(new QTreeWidgetItem(tables_), found);
    const int n = tables_->topLevelItemCount();
    status_->setText(n == 1 ? QStringLiteral("1 table found.")
                            : QStringLiteral("%1 tables found.").arg(n));
}

void HostOrJoin::updateTable(int row, const TableFinder::Found& found) {
    if (QTreeWidgetItem* item = tables_->topLevelItem(row)) showTable(item, found);
}

void HostOrJoin::showTable(QTreeWidgetItem* item, const TableFinder::Found& found) {
    const discovery::TableInfo& t = found.table;
    const QStringList texts{t.tableName, QStringLiteral("%1:%2").arg(found.address).arg(t.port),
                            t.hostName, QStringLiteral("%1 of %2").arg(t.seatsTaken).arg(t.seats),
                            t.gameRunning ? QStringLiteral("playing") : QStringLiteral("waiting")};
    for (int column = 0; column < texts.size(); ++column) item->setText(column, texts[column]);
    item->setData(0, AddressRole, found.address);
    item->setData(0, PortRole, t.port);
}

void HostOrJoin::pickTable(int row) {
    QTreeWidgetItem* item = tables_->topLevelItem(row);
    if (!item) return;
    tables_->setCurrentItem(item);
    join_->setChecked(true);
    address_->setEditText(item->data(0, AddressRole).toString());
    port_->setValue(item->data(0, PortRole).toInt());
}

void HostOrJoin::chooseClicked() {
    const QString problem = checkTableChoice(choice());
    if (!problem.isEmpty()) {
        showMessage(this, problem);
        return;
    }
    accept();
}

void HostOrJoin::modeChanged() {
    const bool hosting = host_->isChecked();
    address_->setEnabled(!hosting);
    listOnHub_->setEnabled(hosting && !hub_.isEmpty());
    choose_->setText(hosting ? QStringLiteral("Host") : QStringLiteral("Join"));
}

} // namespace pelvo
