#include "client/chat/ChatModel.h"

#include "client/chat/ColourText.h"

#include <algorithm>

namespace pelvo {

ChatModel::ChatModel(QObject* parent) : QAbstractListModel(parent) {}

int ChatModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant ChatModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return row(index.row()).plainText();
    return {};
}

void ChatModel::append(const ChatLine& line) {
    const std::size_t sender = std::size_t(std::clamp(line.sender, 0, 9));
    const bool newColour = colours_[sender] != line.colour;
    colours_[sender] = line.colour;
    const int at = rowCount();
    beginInsertRows({}, at, at);
    rows_.push_back(makeChatRow(int(sender), line.text, links_));
    endInsertRows();
    if (newColour && at > 0) emit recoloured();
}

void ChatModel::dropOldest(int count) {
    count = std::min(count, rowCount());
    if (count <= 0) return;
    beginRemoveRows({}, 0, count - 1);
    rows_.erase(rows_.begin(), rows_.begin() + count);
    endRemoveRows();
}

void ChatModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

QColor ChatModel::colourOf(int sender) const {
    return colourToQColor(colours_[std::size_t(std::clamp(sender, 0, 9))]);
}

void ChatModel::setScale(qreal scale) {
    if (qFuzzyCompare(scale, scale_)) return;
    scale_ = scale;
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

void ChatModel::setTextSize(int points) {
    if (points == textSize_) return;
    textSize_ = points;
    // Every row's height changes with it: one relayout.
    emit layoutAboutToBeChanged();
    emit layoutChanged();
}

} // namespace pelvo
