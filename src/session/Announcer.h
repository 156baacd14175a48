#pragma once
// What the table shows, told as sentences for a screen reader: every move, the turn, the round,
// the scores and the winner. The session says them as it handles each notice; this keeps the
// last of them for a view that asks again.

// own
#include "session/Speech.h"

// Qt
#include <QObject>
#include <QString>
#include <QStringList>

namespace pelvo {

class ClientSession;

class Announcer : public QObject {
    Q_OBJECT
public:
    explicit Announcer(ClientSession& session, QObject* parent = nullptr);

    // The last announcement, sentences joined by spaces.
    QString text() const { return text_; }

signals:
    void announced(const QString& text);

private:
    QString text_;
};

} // namespace pelvo
