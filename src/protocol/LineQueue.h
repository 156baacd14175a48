#pragma once
// `receivedlist`: the queue of received lines, oldest first. Taking from an empty queue yields
// an empty line, which every dispatcher ignores.

#include <QString>

#include <deque>

namespace pelvo {

class LineQueue {
public:
    void append(const QString& line) { lines_.push_back(line); }
    QString takeFirst() {
        if (lines_.empty()) return {};
        QString line = std::move(lines_.front());
        lines_.pop_front();
        return line;
    }
    bool isEmpty() const { return lines_.empty(); }
    qsizetype size() const { return qsizetype(lines_.size()); }
    void clear() { lines_.clear(); }

private:
    std::deque<QString> lines_;
};

} // namespace pelvo
