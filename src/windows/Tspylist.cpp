#include "windows/Tspylist.h"

#include "windows/Art.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

namespace pelvo {

Tspylist::Tspylist(QWidget* parent)
    : SideWindow(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                             Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint |
                             Qt::WindowStaysOnTopHint) {
    setObjectName("spylist");
    setWindowTitle("Pelvo - Spys");
    setFixedSize(200, 230);
    setModal(false);

    auto* caption = new QLabel("Spy List", this);
    caption->setObjectName("Label1");
    caption->setGeometry(10, 6, 180, 18);
    caption->setFont(art::pixelFont(13, true));
    QPalette pal = caption->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    caption->setPalette(pal);

    list_ = new QListWidget(this);
    list_->setObjectName("listbox_spys");
    list_->setGeometry(10, 26, 180, 160);
    list_->setMouseTracking(true);
    list_->viewport()->setMouseTracking(true);
    list_->viewport()->installEventFilter(this);

    popup_ = new QMenu(this);
    popup_->setObjectName("popup_kick");
    kickhim_ = popup_->addAction("Remove From Game");
    kickhim_->setObjectName("popup_kickhim");
    kickhim_->setEnabled(false); // the hosting process enables it
    connect(kickhim_, &QAction::triggered, this, &Tspylist::popup_kickhimClick);

    auto* done = new QPushButton("Done", this);
    done->setObjectName("button_done");
    done->setGeometry(60, 198, 80, 20);
    // The flat button of the other side windows, so the felt shows through.
    done->setFlat(true);
    done->setCursor(Qt::PointingHandCursor);
    done->setStyleSheet("QPushButton { border: 1px solid rgba(0, 0, 0, 90); border-radius: 3px;"
                        " background: rgba(255, 255, 255, 90); color: black; }"
                        "QPushButton:hover { background: rgba(255, 255, 255, 160); }");
    connect(done, &QPushButton::clicked, this, &Tspylist::button_doneClick);
}

void Tspylist::showSpectators(const QList<Spectator>& spectators) {
    const auto entry = [](const Spectator& spy) {
        return QString::number(spy.slot) + ": " + spy.name;
    };
    bool same = list_->count() == spectators.size();
    for (int i = 0; same && i < list_->count(); ++i)
        same = list_->item(i)->text() == entry(spectators[i]) &&
               list_->item(i)->data(Qt::UserRole).toInt() == spectators[i].slot;
    if (same) return; // the pointer's place stays valid
    list_->clear();
    for (const Spectator& spy : spectators) {
        auto* item = new QListWidgetItem(entry(spy), list_);
        item->setData(Qt::UserRole, spy.slot);
    }
}

void Tspylist::listbox_spysMouseMove(const QPoint& pos) {
    QListWidgetItem* item = list_->itemAt(pos);
    tag_ = item ? list_->row(item) : -1;
}

void Tspylist::popup_kickhimClick() {
    // The entry acted on is the one last under the pointer, not the selected one.
    if (tag_ < 0 || tag_ >= list_->count()) return;
    const QVariant slot = list_->item(tag_)->data(Qt::UserRole);
    if (slot.isValid()) emit kickRequested(slot.toInt());
}

void Tspylist::button_doneClick() {
    close();
}

bool Tspylist::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport()) {
        if (event->type() == QEvent::MouseMove) {
            listbox_spysMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
        } else if (event->type() == QEvent::Leave) {
            tag_ = -1;
        } else if (event->type() == QEvent::ContextMenu) {
            auto* menuEvent = static_cast<QContextMenuEvent*>(event);
            listbox_spysMouseMove(menuEvent->pos());
            popup_->popup(menuEvent->globalPos());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace pelvo
