// Game records end to end: a hosted game with computer players recorded by both the window and
// its table host, replayed in the viewer to the very same board; the viewer's controls through
// a whole game both ways; damaged files; and a rematch from the same deal number.
#include "client/mainwindow/Support.h"

#include "client/board/Board.h"
#include "client/chat/ChatPanel.h"
#include "client/replay/RecordDialog.h"
#include "client/replay/ReplayBar.h"
#include "host/HostRecord.h"
#include "host/TServer.h"
#include "session/PlayerRecord.h"
#include "session/Replay.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QTreeView>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QToolButton>

// Readable failures: gtest prints QString through this.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

using namespace pelvo;
using namespace pelvo::test;

namespace {

// What the board shows, as text: two states that read the same paint the same.
QString dump(const ClientSession& s, bool withChat = true) {
    const TableModel& t = s.table();
    QString out;
    for (int seat = 1; seat <= 4; ++seat) {
        const SeatModel& m = t.seats[std::size_t(seat)];
        out += QStringLiteral("%1:%2/%3/%4/%5:")
                   .arg(m.caption())
                   .arg(m.score)
                   .arg(m.bonus)
                   .arg(m.penalty)
                   .arg(m.watching);
        for (int p = 1; p <= 9; ++p) out += QString::number(m.cards[std::size_t(p)].picture) + ',';
    }
    out += QStringLiteral("|%1|%2|%3|%4|%5|%6|")
               .arg(t.discardPicture)
               .arg(t.drawPicture)
               .arg(t.turnMarkerSeat)
               .arg(t.roundText(), t.status, t.winnerText);
    if (withChat) out += QString::number(const_cast<ClientSession&>(s).chat().lines().size());
    return out;
}

class Records : public TchatTest {
protected:
    QString games() const { return QDir(home.path()).filePath("games"); }

    // Hosts a solo game in `w` whose own seat is handed to the computer; returns when the
    // window shows the game over.
    void playHostedGame(Tchat& w, const QString& rounds, bool startFromMenu = false) {
        if (startFromMenu) {
            ASSERT_TRUE(w.rematchAction()->isEnabled());
            w.rematchAction()->trigger();
        } else {
            w.session().startGame("You", rounds, 1, 1);
        }
        ASSERT_TRUE(waitFor([&] { return w.server()->table().gameRunning; }));
        ASSERT_TRUE(waitFor([&] {
            return w.session().table().roundShown && w.session().table().winnerText.isEmpty();
        }));
        EXPECT_FALSE(w.rematchAction()->isEnabled()); // not while a game runs
        w.session().justWatch();
        ASSERT_TRUE(waitFor([&] { return w.session().table().status == "Game Over!"; }, 120000));
        drain(w);
    }
    void startHost(Tchat& w) {
        w.server()->botSpeed = [] { return 2; };
        w.server()->seed(2026);
        w.show();
        ASSERT_TRUE(waitFor([&] { return w.state().connected && w.state().myseat == 1; }));
    }
    void shot(QWidget* widget, const QString& name) {
        const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
        if (!dir.isEmpty()) widget->grab().save(QDir(dir).filePath(name));
    }
};

} // namespace

TEST_F(Records, AHostedGameIsRecordedOnBothSidesAndReplaysToTheSameBoard) {
    Tchat live({});
    ASSERT_NO_FATAL_FAILURE(startHost(live));
    ASSERT_NO_FATAL_FAILURE(playHostedGame(live, "2"));
    ASSERT_TRUE(waitFor([&] { return !live.recorder()->lastRecord().isEmpty(); }));
    ASSERT_TRUE(waitFor([&] { return !live.server()->lastRecord().isEmpty(); }));
    const QString mine = live.recorder()->lastRecord();
    const QString hosts = live.server()->lastRecord();
    EXPECT_TRUE(
        QRegularExpression(R"(/games/\d{4}-\d\d-\d\d_\d{4}_You-Klot-Klick-Kling\.pelvo-game$)")
            .match(mine)
            .hasMatch())
        << mine.toStdString();
    EXPECT_TRUE(hosts.endsWith("_You-Klot-Klick-Kling_host.pelvo-game")) << hosts.toStdString();

    // The host's record re-runs to the same notices; both name the deal the players were told.
    const GameRecord host = readRecordFile(hosts);
    ASSERT_TRUE(host.ok()) << host.error.toStdString();
    const VerifyResult v = verifyHostRecord(host);
    EXPECT_TRUE(v.ok) << v.message.toStdString();
    const QString deal = QStringLiteral("Deal %1.").arg(*recordDeal(host));
    EXPECT_TRUE(chatText(live).contains(deal));

    // The player's record holds only what this player saw: no one else's dealt cards.
    const GameRecord player = readRecordFile(mine);
    ASSERT_TRUE(player.ok()) << player.error.toStdString();
    EXPECT_EQ(player.kind, GameRecord::Kind::Player);
    int mycards = 0, sent = 0;
    for (const RecordEvent& e : player.events) {
        if (e.text.startsWith("CMD_mycards+")) {
            ++mycards;
            EXPECT_TRUE(e.text.startsWith("CMD_mycards+1+")) << e.text.toStdString();
        }
        sent += e.who == "me";
        EXPECT_FALSE(e.who.startsWith("to") || e.who == "table");
    }
    EXPECT_GE(mycards, 2);
    EXPECT_GE(sent, 3); // the login, the start, "Just Watch"
    EXPECT_TRUE(player.events.back().text == "game-over");

    // Replayed in the viewer, the last board is the live one, pixel for pixel, both at the
    // table's design size. The maker's logo is left out: it is no game state, and its heart is a
    // font glyph whose anti-aliasing depends on the process's glyph cache. So is the place of
    // the Start button, which the host's window shows and a viewer never offers.
    const auto boardImage = [](Tchat& w) {
        w.zoomTo(1.0);
        QCoreApplication::processEvents();
        QImage image = w.board()->grab().toImage();
        for (const char* name : {"image_logo", "button_start"})
            if (const QWidget* part = w.board()->findChild<QWidget*>(name))
                QPainter(&image).fillRect(part->geometry(), Qt::black);
        return image;
    };
    const QImage liveBoard = boardImage(live);
    Tchat viewer({"--replay", mine});
    viewer.show();
    ASSERT_TRUE(waitFor([&] { return viewer.replay() && viewer.replay()->count() > 0; }));
    EXPECT_TRUE(viewer.windowTitle().endsWith(QFileInfo(mine).fileName()));
    viewer.replay()->seek(viewer.replay()->count());
    // The live window's own notes ("Loading Solo Game") are no part of the record.
    EXPECT_EQ(dump(viewer.session(), false).toStdString(),
              dump(live.session(), false).toStdString());
    // The host's record starts no game in the viewer: no Start button, at any step.
    EXPECT_TRUE(live.board()->button_start()->isVisible());
    EXPECT_FALSE(viewer.board()->button_start()->isVisible());
    for (int p = 0; p <= viewer.replay()->count(); p += 7) {
        viewer.replay()->seek(p);
        ASSERT_FALSE(viewer.session().table().startShown) << "at step " << p;
    }
    viewer.replay()->seek(viewer.replay()->count());
    const QImage replayBoard = boardImage(viewer);
    shot(live.board(), "live-final-board.png");
    shot(viewer.board(), "replay-final-board.png");
    EXPECT_EQ(replayBoard, liveBoard);
    EXPECT_TRUE(chatText(viewer).contains(deal));
    // Nothing of the replay reached the player's tally, settings or message boxes.
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" / ").toStdString();
}

TEST_F(Records, TheViewerStepsThroughAWholeGameBothWaysAndShowsAllCardsOnlyForAHost) {
    QString hostFile, playerFile;
    {
        Tchat live({});
        ASSERT_NO_FATAL_FAILURE(startHost(live));
        ASSERT_NO_FATAL_FAILURE(playHostedGame(live, "3"));
        ASSERT_TRUE(waitFor([&] { return !live.server()->lastRecord().isEmpty(); }));
        ASSERT_TRUE(waitFor([&] { return !live.recorder()->lastRecord().isEmpty(); }));
        hostFile = live.server()->lastRecord();
        playerFile = live.recorder()->lastRecord();
    }
    Tchat viewer({"--replay", hostFile});
    viewer.show();
    ASSERT_TRUE(waitFor([&] { return viewer.replay()->count() > 0; }));
    Replay& replay = *viewer.replay();
    ReplayBar& bar = *viewer.replayBar();
    const int count = replay.count();
    EXPECT_EQ(replay.position(), 0);
    EXPECT_GE(bar.slider()->marks().size(), 3); // one mark per round
    EXPECT_EQ(bar.slider()->maximum(), count);

    // Forward by the step button, then back by the back button: each position reads the same.
    QStringList forward{dump(viewer.session())};
    while (bar.stepButton()->isEnabled()) {
        bar.stepButton()->click();
        forward << dump(viewer.session());
    }
    ASSERT_EQ(forward.size(), count + 1);
    EXPECT_EQ(bar.slider()->value(), count);
    EXPECT_EQ(viewer.session().table().status, "Game Over!");
    for (int p = count - 1; p >= 0; --p) {
        bar.backButton()->click();
        ASSERT_EQ(replay.position(), p);
        ASSERT_EQ(dump(viewer.session()), forward[p]) << "after stepping back to " << p;
    }
    EXPECT_FALSE(bar.backButton()->isEnabled());

    // The slider jumps both ways; the start button goes back to the beginning.
    for (int target : {count / 2, count - 3, 7, count, count / 3}) {
        bar.slider()->setValue(target);
        ASSERT_EQ(replay.position(), target);
        EXPECT_EQ(dump(viewer.session()), forward[target]) << target;
        EXPECT_EQ(bar.positionLabel()->text(), QStringLiteral("%1 / %2").arg(target).arg(count));
    }

    // Mid-round, a host's record turns every hand face up on request, and back.
    int mid = replay.roundMarks().at(1) + 30;
    bar.slider()->setValue(mid);
    auto faceDown = [&] {
        int n = 0;
        for (int s = 1; s <= 4; ++s)
            for (int p = 1; p <= 9; ++p)
                n += viewer.session().table().seats[std::size_t(s)].cards[std::size_t(p)].picture ==
                     0;
        return n;
    };
    ASSERT_GT(faceDown(), 0);
    ASSERT_TRUE(bar.showAllBox()->isVisibleTo(&bar));
    bar.showAllBox()->setChecked(true);
    EXPECT_EQ(faceDown(), 0);
    shot(&viewer, "replay-mid-game-all-cards.png");
    bar.stepButton()->click(); // stays on while stepping
    EXPECT_EQ(faceDown(), 0);
    bar.backButton()->click();
    bar.showAllBox()->setChecked(false);
    EXPECT_EQ(dump(viewer.session()), forward[mid]);
    shot(&viewer, "replay-mid-game.png");

    // Play runs on by itself, faster at a higher speed, and pauses.
    bar.speedBox()->setCurrentIndex(bar.speedBox()->count() - 1);
    bar.slider()->setValue(count - 5);
    bar.play();
    EXPECT_TRUE(bar.playing());
    ASSERT_TRUE(waitFor([&] { return replay.atEnd(); }, 20000));
    EXPECT_FALSE(bar.playing());
    EXPECT_EQ(dump(viewer.session()), forward[count]);

    // A player's record has no hidden cards to show.
    ASSERT_TRUE(viewer.openReplay(playerFile));
    EXPECT_EQ(replay.position(), 0);
    EXPECT_FALSE(replay.canShowAllCards());
    EXPECT_FALSE(bar.showAllBox()->isVisibleTo(&bar));
    replay.seek(replay.roundMarks().at(0) + 30);
    const QString before = dump(viewer.session());
    replay.setShowAllCards(true);
    EXPECT_FALSE(replay.showingAllCards());
    EXPECT_EQ(dump(viewer.session()), before);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" / ").toStdString();
}

TEST_F(Records, ADamagedRecordSaysWhereReadingStoppedAndShowsWhatCameBefore) {
    const QDir dir(home.path());
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    // A short record as a joining player would keep it, cut inside its seventh line.
    const QByteArray whole = "pelvo-game 1 player\n"
                             "0 host CMD_sendlogininfo+2+\n"
                             "3 me CMD_logininfo+2+1.0.1+Bo\n"
                             "9 host CMD_existingplayers+1+Ann\n"
                             "9 host CMD_newplayerinfo+2+Bo\n"
                             "20 host CMD_startgame+Ann+3+t+t+\n"
                             "21 host CMD_action+0+Deal 77.|$FF0000\n"
                             "25 end game-over\n";
    const QString cut = write("cut.pelvo-game", whole.left(whole.indexOf("Deal 77") + 4));

    Tchat viewer({"--replay", cut});
    viewer.show();
    ASSERT_TRUE(waitFor([&] { return !messages.isEmpty(); }));
    EXPECT_TRUE(messages.last().startsWith("Line 7: ")) << messages.last().toStdString();
    EXPECT_TRUE(messages.last().contains("truncated"));
    // Read up to there and shown: the seats and the game's start.
    EXPECT_EQ(viewer.replay()->count(), 4);
    EXPECT_TRUE(viewer.replay()->atEnd());
    EXPECT_EQ(viewer.seatCaption(1), "Ann");
    EXPECT_EQ(viewer.seatCaption(2), "Bo");
    EXPECT_EQ(viewer.session().table().roundText(), "Round: 0");

    // Another version, or no record at all: nothing to show, a clear word, no crash.
    messages.clear();
    EXPECT_FALSE(viewer.openReplay(write("v2.pelvo-game", "pelvo-game 2 player\n0 end x\n")));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.last(), "Line 1: the record is of version 2; this program reads version 1.");
    EXPECT_EQ(viewer.replay()->count(), 0);
    EXPECT_EQ(viewer.seatCaption(1), "<Waiting>"); // the earlier record is gone
    EXPECT_FALSE(viewer.openReplay(write("photo.png", "\x89PNG\r\n\x1a\n")));
    EXPECT_EQ(messages.last(), "Line 1: this is not a Pelvo game record.");
    EXPECT_FALSE(viewer.openReplay(dir.filePath("missing.pelvo-game")));
    EXPECT_TRUE(messages.last().startsWith("Cannot open ")) << messages.last().toStdString();
    EXPECT_FALSE(viewer.replayBar()->stepButton()->isEnabled());
}

TEST_F(Records, ARematchDealsTheSameFirstRoundFromTheSameDealNumber) {
    Tchat live({});
    ASSERT_NO_FATAL_FAILURE(startHost(live));
    EXPECT_FALSE(live.rematchAction()->isEnabled()); // no game yet
    ASSERT_NO_FATAL_FAILURE(playHostedGame(live, "2"));
    ASSERT_TRUE(waitFor([&] { return !live.server()->lastRecord().isEmpty(); }));
    const QString first = live.server()->lastRecord();
    ASSERT_TRUE(waitFor([&] { return live.rematchAction()->isEnabled(); }));
    ASSERT_NO_FATAL_FAILURE(playHostedGame(live, "", true));
    ASSERT_TRUE(waitFor([&] { return live.server()->lastRecord() != first; }));
    const GameRecord a = readRecordFile(first), b = readRecordFile(live.server()->lastRecord());
    ASSERT_TRUE(a.ok() && b.ok());
    EXPECT_EQ(recordDeal(a), recordDeal(b));
    auto firstRound = [](const GameRecord& r) {
        QList<QByteArray> out;
        QByteArray rounds;
        for (const RecordEvent& e : r.events) {
            if (e.text.startsWith("dealt ")) out << e.text;
            if (e.who == "to1" && e.text.startsWith("CMD_roundstarting+1+")) out << e.text;
            if (e.who == "to1" && e.text.startsWith("CMD_startgame+")) rounds = e.text;
            if (e.text.startsWith("CMD_roundstarting+2+")) break;
        }
        return std::make_pair(out, rounds);
    };
    const auto [dealA, startA] = firstRound(a);
    const auto [dealB, startB] = firstRound(b);
    EXPECT_EQ(dealA.size(), 5); // four grids and the first discard
    EXPECT_EQ(dealA, dealB);
    EXPECT_EQ(startA, startB); // the same rounds and computer seats
    EXPECT_TRUE(verifyHostRecord(b).ok);
}

TEST_F(Records, TheViewerBarHoldsStillAndTheOpenDialogShowsWholeRecordNames) {
    // Play and Pause take the same room: nothing beside them moves.
    ClientSession session;
    Replay replay(session);
    ReplayBar bar(replay);
    bar.resize(760, bar.sizeHint().height());
    bar.show();
    const auto placeOfStep = [&] {
        bar.layout()->activate();
        return std::make_pair(bar.playButton()->width(), bar.stepButton()->x());
    };
    const auto paused = placeOfStep();
    shot(&bar, "replay-bar-play.png");
    bar.playButton()->setText("Pause");
    EXPECT_EQ(placeOfStep(), paused);
    shot(&bar, "replay-bar-pause.png");
    bar.playButton()->setText("Play");

    // Records named as the program names them, the longest a dozen characters over the rest.
    QDir().mkpath(games());
    const QStringList names{"2026-12-09_0412_You-Klot-Klick-Kling.pelvo-game",
                            "2026-12-09_0413_Bartholomew-Klot-Klick-Kling_host.pelvo-game",
                            "2026-12-10_2210_Anna-Bartholomew-Cy-Dee.pelvo-game"};
    for (const QString& name : names) {
        QFile file(QDir(games()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const std::unique_ptr<QFileDialog> dialog(newRecordDialog(nullptr, games()));
    dialog->show();
    auto* view = dialog->findChild<QTreeView*>("treeView");
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(waitFor([&] { return view->model()->rowCount(view->rootIndex()) == 3; }));
    const QFontMetrics metrics(view->font());
    for (int row = 0; row < 3; ++row) {
        const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
        const QString name = index.data().toString();
        // The cell holds the icon and the whole name.
        EXPECT_GE(view->visualRect(index).width(), metrics.horizontalAdvance(name) + 16)
            << name.toStdString();
    }
    // Wide enough for every column, as far as the screen allows.
    const int room = dialog->screen()->availableGeometry().width();
    EXPECT_TRUE(waitFor([&] {
        return view->header()->length() <= view->viewport()->width() + 2 ||
               dialog->width() >= room * 9 / 10;
    })) << view->header()->length()
        << " " << view->viewport()->width() << " " << dialog->width();
    EXPECT_LE(dialog->width(), room);
    shot(dialog.get(), "open-record-dialog.png");
}
