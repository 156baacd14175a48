#pragma once
// The one way any window of the program talks to the player in a box: a message to confirm, a
// notice that does not wait, a yes/no question. Tests answer them through the handlers;
// PELVO_TEST_AUTO_ACCEPT=1 (whole-program tests) writes each text to stderr as
// "pelvo: message box: <text>" and takes the box as confirmed (a question as "Yes") at once.

#include <QString>

#include <functional>

class QWidget;

namespace pelvo {

using MessageBoxHandler = std::function<void(QWidget* parent, const QString& text)>;
using QuestionHandler = std::function<bool(QWidget* parent, const QString& text)>;

enum class NoticeIcon { None, Information, Warning };

// Shows `text` and returns when the player has confirmed it.
void showMessage(QWidget* parent, const QString& text);
// Shows `text` under `title` and returns at once (the box closes itself when confirmed).
void showNotice(QWidget* parent, const QString& title, const QString& text,
                NoticeIcon icon = NoticeIcon::None);
// Asks a yes/no question; "No" is the default answer.
bool askQuestion(QWidget* parent, const QString& title, const QString& text);

// Replace the handlers (empty: the real boxes again); each returns the previous one. Messages
// and notices share the message handler.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);
QuestionHandler setQuestionHandler(QuestionHandler handler);

} // namespace pelvo
