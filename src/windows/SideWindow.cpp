#include "windows/SideWindow.h"

// own
#include "windows/Art.h"

// Qt
#include <QPainter>

namespace pelvo {

SideWindow::SideWindow(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {}

void SideWindow::setBackground(const QPixmap& picture) {
    background_ = picture;
    update();
}

void SideWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (placed_) return;
    placed_ = true;
    // Centred on the main window the first time; after that it opens where the player left it.
    if (const QWidget* owner = parentWidget()) {
        const QPoint centre = owner->mapToGlobal(owner->rect().center());
        move(centre - QPoint(width() / 2, height() / 2));
    }
}

void SideWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!background_.isNull())
        p.drawTiledPixmap(rect(), background_);
    else
        art::paintFelt(p, rect(), QPointF(width() / 2.0, height() / 2.5), width());
}

} // namespace pelvo
