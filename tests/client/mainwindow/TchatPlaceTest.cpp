// The window's place and size, closing, and the callers of the settings file.

#include "client/mainwindow/Support.h"
#include "support/SessionEdit.h"

#include "client/chat/ChatModel.h"
#include "client/chat/ChatPanel.h"
#include "client/sound/PhraseBar.h"
#include "windows/Tphrases.h"

#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTextDocument>

using namespace pelvo;
using namespace pelvo::test;

namespace {

QString iniText(const QString& folder) {
    QFile file(folder + "/kavrelhub.ini");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST_F(TchatTest, TheClientAreaNeverShrinksBelowTheBoardAndItsMargin) {
    Tchat w({});
    w.show();
    w.resize(100, 100);
    EXPECT_GE(w.centralWidget()->width(), 769);
    EXPECT_GE(w.centralWidget()->height(), 546);
}

TEST_F(TchatTest, ResetScreenLocationAndSettingsPlaceTheWindowInOneStep) {
    Tchat w({});
    w.show();
    w.setWindowPlace({40, 50, 790, 600});
    EXPECT_EQ(w.pos(), QPoint(40, 50));
    EXPECT_EQ(w.size(), QSize(790, 600));
    EXPECT_EQ(w.state().savedplace, (WindowPlace{40, 50, 790, 600}));

    w.findChild<QAction*>("ResetScreenLocation1")->trigger();
    EXPECT_EQ(w.pos(), QPoint(3, 3));
    EXPECT_EQ(w.size(), QSize(772, 580));
    EXPECT_EQ(w.state().savedplace, (WindowPlace{40, 50, 790, 600})) << "reset is no load";
}

TEST_F(TchatTest, LoadingTheSettingsLaysTheChatOutInTheStoredSizeAtOnce) {
    Tchat w({});
    w.note("You are Connected.");
    QFile ini(home.filePath("kavrelhub.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Pelvo]\r\nTextsize=14\r\n");
    ini.close();
    w.loadinifile();
    // The line already shown takes the stored size without waiting for the next line.
    EXPECT_EQ(w.chat()->chatModel().textSize(), 14);
}

TEST_F(TchatTest, ClosingWritesThePlaceOnlyWhenItChanged) {
    {
        Tchat w({});
        w.show();
        w.setWindowPlace({3, 3, 772, 580}); // as loaded
        w.close();
        EXPECT_FALSE(QFile::exists(home.filePath("kavrelhub.ini")));
    }
    {
        Tchat w({});
        w.show();
        w.close(); // never loaded: the remembered place is all 0
        EXPECT_TRUE(iniText(home.path()).contains("[Pelvo]"));
    }
}

TEST_F(TchatTest, ClosingAWindowLargerThanTheWorkAreaSavesItSmallerOnce) {
    Tchat w({});
    w.show();
    const QRect work = w.screen()->availableGeometry();
    w.setWindowPlace({3, 3, work.width() + 40, work.height() + 40});
    test::edit(w.session())->savedplace = {}; // moved since the last load
    w.close();
    EXPECT_EQ(w.state().savedplace, (WindowPlace{3, 3, work.width() + 25, work.height() + 25}));
    const QString text = iniText(home.path());
    EXPECT_TRUE(text.contains(QString("Width=%1").arg(work.width() + 25))) << qPrintable(text);
}

TEST_F(TchatTest, ARefusedSettingsWriteIsShownToThePlayer) {
    // A folder in the file's place cannot be written, not even by root.
    ASSERT_TRUE(QDir(home.path()).mkdir("kavrelhub.ini"));
    Tchat w({});
    w.saveinifile();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.first().startsWith("Unable to write to ")) << qPrintable(messages.first());
    EXPECT_TRUE(messages.first().endsWith("kavrelhub.ini"));
}

TEST_F(TchatTest, PhraseEditorDoneSetsTheButtonsAndWritesThePhrases) {
    Tchat w({});
    QStringList phrases;
    for (int n = 1; n <= 9; ++n) phrases << QString("Phrase %1").arg(n);
    phrases[4].clear();
    emit w.phrasesEditor()->done(phrases);
    EXPECT_EQ(w.phraseBar()->phrase(1), "Phrase 1");
    EXPECT_EQ(w.phraseBar()->phrase(9), "Phrase 9");
    const QString text = iniText(home.path());
    EXPECT_TRUE(text.contains("Phrase9=Phrase 9")) << qPrintable(text);
    EXPECT_FALSE(text.contains("Width=")) << "the editor writes the phrases only";
}

TEST_F(TchatTest, NumbersBeyondAnyScreenInTheSettingsPlaceTheWindowOnOne) {
    const QByteArray ini = "[Pelvo]\r\nLeft=2147483647\r\nTop=-2147483648\r\n"
                           "Width=2147483647\r\nHeight=-5\r\n";
    QFile file(home.path() + "/kavrelhub.ini");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ini);
    file.close();
    Tchat w({});
    w.show();
    w.loadinifile();
    const QRect g = w.geometry();
    EXPECT_LE(std::abs(qint64(g.x())), 32767);
    EXPECT_LE(std::abs(qint64(g.y())), 32767);
    EXPECT_LE(g.width(), 32767);
    EXPECT_GE(g.bottom(), 0) << "some of it is on the screen's side of the origin";
    EXPECT_GE(g.height(), w.minimumHeight());
    EXPECT_EQ(w.state().savedplace, (WindowPlace{2147483647, -2147483648, 2147483647, -5}));
    EXPECT_EQ(iniText(home.path()).toUtf8(), ini) << "the stored numbers stay until a save";
}
