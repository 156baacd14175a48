#include "windows/Thelp.h"

#include <QLabel>
#include <QPushButton>

namespace pelvo {

Thelp::Thelp(QWidget* parent) : QDialog(parent) {
    setObjectName("help");
    setWindowTitle("Pelvo - Help File");
    setFixedSize(567, 422);
    setModal(false);

    auto* caption = new QLabel("Overview", this);
    caption->setObjectName("label_caption");
    caption->setGeometry(147, 8, 400, 20);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);

    auto* done = new QPushButton("Done", this);
    done->setObjectName("button_done");
    done->setFlat(true);
    done->setGeometry(10, 392, 117, 20);
    connect(done, &QPushButton::clicked, this, &Thelp::button_doneClick);
}

void Thelp::button_doneClick() {
    hide();
}

} // namespace pelvo
