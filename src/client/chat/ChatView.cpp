#include "client/chat/ChatView.h"

#include "client/chat/ChatDelegate.h"
#include "client/chat/ChatModel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextFormat>

#include <algorithm>

namespace pelvo {

ChatView::ChatView(ChatModel& model, QWidget* parent)
    : QListView(parent), model_(model), delegate_(new ChatDelegate(model, *this)) {
    setModel(&model);
    setItemDelegate(delegate_);
    setUniformItemSizes(false); // lines wrap
    setResizeMode(QListView::Adjust);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSpacing(0);
    setMouseTracking(true);
    connect(&model, &ChatModel::recoloured, viewport(), [this] { viewport()->update(); });
}

QString ChatView::selectedPlainText() const {
    QModelIndexList rows = selectionModel()->selectedIndexes();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList lines;
    for (const QModelIndex& i : rows) lines << model_.row(i.row()).plainText();
    return lines.join(u'\n');
}

void ChatView::catchUp() {
    executeDelayedItemsLayout();
}

void ChatView::rowsInserted(const QModelIndex& parent, int start, int end) {
    QListView::rowsInserted(parent, start, end);
    if (following_) scrollPending_ = true; // once laid out
}

void ChatView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    if (!following_ && start == 0) {
        if (anchorRow_ < 0) {
            const QModelIndex top = indexAt(QPoint(1, 1));
            if (top.isValid()) {
                anchorRow_ = top.row();
                anchorTop_ = visualRect(top).top();
                anchorRemoved_ = 0;
            }
        }
        anchorRemoved_ += end - start + 1;
    }
    QListView::rowsAboutToBeRemoved(parent, start, end);
}

void ChatView::updateGeometries() {
    QListView::updateGeometries();
    QScrollBar* bar = verticalScrollBar();
    if (anchorRow_ >= 0) {
        const int row = anchorRow_ - anchorRemoved_;
        anchorRow_ = -1;
        if (row >= 0 && row < model_.rowCount())
            bar->setValue(bar->value() + visualRect(model_.index(row)).top() - anchorTop_);
    }
    if (scrollPending_) {
        scrollPending_ = false;
        bar->setValue(bar->maximum());
    }
}

void ChatView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        const QString text = selectedPlainText();
        if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

int ChatView::linkAt(QPoint pos) const {
    const QModelIndex index = indexAt(pos);
    const QTextFormat format = delegate_->formatAt(index, visualRect(index), pos);
    if (!format.isCharFormat() || !format.toCharFormat().isAnchor()) return -1;
    return ChatDocument::linkSlot(format.toCharFormat().anchorHref());
}

void ChatView::mousePressEvent(QMouseEvent* event) {
    pressedLink_ = event->button() == Qt::LeftButton ? linkAt(event->position().toPoint()) : -1;
    QListView::mousePressEvent(event);
}

void ChatView::mouseMoveEvent(QMouseEvent* event) {
    if (linkAt(event->position().toPoint()) >= 0)
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->unsetCursor();
    QListView::mouseMoveEvent(event);
}

void ChatView::mouseReleaseEvent(QMouseEvent* event) {
    QListView::mouseReleaseEvent(event);
    const int link = pressedLink_;
    pressedLink_ = -1;
    if (event->button() == Qt::LeftButton && link >= 0 &&
        linkAt(event->position().toPoint()) == link)
        emit linkActivated(link);
}

} // namespace pelvo
