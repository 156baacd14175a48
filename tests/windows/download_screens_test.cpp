// Pictures of the help, about, download and spy list windows for a look by eye:
// PELVO_SHOT_DIR=/tmp pelvo_windows_tests --gtest_filter='SideWindowPictures.*'
#include "windows/Tabout.h"
#include "windows/Tdownload.h"
#include "windows/Thelp.h"
#include "windows/Tspylist.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace pelvo;

TEST(SideWindowPictures, SaveWhenAsked) {
    const QString folder = qEnvironmentVariable("PELVO_SHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "PELVO_SHOT_DIR is not set";
    Thelp help;
    help.show();
    if (auto* scoring = help.findChild<QPushButton*>("SelButton4")) scoring->click();
    Tabout about;
    about.show();
    Tdownload download;
    download.show();
    // A transfer under way, to see the status lines in place.
    download.findChild<QLabel*>("infolabel")->setText("48213 bytes");
    download.findChild<QLabel*>("infolabel3")->setText("Downloading: KavrelHubSetup.exe");
    Tspylist spies;
    spies.showSpectators({{6, "Bo"}, {7, "Cy"}});
    spies.show();
    EXPECT_TRUE(help.grab().save(QDir(folder).filePath("help.png")));
    EXPECT_TRUE(about.grab().save(QDir(folder).filePath("about.png")));
    EXPECT_TRUE(download.grab().save(QDir(folder).filePath("download.png")));
    EXPECT_TRUE(spies.grab().save(QDir(folder).filePath("spylist.png")));
}
