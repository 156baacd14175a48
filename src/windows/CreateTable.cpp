#include "windows/CreateTable.h"

// Qt
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pelvo {

CreateTable::CreateTable(QWidget* parent) : QDialog(parent) {
    setObjectName("createtable");
    setWindowTitle("Create a Table");

    name_ = new QLineEdit(this);
    name_->setObjectName("edit_tablename");
    name_->setMaxLength(64);
    public_ = new QRadioButton("&Public: listed for everyone in the lobby", this);
    public_->setObjectName("radio_public");
    private_ = new QRadioButton("P&rivate: not listed; friends join with a code", this);
    private_->setObjectName("radio_private");
    public_->setChecked(true);
    level_ = new QComboBox(this);
    level_->setObjectName("combo_level");
    level_->addItem("Classic", "classic");
    level_->addItem("Expert", "expert");

    auto* form = new QFormLayout;
    form->addRow("Table &name:", name_);
    auto* kinds = new QVBoxLayout;
    kinds->addWidget(public_);
    kinds->addWidget(private_);
    form->addRow(kinds);
    form->addRow("&Computer players:", level_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* create = buttons->addButton("Create", QDialogButtonBox::AcceptRole);
    create->setObjectName("button_create");
    create->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName("button_cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!tableName().isEmpty()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CreateTable::present(const QString& tableName) {
    setChoice(tableName, false, "classic");
    name_->setFocus();
    name_->selectAll();
    show();
    raise();
}

QString CreateTable::tableName() const {
    return name_->text().trimmed();
}

bool CreateTable::isPrivate() const {
    return private_->isChecked();
}

QString CreateTable::level() const {
    return level_->currentData().toString();
}

void CreateTable::setChoice(const QString& tableName, bool isPrivate, const QString& level) {
    name_->setText(tableName);
    (isPrivate ? private_ : public_)->setChecked(true);
    level_->setCurrentIndex(std::max(0, level_->findData(level)));
}

} // namespace pelvo
