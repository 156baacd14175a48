#pragma once
// The chat as data: every line the chat view shows, oldest first, bounded (the oldest lines are
// dropped once the bound is passed). Views render from it and follow its signals.

// own
#include "session/ChatLine.h"

// Qt
#include <QObject>
#include <QString>

// std
#include <deque>

namespace pelvo {

class ChatHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultLimit = 5000;

    explicit ChatHistory(QObject* parent = nullptr);

    // Appends a line (dropping the oldest beyond the limit) and emits lineAdded, then, when
    // lines were dropped, linesDropped.
    void append(ChatLine line);
    void clear();

    const std::deque<ChatLine>& lines() const { return lines_; }
    int limit() const { return limit_; }
    void setLimit(int lines); // at least 1; drops what no longer fits

signals:
    void lineAdded(const pelvo::ChatLine& line);
    // The `count` oldest lines are gone (the view removes its first `count` paragraphs).
    void linesDropped(int count);
    void cleared();

private:
    void trim();

    std::deque<ChatLine> lines_;
    int limit_ = DefaultLimit;
};

} // namespace pelvo
