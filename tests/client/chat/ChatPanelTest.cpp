#include "ChatTestSupport.h"
#include "support/SessionEdit.h"

#include "client/chat/ChatPanel.h"
#include "windows/MessageBox.h"
#include "client/chat/ChatView.h"
#include "client/chat/ColourText.h"
#include "protocol/Fields.h"
#include "protocol/Messages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace pelvo;
using pelvo::test::lineText;
using pelvo::test::runsOf;

namespace {

const QColor blue(0, 0, 255);
const QColor red(255, 0, 0);
const QColor green(0, 128, 0);

class ChatPanelTest : public ::testing::Test {
protected:
    test::RecordingContext ctx;
    ChatHistory& history = ctx.session.chat();
    ChatPanel panel{ctx.session};
    QList<QUrl> opened;
    QStringList messages;
    MessageBoxHandler previous;
    void TearDown() override { setMessageBoxHandler(previous); }

    void SetUp() override {
        panel.setUrlOpener([this](const QUrl& url) {
            opened << url;
            return true;
        });
        previous =
            setMessageBoxHandler([this](QWidget*, const QString& text) { messages << text; });
        panel.resize(280, 260);
    }
    std::unique_ptr<QTextDocument> shown;
    QTextDocument* doc() {
        shown = test::drawnChat(panel);
        return shown.get();
    }
    QLineEdit* entry() { return panel.mychat(); }
    QAction* action(const char* name) { return panel.findChild<QAction*>(name); }
    void connect(int seat = 2) {
        test::edit(ctx.session)->connected = true;
        test::edit(ctx.session)->myseat = seat;
    }
};

TEST_F(ChatPanelTest, SystemLineStartsWithOneSpaceInBoldBlue) {
    test::addLine(ctx.session, "0+You are Connected.", ctx.st.syscolour);
    ASSERT_EQ(doc()->blockCount(), 1);
    EXPECT_EQ(lineText(doc(), 0), " You are Connected. ");
    for (const auto& run : runsOf(doc(), 0)) {
        EXPECT_EQ(run.format.foreground().color(), blue) << run.text.toStdString();
        EXPECT_EQ(run.format.fontWeight(), QFont::Bold);
        EXPECT_FALSE(run.format.isAnchor());
        EXPECT_FALSE(run.format.fontItalic() || run.format.fontUnderline());
    }

    test::addLine(ctx.session, "0+Second line", ctx.st.syscolour);
    EXPECT_EQ(doc()->blockCount(), 2);
    EXPECT_EQ(lineText(doc(), 1), " Second line ");
}

TEST_F(ChatPanelTest, SpeakerPartEndsAtFirstColonAndIsNeverALink) {
    test::addLine(ctx.session, "2+www.anna.net chats: it is 5:30", 0x008000);
    // Speaker part, its space, then the message (which starts with a space) word by word.
    EXPECT_EQ(lineText(doc(), 0), "www.anna.net chats:  it is 5:30 ");
    for (const auto& run : runsOf(doc(), 0)) EXPECT_FALSE(run.format.isAnchor());
    EXPECT_EQ(panel.linkCounter(), -1);
}

TEST_F(ChatPanelTest, AddressWordIsAGreenLinkBetweenPlainWordsAndAClickOpensIt) {
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    test::addLine(ctx.session, "2+Anna chats: see www.example.com now", 0x0000FF);

    const auto runs = runsOf(doc(), 0);
    ASSERT_EQ(runs.size(), 3);
    EXPECT_EQ(runs[0].text, "Anna chats:  see ");
    EXPECT_EQ(runs[0].format.foreground().color(), red);
    EXPECT_EQ(runs[1].text, "www.example.com ");
    EXPECT_TRUE(runs[1].format.isAnchor());
    EXPECT_EQ(runs[1].format.anchorHref(), "link:0");
    EXPECT_EQ(runs[1].format.foreground().color(), green);
    EXPECT_TRUE(runs[1].format.fontUnderline());
    EXPECT_EQ(runs[2].text, "now ");
    EXPECT_EQ(runs[2].format.foreground().color(), red);
    EXPECT_EQ(panel.linkurl(0), "www.example.com ");

    // A single click on the link (the green of the picture) opens it without the trailing space.
    QWidget* viewport = panel.mainchat()->viewport();
    const QImage shot = viewport->grab().toImage();
    QPoint at(-1, -1);
    for (int y = 0; y < shot.height() && at.x() < 0; ++y)
        for (int x = 0; x < shot.width() && at.x() < 0; ++x)
            if (shot.pixelColor(x, y) == green) at = QPoint(x, y) / shot.devicePixelRatio();
    ASSERT_GE(at.x(), 0) << "no link drawn";
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toString(), "http://www.example.com");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ChatPanelTest, AddressTestIsCaseSensitiveButTheClickPrefixIsNot) {
    EXPECT_TRUE(ChatPanel::isurlword("Http://www.example.org/a "));
    EXPECT_TRUE(ChatPanel::isurlword("(www.example.org) "));
    EXPECT_TRUE(ChatPanel::isurlword("see:http://x "));
    EXPECT_FALSE(ChatPanel::isurlword("HTTP://EXAMPLE.ORG "));
    EXPECT_FALSE(ChatPanel::isurlword("WWW.EXAMPLE.ORG "));
    EXPECT_FALSE(ChatPanel::isurlword(""));

    test::addLine(ctx.session, "2+Al chats: Http://www.example.org/a HTTP://EXAMPLE.ORG", 0);
    ASSERT_EQ(panel.linkCounter(), 0);
    const auto runs = runsOf(doc(), 0);
    ASSERT_EQ(runs.size(), 3);
    EXPECT_TRUE(runs[1].format.isAnchor());
    EXPECT_FALSE(runs[2].format.isAnchor());
    panel.mainchatJump(0);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toString(), "http://www.example.org/a");

    // "https://" is not the prefix, so "http://" goes in front of all of it.
    test::addLine(ctx.session, "2+Al chats: https://www.example.org", 0);
    panel.mainchatJump(1);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[1].host(), "https");
}

TEST_F(ChatPanelTest, ExactHttpWordOpensNothingAndSaysNothing) {
    test::addLine(ctx.session, "2+Al chats: look http:// here", 0);
    ASSERT_EQ(panel.linkCounter(), 0);
    panel.mainchatJump(0);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ChatPanelTest, AnAddressThatFormsNoUrlShowsCannotOpenWebpage) {
    test::addLine(ctx.session, "0+www.exa[mple.com", 0);
    panel.mainchatJump(0);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(messages, QStringList{"Cannot open Webpage"});
    panel.mainchatJump(101);
    EXPECT_EQ(messages.size(), 2);
}

TEST_F(ChatPanelTest, SmileyCodesShowTheirPictureAndBadCodesPictureZero) {
    auto images = [&](int line) {
        QStringList names;
        for (const auto& run : runsOf(doc(), line))
            if (run.isImage()) names << run.imageName();
        return names;
    };
    test::addLine(ctx.session, "2+Al: a:)#12b", 0);
    EXPECT_EQ(images(0), QStringList{ChatDocument::smileyName(2)});
    EXPECT_EQ(lineText(doc(), 0), QString("Al:  a ") + QChar::ObjectReplacementCharacter + "b ");

    test::addLine(ctx.session, "2+Al::)#27:)#09:)#28:)#ab:)#1", 0);
    EXPECT_EQ(images(1), (QStringList{ChatDocument::smileyName(17), ChatDocument::smileyName(0),
                                      ChatDocument::smileyName(0), ChatDocument::smileyName(0),
                                      ChatDocument::smileyName(0)}));

    test::addLine(ctx.session, "2+Al: end:)#", 0);
    EXPECT_EQ(images(2), QStringList{ChatDocument::smileyName(0)});

    // The speaker part runs to the first ":", even the one of a code, and is never searched.
    test::addLine(ctx.session, "3+Bo waves :)#12", 0);
    EXPECT_TRUE(images(3).isEmpty());
    EXPECT_EQ(lineText(doc(), 3), "Bo waves : )#12 ");
}

TEST_F(ChatPanelTest, EmptyPieceBetweenTwoCodesStillAddsOneSpace) {
    test::addLine(ctx.session, "2+Al:hi:)#10:)#11", 0);
    const QChar pic = QChar::ObjectReplacementCharacter;
    EXPECT_EQ(lineText(doc(), 0), QString("Al: hi ") + pic + " " + pic);
    QStringList order;
    for (const auto& run : runsOf(doc(), 0)) order << (run.isImage() ? run.imageName() : run.text);
    EXPECT_EQ(order, (QStringList{"Al: hi ", ChatDocument::smileyName(0), " ",
                                  ChatDocument::smileyName(1)}));
}

TEST_F(ChatPanelTest, ReceivedLinesTakeTheirColourFromTheLastBarElseRed) {
    test::chatReceived(ctx.session, "3+Bo chats: no colour");
    test::chatReceived(ctx.session, "4+Cy chats: pipe a|b test|clBlue");
    test::chatReceived(ctx.session, "5+Di chats: bad|clSky");
    test::chatReceived(ctx.session, "2+Al chats: ok|clblue");
    test::chatReceived(ctx.session, "6+Ed waves|$0080FF00");
    test::chatReceived(ctx.session, "7+Fa chats: a|b");

    EXPECT_EQ(lineText(doc(), 0), "Bo chats:  no colour ");
    EXPECT_EQ(lineText(doc(), 1), "Cy chats:  pipe a|b test ");
    EXPECT_EQ(lineText(doc(), 5), "Fa chats:  a ");
    for (int line : {0, 2, 5})
        EXPECT_EQ(runsOf(doc(), line)[0].format.foreground().color(), red) << line;
    for (int line : {1, 3})
        EXPECT_EQ(runsOf(doc(), line)[0].format.foreground().color(), blue) << line;
    EXPECT_EQ(runsOf(doc(), 4)[0].format.foreground().color(), QColor(0, 255, 128));
}

TEST_F(ChatPanelTest, ASendersNewColourRecoloursOnlyThatSendersEarlierLines) {
    test::chatReceived(ctx.session, "2+Al chats: one www.a.com two|clRed");
    test::chatReceived(ctx.session, "3+Bo chats: other|clGreen");
    test::chatReceived(ctx.session, "2+Al chats: three|clBlue");

    for (int line : {0, 2}) {
        for (const auto& run : runsOf(doc(), line)) {
            const QColor expected = run.format.isAnchor() ? green : blue;
            EXPECT_EQ(run.format.foreground().color(), expected) << line << run.text.toStdString();
            EXPECT_EQ(run.format.fontWeight(), run.format.isAnchor() ? QFont::Normal : QFont::Bold);
        }
    }
    EXPECT_EQ(runsOf(doc(), 1)[0].format.foreground().color(), green);
    EXPECT_EQ(doc()->blockCount(), 3);
}

// As painted: a sender's line in a new colour redraws every earlier line of that sender in it at
// once, through the window as the player sees it; another sender's lines keep their colour.
TEST_F(ChatPanelTest, APaintedSendersEarlierLinesTakeTheirNewColour) {
    panel.resize(280, 600);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    for (int n = 0; n < 16; ++n)
        test::chatReceived(ctx.session, n % 2 ? QString("2+Bo chats: line %1|clPurple").arg(n)
                                              : QString("1+Al chats: line %1|clBlue").arg(n));
    const auto painted = [&](const QColor& colour) {
        QCoreApplication::processEvents();
        const QImage shot = panel.mainchat()->viewport()->grab().toImage();
        int n = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) n += shot.pixelColor(x, y) == colour;
        return n;
    };
    const QColor purple(128, 0, 128);
    ASSERT_GT(painted(blue), 100);
    const int purpleBefore = painted(purple);
    ASSERT_GT(purpleBefore, 100);

    test::chatReceived(ctx.session, "1+Al chats: now red|clRed");
    EXPECT_EQ(painted(blue), 0);
    EXPECT_GT(painted(red), 100);
    EXPECT_EQ(painted(purple), purpleBefore);
}

TEST_F(ChatPanelTest, NewSizeShowsAtTheNextLineOrClear) {
    test::addLine(ctx.session, "0+before", 0);
    panel.setTextSize(14);
    EXPECT_EQ(doc()->defaultFont().pointSize(), 10);
    test::addLine(ctx.session, "0+after", 0);
    EXPECT_EQ(doc()->defaultFont().pointSize(), 14);

    panel.N14Click(8);
    EXPECT_EQ(doc()->defaultFont().pointSize(), 14);
    EXPECT_EQ(ctx.saves, 1);
    EXPECT_TRUE(action("N8")->isChecked());
    for (const char* other : {"N10", "N12", "N14"}) EXPECT_FALSE(action(other)->isChecked());
    panel.ClearMainChat1Click();
    EXPECT_EQ(doc()->defaultFont().pointSize(), 8);

    panel.checkSizeItem(11);
    for (const char* item : {"N8", "N10", "N12", "N14"}) EXPECT_FALSE(action(item)->isChecked());
    action("N12")->trigger();
    EXPECT_EQ(panel.textSize(), 12);
    EXPECT_TRUE(action("N12")->isChecked());
    EXPECT_EQ(ctx.saves, 2);
}

TEST_F(ChatPanelTest, LinkCounterWrapsToOneAndSurvivesClearing) {
    for (int i = 0; i < 101; ++i) test::addLine(ctx.session, QString("0+www.site%1.org").arg(i), 0);
    EXPECT_EQ(panel.linkCounter(), 100);
    panel.ClearMainChat1Click();
    EXPECT_TRUE(doc()->isEmpty());
    EXPECT_EQ(panel.linkCounter(), 100);

    test::addLine(ctx.session, "0+www.again.org", 0);
    EXPECT_EQ(panel.linkCounter(), 1);
    EXPECT_EQ(runsOf(doc(), 0)[1].format.anchorHref(), "link:1");
    EXPECT_EQ(panel.linkurl(1), "www.again.org ");
    EXPECT_EQ(panel.linkurl(0), "www.site0.org "); // slot 0 is never reused
    panel.mainchatJump(1);
    EXPECT_EQ(opened.value(0).toString(), "http://www.again.org");
}

TEST_F(ChatPanelTest, MarkupTypedByAPlayerIsShownLiterally) {
    const QString typed = "<b>bold</b> <img src=\"/etc/passwd\"> &lt; <a href=x>y</a>";
    test::chatReceived(ctx.session, "2+Eve chats: " + typed + "|clBlack");
    EXPECT_EQ(lineText(doc(), 0), "Eve chats:  " + typed + " ");
    for (const auto& run : runsOf(doc(), 0)) {
        EXPECT_FALSE(run.isImage());
        EXPECT_FALSE(run.format.isAnchor());
    }
    EXPECT_EQ(doc()->blockCount(), 1);
    // Line breaks inside a chat text do not start new lines either.
    test::addLine(ctx.session, "2+Eve chats: one\ntwo", 0);
    EXPECT_EQ(doc()->blockCount(), 2);
}

TEST_F(ChatPanelTest, SenderMustBeASlotNumber) {
    using Outcome = CommandTable::Outcome;
    EXPECT_EQ(test::chatReceived(ctx.session, "+hello|clRed"), Outcome::Malformed);
    // 0 is the client itself, 1 to 9 the host's slots; nothing else has a style.
    EXPECT_EQ(test::chatReceived(ctx.session, "2147483647+hello|clRed"), Outcome::Malformed);
    EXPECT_EQ(test::chatReceived(ctx.session, "10+hello|clRed"), Outcome::Malformed);
    EXPECT_EQ(test::chatReceived(ctx.session, "-1+hello|clRed"), Outcome::Malformed);
    EXPECT_TRUE(doc()->isEmpty());
    test::chatReceived(ctx.session, "9+Zed chats: hi|clRed");
    EXPECT_FALSE(doc()->isEmpty());
}

TEST_F(ChatPanelTest, PlaceholderGoesOnTypingButStaysOnPaste) {
    connect();
    QTest::keyClick(entry(), Qt::Key_A);
    EXPECT_EQ(entry()->text(), "a");

    entry()->setText("<Enter Chat Here>");
    QGuiApplication::clipboard()->setText("xyz");
    panel.Paste1Click();
    EXPECT_EQ(entry()->text(), "<Enter Chat Here>xyz");
    EXPECT_EQ(entry()->cursorPosition(), entry()->text().size());
    EXPECT_FALSE(entry()->hasSelectedText());

    // The key goes to the menu item, which appends wherever the caret is.
    entry()->setText("abc");
    entry()->setCursorPosition(0);
    QTest::keyClick(entry(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(entry()->text(), "abcxyz");

    // Enter on the untouched placeholder sends nothing.
    entry()->setText("<Enter Chat Here>");
    QTest::keyClick(entry(), Qt::Key_Return);
    EXPECT_TRUE(ctx.frames.isEmpty());
    EXPECT_EQ(entry()->text(), "");

    entry()->setText("<Enter Chat Here>");
    action("MenuItem3")->trigger();
    action("N271")->trigger();
    EXPECT_EQ(entry()->text(), ":)#12:)#27");
}

TEST_F(ChatPanelTest, EnterSendsChatAndMeActionsAndDropsOtherCommands) {
    panel.setChatColour(0x0080FF);
    entry()->setText("hello");
    QTest::keyClick(entry(), Qt::Key_Return);
    EXPECT_TRUE(ctx.frames.isEmpty()) << "not connected";
    EXPECT_EQ(entry()->text(), "hello");

    connect(3);
    QTest::keyClick(entry(), Qt::Key_Return);
    entry()->setText("/me waves");
    QTest::keyClick(entry(), Qt::Key_Enter);
    entry()->setText("/mewaves");
    panel.sendit();
    entry()->setText("/quit now");
    panel.sendit();
    EXPECT_EQ(entry()->text(), "");
    entry()->setText("");
    panel.sendit();

    ASSERT_EQ(ctx.frames.size(), 3);
    EXPECT_EQ(ctx.frames[0], msg::chat(3, "hello", "$000080FF"));
    EXPECT_EQ(ctx.frames[1], msg::action(3, "waves", "$000080FF"));
    EXPECT_EQ(ctx.frames[2], msg::action(3, "aves", "$000080FF"));
}

TEST_F(ChatPanelTest, ScrollChatOffItemsMirrorEachOtherAndStopScrolling) {
    test::RecordingContext ownCtx; // a session of its own: a history of its own
    QMainWindow window;
    QMenu* options = window.menuBar()->addMenu("Options");
    auto* own = new ChatPanel(ownCtx.session);
    own->addOptionsItems(options);
    window.setCentralWidget(own);
    window.resize(280, 260);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QStringList names;
    for (QAction* a : options->actions()) names << a->objectName();
    EXPECT_EQ(names, (QStringList{"TextColor1", "TextSize1", "ScrollChatOff2", "ClearMainChat1"}));

    auto* off1 = own->findChild<QAction*>("ScrollChatOff1");
    auto* off2 = own->findChild<QAction*>("ScrollChatOff2");
    off1->trigger();
    EXPECT_TRUE(off1->isChecked() && off2->isChecked());
    off2->trigger();
    EXPECT_FALSE(off1->isChecked() || off2->isChecked());
    own->mychat()->setFocus();
    QTest::keyClick(own->mychat(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(off1->isChecked() && off2->isChecked()) << "Ctrl+S";

    QScrollBar* bar = own->mainchat()->verticalScrollBar();
    for (int i = 0; i < 60; ++i) test::addLine(ownCtx.session, QString("0+line %1").arg(i), 0);
    own->flush();
    EXPECT_EQ(bar->value(), 0);
    off2->trigger();
    test::addLine(ownCtx.session, "0+last", 0);
    own->flush();
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(ChatPanelTest, CopyPutsPlainTextOnlyAndClearHandsFocusToTheEntry) {
    test::addLine(ctx.session, "2+Al chats: <i>x</i>:)#10 www.a.com", 0);
    QGuiApplication::clipboard()->setText("old");
    panel.Copy1Click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "old") << "nothing selected";

    action("SelectAll1")->trigger();
    action("Copy1")->trigger();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(data->text(), "Al chats:  <i>x</i>  www.a.com ");
    EXPECT_FALSE(data->hasHtml());

    panel.show();
    QApplication::setActiveWindow(&panel);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    panel.mainchat()->setFocus();
    action("ClearMainChat2")->trigger();
    EXPECT_TRUE(doc()->isEmpty());
    EXPECT_TRUE(entry()->hasFocus());
}

TEST_F(ChatPanelTest, ChosenTextColourGoesToTheEntryAndTheSettings) {
    action("TextColor1")->trigger();
    auto* dialog = panel.findChild<QColorDialog*>("ColorDialog");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->currentColor(), QColor(0, 0, 0));
    dialog->setCurrentColor(QColor(255, 128, 0));
    dialog->accept();
    EXPECT_EQ(panel.chatColour(), 0x0080FFu);
    EXPECT_EQ(entry()->palette().color(QPalette::Text), QColor(255, 128, 0));
    EXPECT_EQ(ctx.saves, 1);

    action("TextColor1")->trigger();
    dialog->reject();
    EXPECT_EQ(ctx.saves, 1);
}

TEST_F(ChatPanelTest, SmiliesMenuHoldsEighteenPicturedCodes) {
    auto* menu = panel.findChild<QMenu*>("popup_smilies");
    ASSERT_NE(menu, nullptr);
    const auto items = menu->actions();
    ASSERT_EQ(items.size(), 18);
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(items[i]->objectName(), i < 17 ? QString("MenuItem%1").arg(i + 1) : "N271");
        EXPECT_EQ(items[i]->text(), QString(":)#%1").arg(10 + i));
        EXPECT_EQ(items[i]->data().toInt(), 10 + i);
        EXPECT_FALSE(items[i]->icon().isNull());
    }
    for (const char* name : {"mainchat", "FlatPanel1", "mychat", "button_smilies"})
        EXPECT_NE(panel.findChild<QWidget*>(name), nullptr) << name;
    for (const char* name : {"popup_mainchat", "popup_mychat", "TextSize1"})
        EXPECT_NE(panel.findChild<QMenu*>(name), nullptr) << name;
    for (const char* name :
         {"SelectAll1", "Copy1", "ClearMainChat2", "ScrollChatOff1", "Paste1", "TextColor1", "N8",
          "N10", "N12", "N14", "ScrollChatOff2", "ClearMainChat1"})
        EXPECT_NE(action(name), nullptr) << name;
}

} // namespace
