#pragma once
// The chat as data: every line the chat view shows, oldest first, bounded (the oldest lines are
// dropped once the bound is passed). Views render from it and follow its signals.

// Qt
#include <QDateTime>
#include <QObject>
#include <QString>

// std
#include <deque>

namespace pelvo {

struct ChatLine {
    enum class Kind { System, Chat, Action, Phrase };
    int sender = 0; // 0 this client's own notes, 1..9 the host's connections
    Kind kind = Kind::System;
    QString text;       // what follows the sender: "Bo chats: hi", "You are Connected." ...
    quint32 colour = 0; // 0x00BBGGRR
    QDateTime time;
};

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
