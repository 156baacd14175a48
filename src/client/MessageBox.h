#pragma once
// Every message box of the main window goes through showMessage, so tests can answer it.
// PELVO_TEST_AUTO_ACCEPT=1 (whole-program tests): the text goes to stderr as
// "pelvo: message box: <text>" and the box counts as confirmed at once.

#include <QString>

#include <functional>

class QWidget;

namespace pelvo {

using MessageBoxHandler = std::function<void(QWidget* parent, const QString& text)>;

// Shows `text` and returns when the player has confirmed it.
void showMessage(QWidget* parent, const QString& text);
// Replaces the handler (empty: the default); returns the previous one.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

} // namespace pelvo
