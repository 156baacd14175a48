#include "windows/Ttallylist.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace pelvo {

Ttallylist::Ttallylist(QWidget* parent) : QDialog(parent) {
    setObjectName("tallylist");
    setWindowTitle("Pelvo - Tally List");
    setFixedSize(475, 347);
    setModal(false);

    auto* current = new QLabel("Players In Current Game", this);
    current->setGeometry(10, 190, 220, 18);
    checklist_ = new QListWidget(this);
    checklist_->setObjectName("checklist");
    checklist_->setGeometry(10, 210, 220, 100);

    auto* followed = new QLabel("Players Being Tallied", this);
    followed->setGeometry(245, 190, 220, 18);
    tally_ = new QListWidget(this);
    tally_->setObjectName("listbox_tally");
    tally_->setGeometry(245, 210, 220, 100);

    auto* done = new QPushButton("Done", this);
    done->setObjectName("button_done");
    done->setGeometry(385, 316, 80, 24);
    connect(done, &QPushButton::clicked, this, &Ttallylist::button_doneClick);
}

void Ttallylist::addgame(const QString& winner) {
    recorded_.append(winner);
}
void Ttallylist::button_doneClick() {
    close();
}

} // namespace pelvo
