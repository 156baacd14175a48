#include "client/board/CardArt.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace pelvo::board;

namespace {

QImage imageOf(const QPixmap& pm) {
    return pm.toImage().convertToFormat(QImage::Format_ARGB32);
}

// Each picture of both lists: the right logical size, and all 54 different from one another.
void expectFullDistinctLists(CardArt& art) {
    for (CardSize size : {CardSize::Large, CardSize::Small}) {
        const QSize logical = size == CardSize::Large ? largeCardSize : smallCardSize;
        std::set<QByteArray> seen;
        for (int i = 0; i < cardPictureCount; ++i) {
            const QPixmap pm = art.card(i, size);
            ASSERT_FALSE(pm.isNull()) << i;
            EXPECT_EQ(pm.deviceIndependentSize().toSize(), logical) << i;
            const QImage img = imageOf(pm);
            seen.insert(
                QByteArray(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes()));
        }
        EXPECT_EQ(seen.size(), std::size_t(cardPictureCount));
    }
}

TEST(CardArt, ElementIdsFollowTheCodeOrder) {
    EXPECT_EQ(CardArt::elementId(0), "");
    EXPECT_EQ(CardArt::elementId(1), "1_club");
    EXPECT_EQ(CardArt::elementId(13), "king_club");
    EXPECT_EQ(CardArt::elementId(14), "1_diamond");
    EXPECT_EQ(CardArt::elementId(23), "10_diamond");
    EXPECT_EQ(CardArt::elementId(37), "jack_heart");
    EXPECT_EQ(CardArt::elementId(51), "queen_spade");
    EXPECT_EQ(CardArt::elementId(53), "red_joker");
    EXPECT_EQ(CardArt::elementId(54), "");
}

TEST(CardArt, DeckGivesFiftyFourPicturesInBothSizes) {
    CardArt art;
    art.load(CardArt::defaultDeckPath());
    ASSERT_TRUE(art.hasDeck()) << "the card deck package is installed on build machines";
    expectFullDistinctLists(art);
    // A face is mostly white paper, the back mostly red.
    const QImage face = imageOf(art.card(2, CardSize::Large));
    const QImage back = imageOf(art.card(0, CardSize::Large));
    const QPoint middle(face.width() / 2, face.height() / 4);
    EXPECT_GT(QColor(face.pixel(middle)).lightness(), 200);
    EXPECT_GT(QColor(back.pixel(back.width() / 4, back.height() / 4)).red(),
              QColor(back.pixel(back.width() / 4, back.height() / 4)).green() + 60);
    // Out-of-range indexes show the back rather than failing.
    EXPECT_EQ(imageOf(art.card(99, CardSize::Small)), imageOf(art.card(0, CardSize::Small)));
}

TEST(CardArt, MissingDeckSaysSoOnceAndPaintsPlainFaces) {
    CardArt art;
    testing::internal::CaptureStderr();
    art.load("/nonexistent/deck.svgz");
    EXPECT_FALSE(art.hasDeck());
    expectFullDistinctLists(art);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("/nonexistent/deck.svgz"), std::string::npos);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

// The deck is read when the first face is painted, not when it is chosen: a start shows only
// backs and should not pay for reading it.
TEST(CardArt, DeckIsReadWhenTheFirstFaceIsPainted) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("deck.svgz");
    CardArt art;
    art.load(path);
    const QImage back = imageOf(art.card(0, CardSize::Large));
    ASSERT_TRUE(QFile::copy(CardArt::defaultDeckPath(), path));
    EXPECT_TRUE(art.hasDeck());
    EXPECT_EQ(imageOf(art.card(0, CardSize::Large)), back);

    CardArt fromStart;
    fromStart.load(CardArt::defaultDeckPath());
    EXPECT_EQ(imageOf(art.card(40, CardSize::Small)), imageOf(fromStart.card(40, CardSize::Small)));
}

// Every picture at two scales, both sizes, with and without four colours, for a person to look
// at or for comparing two builds byte by byte. Written only when PELVO_SHOT_DIR names a folder.
TEST(CardArt, PicturesForComparison) {
    const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set PELVO_SHOT_DIR to write the pictures";
    QDir().mkpath(dir);
    CardArt art;
    for (const bool deck : {true, false}) {
        art.load(deck ? CardArt::defaultDeckPath() : QStringLiteral("/nonexistent/deck.svgz"));
        for (const qreal scale : {1.0, 2.05})
            for (const bool four : {false, true})
                for (const CardSize size : {CardSize::Large, CardSize::Small}) {
                    art.setScale(scale);
                    art.setFourColour(four);
                    for (int i = 0; i < cardPictureCount; ++i)
                        EXPECT_TRUE(art.card(i, size).save(
                            dir + QStringLiteral("/card-%1-%2-%3-%4-%5.png")
                                      .arg(deck ? "deck" : "plain")
                                      .arg(scale)
                                      .arg(four ? "four" : "two")
                                      .arg(size == CardSize::Large ? "large" : "small")
                                      .arg(i)));
                }
    }
}

TEST(CardArt, MarkersHaveTheirSizes) {
    EXPECT_EQ(turnMarker().deviceIndependentSize().toSize(), QSize(111, 65));
    EXPECT_EQ(handPointer().deviceIndependentSize().toSize(), QSize(36, 26));
    EXPECT_EQ(eyesPicture().deviceIndependentSize().toSize(), QSize(23, 10));
    EXPECT_EQ(penaltyMarker().deviceIndependentSize().toSize(), QSize(97, 25));
    EXPECT_EQ(notPlayingMarker().deviceIndependentSize().toSize(), QSize(89, 41));
    EXPECT_EQ(startButtonPicture(false, false).deviceIndependentSize().toSize(), QSize(122, 34));
}

} // namespace
