#include "client/HintAction.h"

// own
#include "bot/Hint.h"
#include "client/board/Board.h"
#include "client/board/BoardWidgets.h"
#include "client/board/HintMarks.h"
#include "session/ClientSession.h"

// Qt
#include <QAction>

// std
#include <utility>

namespace pelvo {

HintAction::HintAction(ClientSession& session, Board& board, QObject* parent)
    : QObject(parent), session_(session), board_(board) {
    action_ = new QAction(QStringLiteral("Hint"), this);
    action_->setObjectName(QStringLiteral("Hint1"));
    action_->setShortcut(QKeySequence(Qt::Key_H));
    // Typing in the chat entry keeps its letters: a line edit takes H before a window shortcut.
    action_->setShortcutContext(Qt::WindowShortcut);
    action_->setEnabled(false);
    connect(action_, &QAction::triggered, this, &HintAction::showHint);
    connect(&session, &ClientSession::tableChanged, this, &HintAction::follow);
    // A hint answers one moment of the game: once the table moves on it is gone.
    connect(&session, &ClientSession::moveMade, this, &HintAction::takeDown);
    connect(&session, &ClientSession::turnChanged, this, &HintAction::takeDown);
    connect(&session, &ClientSession::cardsChanged, this, &HintAction::takeDown);
    connect(&session, &ClientSession::roundStarted, this, &HintAction::takeDown);
    connect(&session, &ClientSession::gameOver, this, &HintAction::takeDown);
}

void HintAction::follow() {
    const ClientState& st = session_.state();
    action_->setEnabled(st.connected && st.myseat >= 1 && st.myseat <= TableSeats);
    if (!action_->isEnabled()) takeDown();
}

void HintAction::takeDown() {
    if (!std::exchange(shown_, false)) return;
    board_.hintMarks()->clear();
}

void HintAction::showHint() {
    if (!action_->isEnabled()) return;
    const int me = session_.state().myseat;
    const Hint hint = expertHint(session_.table(), me);
    QWidget* discard = board_.focusTargets().at(0);
    QWidget* draw = board_.focusTargets().at(1);
    QWidget* cell = hint.position != 0 ? board_.card(me, hint.position) : nullptr;
    QList<QWidget*> places;
    switch (hint.kind) {
    case Hint::Kind::Unavailable:
        break;
    case Hint::Kind::Flip:
    case Hint::Kind::PlaceDrawn:
        places = {cell};
        break;
    case Hint::Kind::TakeDiscard:
        places = {discard, cell};
        break;
    case Hint::Kind::Draw:
        places = {draw};
        break;
    case Hint::Kind::ThrowDrawn:
        places = {discard};
        break;
    }
    board_.hintMarks()->showHint(places, hint.text);
    shown_ = true;
    // A keyboard player finds the focus where the hint begins: Enter then follows it.
    if (!places.isEmpty() && board_.focusTargets().contains(board_.window()->focusWidget()))
        places.front()->setFocus(Qt::OtherFocusReason);
    if (auto* news = qobject_cast<board::AnnouncementLine*>(board_.announcement()))
        news->announce(QStringLiteral("Hint: ") + hint.text);
}

} // namespace pelvo
