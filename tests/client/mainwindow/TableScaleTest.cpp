// The table at any window size: the board, its pictures and text scale together, chat and
// phrases keep their places on it, pictures are painted for the drawn size, and the zoom keys
// and the settings file bring a size back. PELVO_SHOT_DIR=<folder> also writes pictures of the
// window for a person to look at.

#include "client/mainwindow/Support.h"
#include "client/chat/ChatTestSupport.h"

#include "client/board/Board.h"
#include "client/board/CardArt.h"
#include "client/chat/ChatPanel.h"
#include "client/chat/ChatView.h"
#include "client/sound/PhraseBar.h"
#include "protocol/Messages.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QScreen>
#include <QTest>

using namespace pelvo;
using namespace pelvo::test;

namespace {

class TableScale : public TchatTest {
protected:
    void feed(Tchat& w, QByteArray frame) {
        if (frame.endsWith('\xff')) frame.chop(1);
        ASSERT_EQ(w.session().handleLine(QString::fromUtf8(frame)), CommandTable::Outcome::Handled);
    }
    // A table in the middle of a round, every kind of picture on it.
    void midGame(Tchat& w) {
        w.session().setTransport([](const QByteArray&) { return true; });
        feed(w, msg::sendlogininfo(1));
        feed(w, msg::newplayerinfo(1, "Anna"));
        feed(w, msg::newplayerinfo(3, "Bartholomew"));
        feed(w, msg::startgameNotice("Anna", 5, true, true));
        feed(w, msg::roundstarting(2, 37));
        feed(w, msg::mycards(1, {5, 18, 31, 44, 53, 12, 25, 38, 51}));
        for (auto [seat, pos, code] : {std::array{1, 1, 5},
                                       {1, 5, 53},
                                       {2, 1, 13},
                                       {2, 6, 22},
                                       {3, 4, 40},
                                       {4, 2, 26},
                                       {4, 9, 1},
                                       {1, 9, 51}})
            feed(w, msg::heflipped(seat, pos, code));
        feed(w, msg::nextplayer(2, 0));
        feed(w, msg::replaceadiscard(2, 3, 9, 37));
        feed(w, msg::penalty(4, 25));
        feed(w, msg::nextplayer(1, 2));
    }
    void shot(Tchat& w, const QString& name) {
        const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
        if (dir.isEmpty()) return;
        QDir().mkpath(dir);
        const QString ratio = QString::number(w.devicePixelRatioF());
        EXPECT_TRUE(w.grab().save(dir + "/" + name + "-dpr" + ratio + ".png")) << qPrintable(name);
        // The own seat's corner at full device pixels, to judge sharpness.
        const QRect corner = w.board()->card(1, 1)->geometry().united(
            w.board()->card(1, 5)->geometry().translated(0, 0));
        w.board()
            ->grab(corner.adjusted(-40, -40, 40, 40))
            .save(dir + "/" + name + "-detail-dpr" + ratio + ".png");
    }
    void resizeClient(Tchat& w, QSize client) {
        w.resize(client + (w.size() - w.centralWidget()->size()));
        ASSERT_TRUE(waitFor([&] { return w.centralWidget()->size() == client; }));
    }
    // Everything that must stay clear of each other and inside the window at any scale.
    void expectTidy(Tchat& w) {
        Board* b = w.board();
        const qreal s = b->scale();
        const QRect client = w.centralWidget()->rect();
        EXPECT_TRUE(client.contains(b->geometry())) << s;
        EXPECT_TRUE(client.contains(w.chat()->geometry())) << s;
        EXPECT_TRUE(client.contains(w.phraseBar()->geometry())) << s;
        EXPECT_LT(w.phraseBar()->geometry().bottom(), w.chat()->geometry().top());
        const QPoint at = b->pos();
        for (QWidget* part :
             {static_cast<QWidget*>(w.chat()), static_cast<QWidget*>(w.phraseBar())})
            for (int g = 1; g <= 9; ++g) {
                const QRect card = b->card(1, g)->geometry().translated(at);
                EXPECT_FALSE(card.intersects(part->geometry())) << s << " card " << g;
                for (QLabel* label : {b->label_playername(1), b->label_score(1)})
                    EXPECT_FALSE(label->geometry().translated(at).intersects(part->geometry()))
                        << s;
            }
        // Text fits its label: nothing cut off.
        for (QLabel* label : b->findChildren<QLabel*>()) {
            if (label->text().isEmpty() || label->isHidden()) continue;
            const int need = label->fontMetrics().horizontalAdvance(label->text());
            EXPECT_LE(need, label->width() + 1) << qPrintable(label->objectName()) << " " << s;
        }
        // Pictures are painted for the size they are drawn at, in device pixels.
        for (int seat = 1; seat <= 4; ++seat)
            for (int g = 1; g <= 9; ++g) {
                const QLabel* card = b->card(seat, g);
                const QPixmap pm = card->pixmap();
                if (pm.isNull()) continue;
                EXPECT_EQ(pm.deviceIndependentSize().toSize(), card->size()) << seat << "/" << g;
                EXPECT_GE(pm.devicePixelRatio(), w.devicePixelRatioF());
            }
    }
};

TEST_F(TableScale, TheTableGrowsWithTheWindowAndKeepsItsLayout) {
    Tchat w({});
    midGame(w);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    resizeClient(w, QSize(769, 546));
    EXPECT_DOUBLE_EQ(w.board()->scale(), 1.0);
    EXPECT_EQ(w.board()->geometry(), QRect(1, 1, 765, 542));
    EXPECT_EQ(w.chat()->geometry(), QRect(485, 291, 280, 250));
    expectTidy(w);
    shot(w, "window-772x580");

    // Twice the design size: everything twice as large, the cards painted afresh.
    resizeClient(w, QSize(2 * 765 + 4, 2 * 542 + 4));
    EXPECT_DOUBLE_EQ(w.board()->scale(), 2.0);
    EXPECT_EQ(w.board()->card(1, 1)->size(), QSize(142, 192));
    EXPECT_EQ(w.board()->card(2, 1)->size(), QSize(78, 116));
    EXPECT_EQ(w.board()->label_status()->font().pixelSize(), 26);
    EXPECT_EQ(w.chat()->geometry(), QRect(w.board()->x() + 968, 581, 560, 500));
    expectTidy(w);

    // A window wider than tall: the height decides, and the board stands in the middle.
    resizeClient(w, QSize(1700, 1000));
    EXPECT_NEAR(w.board()->scale(), 996 / 542.0, 0.001);
    const int left = w.board()->x();
    const int right = w.centralWidget()->width() - 1 - w.board()->geometry().right();
    EXPECT_LE(std::abs(left - right), 2);
    expectTidy(w);

    resizeClient(w, QSize(1600, 1200 - (w.height() - w.centralWidget()->height())));
    EXPECT_NEAR(w.board()->scale(), (1600 - 4) / 765.0, 0.001); // here the width decides
    expectTidy(w);
    shot(w, "window-1600x1200");

    // Four-colour suits: the faces are painted again, the board keeps its size.
    const QImage before = w.board()->card(1, 1)->pixmap().toImage(); // the 5 of clubs
    w.findChild<QAction*>("FourColourSuits1")->trigger();
    EXPECT_TRUE(w.session().settings().fourColourSuits);
    const QImage after = w.board()->card(1, 1)->pixmap().toImage();
    ASSERT_EQ(before.size(), after.size());
    int green = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x) {
            const QColor c = after.pixelColor(x, y);
            if (c.green() > 90 && c.green() > c.red() + 50 && c.green() > c.blue() + 30) ++green;
        }
    EXPECT_GT(green, 50) << "the clubs are not green";
    expectTidy(w);
    shot(w, "window-foursuits");
    QFile file(QDir(home.path()).filePath("kavrelhub.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Foursuits=true"));
    w.findChild<QAction*>("FourColourSuits1")->trigger();
    EXPECT_FALSE(board::CardArt::instance().fourColour());
}

TEST_F(TableScale, ZoomKeysStepTheTableAndTheSizeIsKept) {
    Tchat w({});
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    resizeClient(w, QSize(769, 546));
    const QSize room = w.screen()->availableGeometry().size();
    if (room.width() < 1200 || room.height() < 900) GTEST_SKIP() << "the screen is too small";
    QTest::keyClick(&w, Qt::Key_Plus, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return w.board()->scale() > 1.2; }));
    EXPECT_NEAR(w.board()->scale(), 1.25, 0.01);
    QTest::keyClick(&w, Qt::Key_Equal, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return w.board()->scale() > 1.45; }));
    EXPECT_NEAR(w.board()->scale(), 1.5, 0.01);
    QTest::keyClick(&w, Qt::Key_Minus, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return w.board()->scale() < 1.3; }));
    EXPECT_NEAR(w.board()->scale(), 1.25, 0.01);

    w.saveinifile();
    QFile file(QDir(home.path()).filePath("kavrelhub.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Zoom=125"));

    // Actual Size: the table at 1:1 in the window's default size.
    QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return w.board()->scale() == 1.0; }));
    EXPECT_EQ(w.board()->size(), QSize(765, 542));
    EXPECT_EQ(w.size(), QSize(772, 580));
}

TEST_F(TableScale, AZoomIsStoredOnlyOnceThePlayerHasZoomed) {
    const QString path = QDir(home.path()).filePath("kavrelhub.ini");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Pelvo]\r\nTop=3\r\nLeft=3\r\nWidth=1540\r\nHeight=1100\r\n");
    }
    const auto stored = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    {
        Tchat w({});
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        const QSize room = w.screen()->availableGeometry().size();
        if (room.width() < 1600 || room.height() < 1200) GTEST_SKIP() << "the screen is too small";
        w.loadinifile();
        ASSERT_TRUE(waitFor([&] { return w.board()->scale() > 1.5; }));
        // A large window alone is no choice of zoom: the file gets no "Zoom".
        w.saveinifile();
        EXPECT_FALSE(stored().contains("Zoom")) << stored().constData();
        EXPECT_TRUE(stored().contains("Width=1540")) << stored().constData();

        w.findChild<QAction*>("ActualSize1")->trigger();
        ASSERT_TRUE(waitFor([&] { return w.board()->scale() == 1.0; }));
        w.findChild<QAction*>("ZoomIn1")->trigger();
        ASSERT_TRUE(waitFor([&] { return w.board()->scale() > 1.2; }));
        w.saveinifile();
        EXPECT_TRUE(stored().contains("Zoom=125")) << stored().constData();
    } // the window closes: the next one hosts on the same port

    // A later run that finds it follows the table's scale, even to a window sized by hand.
    Tchat again({});
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    again.loadinifile();
    ASSERT_TRUE(waitFor([&] { return again.board()->scale() > 1.2; }));
    resizeClient(again, QSize(769, 546));
    ASSERT_TRUE(waitFor([&] { return again.board()->scale() == 1.0; }));
    again.saveinifile();
    EXPECT_TRUE(stored().contains("Zoom=100")) << stored().constData();
}

TEST_F(TableScale, TheChatGrowsWithTheTableAndActualSizeIsTheStartingSize) {
    Tchat w({});
    midGame(w);
    test::addLine(w.session(), "1+Anna: look :)#12 at www.example.com", 0);
    test::addLine(w.session(), "0+A system line", 0xFF0000);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.loadinifile(); // the window takes its place from the (absent) settings: the default
    const QSize start = w.size();
    EXPECT_EQ(start, QSize(772, 580));
    const QSize room = w.screen()->availableGeometry().size();
    if (room.width() < 1600 || room.height() < 1200) GTEST_SKIP() << "the screen is too small";
    ChatPanel* chat = w.chat();
    const auto measure = [&] {
        chat->flush();
        return std::array{qreal(chat->mainchat()->sizeHintForRow(0)),
                          qreal(chat->mychat()->height()),
                          qreal(chat->findChild<QToolButton*>("button_smilies")->height())};
    };
    const auto one = measure();
    EXPECT_DOUBLE_EQ(chat->mychat()->font().pointSizeF(), 10.0);
    shot(w, "chat-zoom1");

    resizeClient(w, QSize(2 * 765 + 4, 2 * 542 + 4));
    ASSERT_DOUBLE_EQ(w.board()->scale(), 2.0);
    EXPECT_DOUBLE_EQ(chat->scale(), 2.0);
    EXPECT_DOUBLE_EQ(chat->mychat()->font().pointSizeF(), 20.0);
    const auto two = measure();
    // Lines twice as high; the entry line and its button grow with their letters (their
    // frames stay thin).
    EXPECT_GT(two[0], 1.7 * one[0]);
    EXPECT_LT(two[0], 2.2 * one[0]);
    for (std::size_t i = 1; i < one.size(); ++i) {
        EXPECT_GT(two[i], 1.5 * one[i]) << i;
        EXPECT_LT(two[i], 2.2 * one[i]) << i;
    }
    // The entry line and its button still fit under the chat, inside the panel.
    const QRect entry = chat->mychat()->geometry();
    const QRect button = chat->findChild<QToolButton*>("button_smilies")->geometry();
    EXPECT_TRUE(chat->rect().contains(entry));
    EXPECT_TRUE(chat->rect().contains(button));
    EXPECT_LE(entry.right(), button.left());
    expectTidy(w);
    shot(w, "chat-zoom2");

    // Actual Size: the window as it started, the chat as it started.
    QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return w.size() == start; })) << w.width() << "x" << w.height();
    EXPECT_DOUBLE_EQ(w.board()->scale(), 1.0);
    EXPECT_DOUBLE_EQ(chat->scale(), 1.0);
    EXPECT_EQ(measure(), one);
    EXPECT_EQ(w.chat()->geometry(), QRect(w.board()->pos() + QPoint(484, 290), QSize(280, 250)));
}

} // namespace
