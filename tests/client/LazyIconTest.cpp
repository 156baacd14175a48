#include "client/LazyIcon.h"

#include "client/chat/Smilies.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

QIcon smileyIcon() {
    QIcon icon;
    for (qreal ratio : {1.0, 2.0}) icon.addPixmap(pelvo::smilies::pixmap(3, ratio));
    return icon;
}

QImage painted(const QIcon& icon, qreal ratio) {
    QImage image(QSize(30, 24) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    icon.paint(&p, QRect(2, 1, 24, 20));
    return image;
}

// Made on first use and only once, however often the icon was copied; until then nothing is
// painted. Then it shows exactly what the icon made at once shows, at either ratio and by each
// way a widget asks for it.
TEST(LazyIcon, MadeOnceOnFirstUseAndPaintsAsTheIconItStandsFor) {
    int made = 0;
    const QIcon lazy = pelvo::lazyIcon([&made] {
        ++made;
        return smileyIcon();
    });
    const QIcon copy = lazy;
    QIcon second = copy;
    EXPECT_EQ(made, 0);

    const QIcon eager = smileyIcon();
    const QSize size(pelvo::smilies::width, pelvo::smilies::height);
    for (qreal ratio : {1.0, 2.0}) {
        EXPECT_EQ(second.pixmap(size, ratio).toImage(), eager.pixmap(size, ratio).toImage())
            << ratio;
        EXPECT_EQ(painted(lazy, ratio), painted(eager, ratio)) << ratio;
    }
    EXPECT_EQ(lazy.actualSize(size), eager.actualSize(size));
    EXPECT_EQ(lazy.availableSizes(), eager.availableSizes());
    EXPECT_FALSE(copy.isNull());
    EXPECT_EQ(made, 1);

    const QIcon empty = pelvo::lazyIcon([] { return QIcon(); });
    EXPECT_TRUE(empty.isNull());
    EXPECT_TRUE(empty.pixmap(size).isNull());
}

} // namespace
