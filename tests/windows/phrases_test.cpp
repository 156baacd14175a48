#include "windows/Tphrases.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

const QStringList phrases{"Way To Go!", "Good One!",         "Nice Try!",
                          "Excellent!", "Brilliant!",        "Wow, WTG!",
                          "Thanks!",    "Way To Go Teamie!", "Good Game Everyone!"};

struct PhraseEditorTest : ::testing::Test {
    Tphrases editor;
    QLineEdit* edit(int n) {
        return editor.findChild<QLineEdit*>(QStringLiteral("phrase%1").arg(n));
    }
};

TEST_F(PhraseEditorTest, ControlsAndTexts) {
    EXPECT_EQ(editor.windowTitle(), "Pelvo - Phrase Buttons ");
    for (int n = 1; n <= 9; ++n) {
        auto* label = editor.findChild<QLabel*>(QStringLiteral("Label%1").arg(n));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QStringLiteral("Phrase Button %1:").arg(n));
        ASSERT_NE(edit(n), nullptr);
        EXPECT_EQ(edit(n)->maxLength(), 50);
        if (n > 1) {
            EXPECT_GT(edit(n)->y(), edit(n - 1)->y());
        }
    }
    auto* note = editor.findChild<QLabel*>("Label13");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), "Buttons can only be used once every 2 seconds");
    EXPECT_TRUE(note->wordWrap());
    EXPECT_EQ(note->palette().color(QPalette::WindowText), QColor(0x80, 0, 0));
    auto* done = editor.findChild<QPushButton*>("button_done");
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->text(), "Done");
    EXPECT_EQ(editor.minimumSize(), editor.maximumSize()) << "fixed border";
}

TEST_F(PhraseEditorTest, TypingStopsAtFiftyCharacters) {
    editor.edit(phrases);
    edit(2)->clear();
    QTest::keyClicks(edit(2), QString(60, u'x'));
    EXPECT_EQ(edit(2)->text(), QString(50, u'x'));
}

TEST_F(PhraseEditorTest, DoneHandsOverAllNineTextsAndCloses) {
    QSignalSpy spy(&editor, &Tphrases::done);
    editor.edit(phrases);
    ASSERT_TRUE(editor.isVisible());
    edit(3)->clear();
    edit(9)->setText("/me waves");
    QTest::mouseClick(editor.findChild<QPushButton*>("button_done"), Qt::LeftButton);
    ASSERT_EQ(spy.size(), 1);
    QStringList expected = phrases;
    expected[2] = "";
    expected[8] = "/me waves";
    EXPECT_EQ(spy[0][0].toStringList(), expected);
    EXPECT_FALSE(editor.isVisible());
}

TEST_F(PhraseEditorTest, ClosingByTheTitleBarDiscardsTheEdits) {
    QSignalSpy spy(&editor, &Tphrases::done);
    editor.edit(phrases);
    edit(1)->setText("changed");
    editor.close();
    EXPECT_TRUE(spy.isEmpty());
    EXPECT_FALSE(editor.isVisible());
    editor.edit(phrases);
    EXPECT_EQ(edit(1)->text(), "Way To Go!");
}

} // namespace
