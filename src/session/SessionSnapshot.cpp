// The session's state as a value, for the replay viewer's stepping back.
#include "session/ClientSession.h"

namespace pelvo {

namespace {
bool sameChat(const std::deque<ChatLine>& a, const std::deque<ChatLine>& b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    // Lines are only ever appended: the same count and the same last line is the same chat.
    return a.back().text == b.back().text && a.back().time == b.back().time &&
           a.back().sender == b.back().sender;
}
} // namespace

ClientSession::Snapshot ClientSession::snapshot(bool withChat) const {
    return {model_, withChat ? chat_.lines() : std::deque<ChatLine>{}};
}

void ClientSession::restore(const Snapshot& snapshot) {
    model_ = snapshot.model;
    if (!sameChat(chat_.lines(), snapshot.chat)) {
        chat_.clear();
        for (const ChatLine& line : snapshot.chat) chat_.append(line);
    }
    emit tableChanged();
}

void ClientSession::showTable(const TableModel& table) {
    model_.table = table;
    emit tableChanged();
}

} // namespace pelvo
