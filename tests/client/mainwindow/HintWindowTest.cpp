// Help › Hint in the window: H shows the Expert's move on the board (rings round the places and a
// note) and says it to a screen reader; the hint goes when the table moves on; an onlooker is
// offered none; H typed into the chat stays a letter. PELVO_SHOT_DIR=<folder> also writes
// pictures of the hint at 1:1 and twice the size.
#include "client/mainwindow/Support.h"

#include "bot/Hint.h"
#include "client/board/Board.h"
#include "client/board/BoardWidgets.h"
#include "client/board/HintMarks.h"
#include "client/chat/ChatPanel.h"
#include "protocol/Messages.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QTest>

using namespace pelvo;
using namespace pelvo::test;

namespace {

class HintWindow : public TchatTest {
protected:
    void feed(Tchat& w, QByteArray frame) {
        if (frame.endsWith('\xff')) frame.chop(1);
        ASSERT_EQ(w.session().handleLine(QString::fromUtf8(frame)), CommandTable::Outcome::Handled);
    }
    // Seat 1's turn in round 2: a pair of 7s waits for the 7 on the discard pile.
    void myTurn(Tchat& w, int slot = 1) {
        w.session().setTransport([this](const QByteArray& frame) {
            sent << frame;
            return true;
        });
        feed(w, msg::sendlogininfo(slot));
        feed(w, msg::newplayerinfo(1, "Anna"));
        feed(w, msg::startgameNotice("Anna", 5, true, true));
        feed(w, msg::roundstarting(2, 33));
        if (slot == 1) {
            feed(w, msg::mycards(1, {7, 20, 30, 2, 18, 44, 5, 29, 53}));
            w.session().chooseCell(1);
            w.session().chooseCell(2);
        }
        for (auto [seat, pos, code] : {std::array{1, 1, 7},
                                       {1, 2, 20},
                                       {2, 1, 13},
                                       {2, 6, 22},
                                       {3, 4, 40},
                                       {3, 5, 11},
                                       {4, 2, 26},
                                       {4, 9, 1}})
            feed(w, msg::heflipped(seat, pos, code));
        feed(w, msg::nextplayer(1, 0));
        sent.clear();
    }
    void shot(Tchat& w, const QString& name) {
        const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
        if (dir.isEmpty()) return;
        QDir().mkpath(dir);
        EXPECT_TRUE(w.grab().save(dir + "/" + name + ".png"));
    }
    // The note covers nothing the board shows.
    void expectClear(Tchat& w) {
        const QRect note = w.board()->hintMarks()->noteRect();
        EXPECT_TRUE(w.board()->rect().contains(note));
        for (QWidget* part : w.board()->findChildren<QWidget*>()) {
            if (part == w.board()->hintMarks() || part->isHidden() || part->parent() != w.board())
                continue;
            if (part->objectName() == "focus_ring" || part->objectName() == "announcement")
                continue;
            EXPECT_FALSE(part->geometry().intersects(note))
                << part->objectName().toStdString() << " at " << w.board()->scale();
        }
    }
    QList<QByteArray> sent;
};

TEST_F(HintWindow, HShowsAndSaysTheExpertsMoveUntilTheTableMovesOn) {
    Tchat w({});
    myTurn(w);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QAction* item = w.findChild<QAction*>("Hint1");
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->isEnabled());
    board::HintMarks* marks = w.board()->hintMarks();
    EXPECT_TRUE(marks->isHidden()) << "nothing shows before it is asked for";

    w.board()->focusTargets().at(1)->setFocus();
    QTest::keyClick(&w, Qt::Key_H);
    const Hint expected = expertHint(w.session().table(), 1);
    ASSERT_EQ(expected.kind, Hint::Kind::TakeDiscard);
    EXPECT_EQ(expected.position, 3);
    ASSERT_TRUE(marks->isVisible());
    EXPECT_EQ(marks->text(), expected.text);
    // The keyboard starts where the hint begins: the discard pile.
    EXPECT_EQ(w.focusWidget(), w.board()->focusTargets().at(0));
    auto* news = qobject_cast<board::AnnouncementLine*>(w.board()->announcement());
    ASSERT_TRUE(waitFor([&] { return news->text().contains(expected.text); }));
    EXPECT_TRUE(news->text().contains("Hint: " + expected.text)) << news->text().toStdString();
    for (const QByteArray& frame : sent)
        EXPECT_TRUE(frame.startsWith("CMD_logininfo"))
            << "a hint makes no move: " << frame.constData();

    expectClear(w);
    shot(w, "hint-1x");
    w.resize(w.size() + QSize(765, 542));
    ASSERT_TRUE(waitFor([&] { return w.board()->scale() >= 1.99; }));
    EXPECT_EQ(marks->geometry(), w.board()->rect());
    expectClear(w);
    shot(w, "hint-2x");

    // The player takes the discard: the hint is gone, and the next one says where it goes.
    w.board()->image_discardClick();
    EXPECT_TRUE(marks->isHidden());
    item->trigger();
    EXPECT_EQ(marks->text(), expertHint(w.session().table(), 1).text);
    EXPECT_TRUE(marks->text().startsWith("Put the 7 of hearts at row 3 column 1"))
        << marks->text().toStdString();

    // Out of turn the note says so and rings nothing.
    feed(w, msg::replaceadiscard(1, 3, 30, 33));
    EXPECT_TRUE(marks->isHidden());
    feed(w, msg::nextplayer(2, 0));
    item->trigger();
    EXPECT_EQ(marks->text().toStdString(), "It is Klot's turn, not yours.");

    // Typed into the chat, H is a letter.
    w.chat()->mychat()->setFocus();
    w.chat()->mychat()->clear();
    marks->clear();
    QTest::keyClicks(w.chat()->mychat(), "hh");
    EXPECT_EQ(w.chat()->mychat()->text(), "hh");
    EXPECT_TRUE(marks->isHidden());
}

TEST_F(HintWindow, AnOnlookerIsOfferedNoHint) {
    Tchat w({});
    myTurn(w, 6);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QAction* item = w.findChild<QAction*>("Hint1");
    ASSERT_TRUE(item);
    EXPECT_FALSE(item->isEnabled());
    w.board()->setFocus();
    QTest::keyClick(&w, Qt::Key_H);
    EXPECT_TRUE(w.board()->hintMarks()->isHidden());
}

} // namespace
