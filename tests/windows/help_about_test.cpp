#include "windows/Tabout.h"
#include "windows/Thelp.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

QPushButton* pageButton(const Thelp& help, int number) {
    return help.findChild<QPushButton*>(QStringLiteral("SelButton%1").arg(number));
}

TEST(HelpWindow, ButtonsFollowTheirTagsNotTheirOrder) {
    Thelp help;
    EXPECT_EQ(help.windowTitle(), "Pelvo - Help File");
    EXPECT_EQ(help.size(), QSize(567, 422));
    EXPECT_EQ(help.currentPage()->objectName(), "memo1");
    EXPECT_EQ(help.caption(), "Overview");

    // Top to bottom: captions, and the tag that picks the page.
    const std::pair<int, const char*> column[] = {
        {1, "Overview"}, {2, "Connecting"},    {3, "Game Play"}, {4, "Scoring"},
        {7, "Options"},  {5, "Documentation"}, {6, "License"},   {8, "The Lobby"}};
    int lastTop = -1;
    for (const auto& [number, caption] : column) {
        QPushButton* button = pageButton(help, number);
        ASSERT_NE(button, nullptr) << number;
        EXPECT_EQ(button->text(), caption);
        EXPECT_EQ(button->size(), QSize(117, 20));
        EXPECT_GT(button->y(), lastTop) << caption;
        lastTop = button->y();

        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(help.currentPage()->objectName(), QStringLiteral("memo%1").arg(number));
        EXPECT_EQ(help.caption(), caption);
    }
    auto* side = help.findChild<QWidget*>("panel_side");
    ASSERT_NE(side, nullptr);
    EXPECT_EQ(side->width(), 137);
}

TEST(HelpWindow, PagesHoldTheirOwnTexts) {
    Thelp help;
    auto page = [&](int n) {
        auto* memo = help.findChild<QTextBrowser*>(QStringLiteral("memo%1").arg(n));
        return memo ? memo->toPlainText() : QString();
    };
    for (int n = 1; n <= 8; ++n) {
        auto* memo = help.findChild<QTextBrowser*>(QStringLiteral("memo%1").arg(n));
        ASSERT_NE(memo, nullptr);
        EXPECT_TRUE(memo->isReadOnly());
        EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_GT(memo->toPlainText().size(), 200) << n; // the resource was found
    }
    EXPECT_TRUE(page(2).contains("7772"));
    EXPECT_TRUE(page(2).contains("pelvo NAME ADDRESS true"));
    // Taking the discard starts at the pile; a grid click alone takes nothing.
    EXPECT_TRUE(page(3).contains("Click the discard pile first"));
    EXPECT_TRUE(page(1).contains("-6"));
    EXPECT_TRUE(page(4).contains("-6"));
    EXPECT_TRUE(page(4).contains("25 points"));
    EXPECT_TRUE(page(5).startsWith("History"));
    EXPECT_TRUE(page(5).contains("1.0.1"));
    EXPECT_TRUE(page(7).contains("Bot and Delay Speed"));
    EXPECT_TRUE(page(7).contains("Spy List"));
}

TEST(HelpWindow, DoneKeepsTheLastPageAndAboutAsksForTheAboutWindow) {
    Thelp help;
    help.show();
    QTest::mouseClick(pageButton(help, 4), Qt::LeftButton);
    QTest::mouseClick(help.findChild<QPushButton*>("button_done"), Qt::LeftButton);
    EXPECT_FALSE(help.isVisible());
    help.show();
    EXPECT_EQ(help.currentPage()->objectName(), "memo4");
    EXPECT_EQ(help.caption(), "Scoring");

    QSignalSpy asked(&help, &Thelp::aboutRequested);
    QTest::mouseClick(help.findChild<QPushButton*>("button_about"), Qt::LeftButton);
    EXPECT_EQ(asked.count(), 1);
}

TEST(AboutWindow, TextsAndVersion) {
    Tabout about;
    EXPECT_EQ(about.windowTitle(), "Pelvo - About");
    EXPECT_EQ(about.size(), QSize(304, 174));
    auto text = [&](const char* name) {
        auto* label = about.findChild<QLabel*>(name);
        return label ? label->text() : QStringLiteral("<missing>");
    };
    EXPECT_EQ(text("label_url"), "www.kavrel.example");
    EXPECT_EQ(text("Label1"), "Version");
    EXPECT_EQ(text("version"), "1.0.1");
    EXPECT_EQ(about.versionText(), "1.0.1");
    EXPECT_EQ(text("Label9"), ".0");
    auto* version = about.findChild<QLabel*>("version");
    auto* suffix = about.findChild<QLabel*>("Label9");
    EXPECT_EQ(suffix->x(), version->x() + version->width()); // reads 1.0.1.0
    EXPECT_EQ(suffix->y(), version->y());
    for (const char* credit : {"Label2", "Label3", "Label4", "Label5"})
        EXPECT_FALSE(text(credit).isEmpty()) << credit;
}

TEST(AboutWindow, LogoAndAddressLineOpenTheSameSite) {
    Tabout about;
    about.show();
    QStringList opened;
    about.setUrlOpener([&](const QUrl& url) { opened << url.toString(); });
    QTest::mouseClick(about.findChild<QLabel*>("label_url"), Qt::LeftButton);
    QTest::mouseClick(about.findChild<QLabel*>("image_aboutlogo"), Qt::LeftButton);
    about.label_urlClick(); // the board's logo
    EXPECT_EQ(opened, QStringList(3, "http://www.kavrel.example"));

    QTest::mouseClick(about.findChild<QPushButton*>("button_done"), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
}

} // namespace
