// The smiley pictures and the look of a filled chat panel. Set PELVO_SHOT_DIR to a folder to
// keep the rendered pictures (smilies.png, chat.png) for a look by eye.

#include "ChatTestSupport.h"

#include "client/chat/ChatPanel.h"
#include "client/chat/ChatView.h"
#include "client/chat/Smilies.h"

#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

int opaquePixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += qAlpha(image.pixel(x, y)) > 128;
    return n;
}

TEST(Smilies, EighteenDistinctPicturesOfSeventeenBySixteen) {
    QList<QImage> images;
    for (int i = 0; i < smilies::count; ++i) {
        const QPixmap pm = smilies::pixmap(i);
        EXPECT_EQ(pm.deviceIndependentSize().toSize(), QSize(17, 16));
        images << pm.toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_GT(opaquePixels(images.last()), 17 * 16 / 3) << i;
    }
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j) {
            int differing = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 17; ++x)
                    differing += images[i].pixel(x, y) != images[j].pixel(x, y);
            EXPECT_GT(differing, 10) << i << " and " << j << " look alike";
        }
    const QPixmap sharp = smilies::pixmap(3, 2.0);
    EXPECT_EQ(sharp.size(), QSize(34, 32));
    EXPECT_EQ(sharp.deviceIndependentSize().toSize(), QSize(17, 16));
    EXPECT_EQ(smilies::pixmap(99).toImage(), smilies::pixmap(0).toImage());

    if (const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR"); !dir.isEmpty()) {
        const QString path = dir + "/smilies.png";
        // Top rows painted at 4x, bottom rows the real 1x pictures enlarged pixel by pixel.
        QImage sheet(9 * 80, 4 * 72, QImage::Format_ARGB32);
        sheet.fill(Qt::white);
        QPainter p(&sheet);
        for (int i = 0; i < smilies::count; ++i) {
            const QPoint at((i % 9) * 80 + 6, (i / 9) * 72 + 4);
            p.drawImage(QRect(at, QSize(68, 64)), smilies::pixmap(i, 4.0).toImage());
            p.drawImage(QRect(at + QPoint(0, 144), QSize(68, 64)), images[i]);
        }
        p.end();
        sheet.save(path);
    }
}

TEST(ChatLook, FilledPanelShowsStylesLinksAndPictures) {
    test::RecordingContext ctx;
    ChatPanel panel(ctx.session);
    panel.resize(280, 260);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    test::addLine(ctx.session, "0+You are Connected.", ctx.st.syscolour);
    test::addLine(ctx.session, "0+Klot has joined the game.", ctx.st.syscolour);
    test::chatReceived(ctx.session, "1+Anna chats: hi everyone :)#10 ready for a round?|clNavy");
    test::chatReceived(ctx.session,
                       "2+Klot chats: sure :)#11 rules at www.example.com/rules|$00006CC8");
    test::chatReceived(ctx.session, "1+Anna waves at Klot|clNavy");
    test::chatReceived(ctx.session, "2+Klot chats: good luck :)#26 :)#27|$00006CC8");
    test::addLine(ctx.session, "0+Round 1 starting.", ctx.st.syscolour);
    panel.mychat()->setText("<Enter Chat Here>");
    QTest::qWait(20);

    const QFontInfo font(chatFont(panel.chatModel().textSize()));
    RecordProperty("font", font.family().toStdString());
    const QImage shot = panel.grab().toImage();
    EXPECT_EQ(shot.size(), QSize(280, 260) * shot.devicePixelRatio());
    bool white = false, blue = false, green = false;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            white |= c == Qt::white;
            blue |= c.blue() > 200 && c.red() < 60 && c.green() < 60;
            green |= c.green() > 100 && c.red() < 60 && c.blue() < 60;
        }
    EXPECT_TRUE(white && blue && green);

    if (const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR"); !dir.isEmpty()) {
        const QString path = dir + "/chat.png";
        shot.save(path);
        panel.mainchat()->setCurrentIndex(panel.mainchat()->model()->index(3, 0));
        panel.grab().save(QString(path).replace(".png", "-selected.png"));
        auto* menu = panel.findChild<QMenu*>("popup_smilies");
        panel.button_smiliesClick();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        menu->grab().save(QString(path).replace(".png", "-smilies.png"));
        menu->close();
    }
}

} // namespace
