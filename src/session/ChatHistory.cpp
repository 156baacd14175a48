#include "session/ChatHistory.h"

#include <algorithm>
#include <utility>

namespace pelvo {

ChatHistory::ChatHistory(QObject* parent) : QObject(parent) {}

void ChatHistory::append(ChatLine line) {
    lines_.push_back(std::move(line));
    const std::size_t before = lines_.size();
    trim();
    const int dropped = int(before - lines_.size());
    // A copy: a receiver may append again, and with a limit of one that drops this very line.
    const ChatLine added = lines_.back();
    emit lineAdded(added);
    if (dropped > 0) emit linesDropped(dropped);
}

void ChatHistory::clear() {
    lines_.clear();
    emit cleared();
}

void ChatHistory::setLimit(int lines) {
    limit_ = std::max(1, lines);
    const std::size_t before = lines_.size();
    trim();
    if (lines_.size() < before) emit linesDropped(int(before - lines_.size()));
}

void ChatHistory::trim() {
    while (lines_.size() > std::size_t(limit_)) lines_.pop_front();
}

} // namespace pelvo
