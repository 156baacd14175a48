#include "windows/Tdownload.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace pelvo {

Tdownload::Tdownload(QWidget* parent) : QDialog(parent) {
    setObjectName("download");
    setWindowTitle("Download The Kavrel Hub");
    setWindowFlag(Qt::Tool);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setFixedSize(724, 500);
    setModal(false);

    auto* text = new QLabel("To proceed to the game without the ability to play against others "
                            "click the button below.",
                            this);
    text->setWordWrap(true);
    text->setGeometry(470, 20, 240, 60);

    auto* solo = new QPushButton("Play Solo Game", this);
    solo->setObjectName("Button1");
    solo->setDefault(true);
    solo->setGeometry(520, 90, 140, 28);
    connect(solo, &QPushButton::clicked, this, &Tdownload::Button1Click);
}

void Tdownload::Button1Click() {
    close();
}

void Tdownload::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the desktop, not on the game's window.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect place = frameGeometry();
        place.moveCenter(screen->availableGeometry().center());
        move(place.topLeft());
    }
}

} // namespace pelvo
