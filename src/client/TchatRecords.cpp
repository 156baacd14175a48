// The main window's part in game records: the player's record of every game, the replay mode
// (`pelvo --replay FILE`, File › Open Game Record…) and File › Rematch This Deal.
#include "client/Tchat.h"
#include "client/TableLayout.h"

// own
#include "client/board/Board.h"
#include "client/chat/ChatPanel.h"
#include "client/replay/RecordDialog.h"
#include "client/replay/ReplayBar.h"
#include "client/sound/PhraseBar.h"
#include "host/TServer.h"
#include "session/PlayerRecord.h"
#include "session/Replay.h"
#include "windows/MessageBox.h"

// Qt
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>

// std
#include <memory>

namespace pelvo {

bool Tchat::isReplayParams(const QStringList& params) {
    return params.size() == 2 && params.at(0) == QLatin1String("--replay");
}

void Tchat::startRecording() {
    recorder_ = new PlayerRecorder(*session_, gamesFolder(), this);
}

void Tchat::buildReplay() {
    replay_ = new Replay(*session_, this);
    QWidget* client = centralWidget();
    replayBar_ = new ReplayBar(*replay_, client);
    // The table's layout places it under the board, at the board's width.
    replayBar_->setProperty(belowBoardProperty, true);
    const int below = belowHeight(client);
    client->setMinimumSize(clientSizeFor(1.0, below));
    resize(width(), height() + below);
    // Read-only: the board paints exactly as in a game but takes no clicks, nothing is typed.
    board()->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Nor keys: no card can take the focus, so no focus ring is drawn over the record's board.
    board()->setFocusPolicy(Qt::NoFocus);
    for (QWidget* part : board()->findChildren<QWidget*>()) part->setFocusPolicy(Qt::NoFocus);
    if (QWidget* ring = board()->focusRing()) ring->hide();
    phraseBar()->setEnabled(false);
    chat()->mychat()->setReadOnly(true);
    for (const char* name : {"StartGame1", "JustWatch1"})
        if (auto* item = menuBar()->findChild<QAction*>(name)) item->setEnabled(false);
}

bool Tchat::openReplay(const QString& path) {
    if (!replay_) return false;
    replayBar_->pause();
    replay_->open(path);
    setWindowTitle(QStringLiteral("Pelvo \u2013 %1").arg(QFileInfo(path).fileName()));
    if (!replay_->error().isEmpty()) {
        QString text = replay_->error();
        if (replay_->count() > 0) text += QStringLiteral("\nShown: what could be read before it.");
        showNotice(this, QStringLiteral("Game Record"), text, NoticeIcon::Warning);
        // What could be read is shown as far as it goes.
        replay_->seek(replay_->count());
    }
    return replay_->count() > 0;
}

void Tchat::OpenGameRecord1Click() {
    const std::unique_ptr<QFileDialog> dialog(newRecordDialog(this, gamesFolder()));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
    const QString path = dialog->selectedFiles().constFirst();
    if (replayMode_) {
        openReplay(path);
        return;
    }
    // The game in this window goes on; the record opens in a window of its own.
    auto* viewer = new Tchat({QStringLiteral("--replay"), path});
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->show();
}

void Tchat::updateRematch() {
    rematch_->setEnabled(state().ishost && server_->rematch());
}

void Tchat::RematchThisDeal1Click() {
    updateRematch();
    if (!rematch_->isEnabled()) return;
    const TServer::Rematch again = *server_->rematch();
    server_->setNextDeal(again.deal);
    session_->startGame(again.starter, again.rounds, again.seat3 ? 1 : 0, again.seat4 ? 1 : 0);
}

} // namespace pelvo
