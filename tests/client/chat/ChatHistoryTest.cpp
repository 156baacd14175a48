// The chat history's bound and the panel drawn from it: dropped lines leave the view, and the
// colour bookkeeping follows the text as the oldest paragraphs go.

#include "ChatTestSupport.h"

#include "client/chat/ChatPanel.h"
#include "client/chat/ColourText.h"
#include "session/ChatHistory.h"

#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include "client/chat/ChatView.h"

#include <gtest/gtest.h>

using namespace pelvo;
using pelvo::test::lineText;
using pelvo::test::runsOf;

namespace {

// The paragraph a line without smilies becomes: speaker part, a space, the words, a space.
QString shown(const ChatLine& line) {
    const qsizetype colon = line.text.indexOf(u':');
    return line.text.left(colon + 1) + u' ' + line.text.mid(colon + 1) + u' ';
}

void expectViewMatches(const ChatHistory& history, QTextDocument* doc) {
    ASSERT_EQ(doc->blockCount(), int(history.lines().size()));
    int n = 0;
    for (const ChatLine& line : history.lines()) {
        ASSERT_EQ(lineText(doc, n), shown(line)) << n;
        ++n;
    }
}

class ChatHistoryTest : public ::testing::Test {
protected:
    test::RecordingContext ctx;
    ChatHistory& history = ctx.session.chat();
    ChatPanel panel{ctx.session};
    std::unique_ptr<QTextDocument> shown;
    QTextDocument* doc() {
        shown = test::drawnChat(panel);
        return shown.get();
    }
};

TEST_F(ChatHistoryTest, FiftyThousandLinesLeaveTheLastFiveThousandInHistoryAndView) {
    EXPECT_EQ(history.limit(), ChatHistory::DefaultLimit);
    QSignalSpy dropped(&history, &ChatHistory::linesDropped);
    for (int n = 0; n < 50100; ++n) {
        test::addLine(ctx.session, QStringLiteral("%1+P chats: %2").arg(n % 10).arg(n), 0x800000);
        if (n % 1000 == 999) {
            ASSERT_LE(panel.chatModel().rowCount(), 5000) << n;
        }
    }
    ASSERT_EQ(history.lines().size(), 5000u);
    EXPECT_EQ(history.lines().front().text, "P chats: 45100");
    EXPECT_EQ(history.lines().front().kind, ChatLine::Kind::System); // sender 0
    EXPECT_EQ(history.lines().back().kind, ChatLine::Kind::Chat);
    EXPECT_EQ(dropped.size(), 45100);
    expectViewMatches(history, doc());
}

// Random senders, colours, links and drops: every sender's text ends up in that sender's last
// colour, links stay green, and no recolouring lands on another sender's text.
TEST_F(ChatHistoryTest, ColoursFollowTheirSenderWhileOldLinesAreDropped) {
    history.setLimit(40);
    QRandomGenerator random(7);
    const quint32 palette[] = {0x0000FF, 0xFF0000, 0x008000, 0x800080};
    std::map<int, quint32> last;
    for (int n = 0; n < 400; ++n) {
        const int sender = int(random.bounded(4));
        const quint32 colour = palette[random.bounded(4)];
        last[sender] = colour;
        const QString words = random.bounded(3) == 0 ? "see www.x%1.org here" : "plain %1";
        test::addLine(ctx.session, QStringLiteral("%1+S%1: ").arg(sender) + words.arg(n), colour);
        if (n % 37 == 0) panel.flush(); // a paint in between
    }
    expectViewMatches(history, doc());
    for (int n = 0; n < doc()->blockCount(); ++n) {
        const int sender = lineText(doc(), n).mid(1, 1).toInt();
        for (const auto& run : runsOf(doc(), n)) {
            const QColor expected =
                run.format.isAnchor() ? QColor(0, 128, 0) : colourToQColor(last[sender]);
            ASSERT_EQ(run.format.foreground().color(), expected)
                << n << " " << run.text.toStdString();
        }
    }
}

TEST_F(ChatHistoryTest, ADroppedSendersNewColourLeavesTheSurvivingLinesAlone) {
    history.setLimit(3);
    test::addLine(ctx.session, "1+Al chats: gone soon", 0x0000FF);
    for (int n = 0; n < 3; ++n) test::addLine(ctx.session, "2+Bo chats: stays", 0xFF0000);
    test::addLine(ctx.session, "1+Al chats: new colour", 0x008000);
    ASSERT_EQ(doc()->blockCount(), 3);
    for (int n = 0; n < 2; ++n)
        for (const auto& run : runsOf(doc(), n))
            EXPECT_EQ(run.format.foreground().color(), QColor(0, 0, 255)) << n;
    EXPECT_EQ(runsOf(doc(), 2)[0].format.foreground().color(), QColor(0, 128, 0));
}

TEST_F(ChatHistoryTest, SetLimitDropsWhatNoLongerFitsAndClearEmptiesBoth) {
    for (int n = 0; n < 10; ++n)
        test::chatReceived(ctx.session, QString("3+Cy waves %1").arg(n), ChatLine::Kind::Action);
    QSignalSpy dropped(&history, &ChatHistory::linesDropped);
    history.setLimit(4);
    ASSERT_EQ(dropped.size(), 1);
    EXPECT_EQ(dropped[0][0].toInt(), 6);
    EXPECT_EQ(history.lines().front().kind, ChatLine::Kind::Action);
    expectViewMatches(history, doc());
    EXPECT_EQ(lineText(doc(), 0), " Cy waves 6 ");
    history.setLimit(0);
    EXPECT_EQ(history.limit(), 1);
    expectViewMatches(history, doc());

    // A second view of the same history starts with what it holds.
    ChatPanel other(ctx.session);
    EXPECT_EQ(other.plainText(), " Cy waves 9 ");

    panel.ClearMainChat1Click();
    EXPECT_TRUE(history.lines().empty());
    EXPECT_TRUE(doc()->isEmpty());
    EXPECT_TRUE(other.plainText().isEmpty());
}

TEST_F(ChatHistoryTest, AReaderScrolledBackKeepsTheirPlaceWhenOldLinesGo) {
    history.setLimit(60);
    panel.resize(280, 260);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    for (int n = 0; n < 60; ++n) test::addLine(ctx.session, QString("0+line %1").arg(n), 0);
    panel.ScrollChatOff1Click();
    QScrollBar* bar = panel.mainchat()->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    auto topLine = [&] { return panel.mainchat()->indexAt(QPoint(5, 5)).data().toString(); };
    const QString before = topLine();
    for (int n = 60; n < 70; ++n) test::addLine(ctx.session, QString("0+line %1").arg(n), 0);
    EXPECT_EQ(topLine(), before);
}

} // namespace
