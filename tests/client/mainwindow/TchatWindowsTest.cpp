// The side windows: opened from the menus, never blocking the main window.

#include "client/mainwindow/Support.h"

#include "client/board/Board.h"
#include "client/sound/PhraseBar.h"
#include "windows/Art.h"
#include "windows/Tabout.h"
#include "windows/Tdownload.h"
#include "windows/Thelp.h"
#include "windows/Tphrases.h"
#include "windows/Tspylist.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QUrl>

#include <cstdlib>

using namespace pelvo;
using namespace pelvo::test;

TEST_F(TchatTest, MenuItemsOpenSideWindowsThatNeverBlock) {
    Tchat w({});
    w.show();
    const std::pair<const char*, QDialog*> opened[] = {{"Help2", w.help()},
                                                       {"About1", w.about()},
                                                       {"SpyList1", w.spylist()},
                                                       {"PrhaseList1", w.phrasesEditor()}};
    for (const auto& [item, window] : opened) {
        w.findChild<QAction*>(item)->trigger();
        EXPECT_TRUE(window->isVisible()) << item;
        EXPECT_FALSE(window->isModal()) << item;
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // The spy list stands on the main window's felt, like the other side windows.
    const QColor corner = w.spylist()->grab().toImage().pixelColor(2, w.spylist()->height() - 3);
    const QColor felt = art::feltColour();
    EXPECT_LT(std::abs(corner.red() - felt.red()) + std::abs(corner.green() - felt.green()) +
                  std::abs(corner.blue() - felt.blue()),
              60)
        << corner.name().toStdString();
    EXPECT_EQ(w.phrasesEditor()->phrases().value(0), w.phraseBar()->phrase(1));

    w.help()->button_doneClick();
    EXPECT_FALSE(w.help()->isVisible());
    w.download()->show();
    w.download()->Button1Click(); // "Play Solo Game"
    EXPECT_FALSE(w.download()->isVisible());
}

TEST_F(TchatTest, TheBoardsLogoOpensTheSiteThroughTheAboutWindow) {
    Tchat w({});
    w.show();
    QStringList opened;
    w.about()->setUrlOpener([&](const QUrl& url) { opened << url.toString(); });
    QTest::mouseClick(w.board()->findChild<QWidget*>("image_logo"), Qt::LeftButton);
    EXPECT_EQ(opened, QStringList({"http://www.kavrel.example"}));
    EXPECT_FALSE(w.about()->isVisible());
}
