#pragma once
// One line of the chat as data.

// Qt
#include <QDateTime>
#include <QString>

namespace pelvo {

struct ChatLine {
    enum class Kind { System, Chat, Action, Phrase };
    int sender = 0; // 0 this client's own notes, 1..9 the host's connections
    Kind kind = Kind::System;
    QString text;       // what follows the sender: "Bo chats: hi", "You are Connected." ...
    quint32 colour = 0; // 0x00BBGGRR
    QDateTime time;
};

} // namespace pelvo
