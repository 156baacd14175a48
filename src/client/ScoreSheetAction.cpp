#include "client/ScoreSheetAction.h"

// own
#include "client/board/Board.h"
#include "session/ClientSession.h"
#include "windows/Tscoresheet.h"

// Qt
#include <QAction>

namespace pelvo {

ScoreSheetAction::ScoreSheetAction(ClientSession& session, Board& board, QWidget* window)
    : QObject(window), session_(session), board_(board), owner_(window) {
    action_ = new QAction(QStringLiteral("Score Sheet"), this);
    action_->setObjectName(QStringLiteral("ScoreSheet1"));
    action_->setShortcut(QKeySequence(Qt::Key_S));
    action_->setShortcutContext(Qt::WindowShortcut);
    connect(action_, &QAction::triggered, this, &ScoreSheetAction::open);
    connect(&session_, &ClientSession::tableChanged, this, [this] {
        if (sheet_ && sheet_->isVisible()) sheet_->follow(session_.table());
    });
}

void ScoreSheetAction::open() {
    if (!sheet_) {
        sheet_ = new Tscoresheet(owner_);
        // As large as the table is zoomed, so its text reads alike.
        sheet_->resize(Tscoresheet::designSize * board_.scale());
    }
    sheet_->follow(session_.table());
    sheet_->show();
    sheet_->raise();
    sheet_->activateWindow();
}

} // namespace pelvo
