#include "windows/MessageBox.h"
#include "windows/Ttallylist.h"

#include "client/Tchat.h"
#include "client/board/Board.h"
#include "compression/Lzrw1Codec.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace pelvo;

namespace {

QByteArray crlf(std::initializer_list<const char*> lines) {
    QByteArray text;
    for (const char* line : lines) text += QByteArray(line) + "\r\n";
    return text;
}

std::vector<std::uint8_t> bytes(const QByteArray& data) {
    return {data.begin(), data.end()};
}

// Every test gets its own tally folder and its own temporary folder, so scratch files left
// behind can be seen; message boxes are recorded and answered from `answer`.
class Tally : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid() && scratch.isValid());
        previousTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", scratch.path().toUtf8());
        previousInform =
            setMessageBoxHandler([this](QWidget*, const QString& t) { informed << t; });
        previousConfirm = setQuestionHandler([this](QWidget*, const QString& t) {
            asked << t;
            return answer;
        });
    }
    void TearDown() override {
        window.reset();
        setMessageBoxHandler(previousInform);
        setQuestionHandler(previousConfirm);
        qputenv("TMPDIR", previousTmp);
        EXPECT_EQ(scratchFiles(), QStringList()) << "scratch files left behind";
    }

    QStringList scratchFiles() const {
        return QDir(scratch.path()).entryList({"pelvo-tally-*"}, QDir::AllEntries | QDir::Hidden);
    }
    QString tallyPath() const { return QDir(home.path()).filePath("Pelvotally.tld"); }
    Ttallylist& open() {
        window = std::make_unique<Ttallylist>(tallyPath());
        return *window;
    }
    void reopen() {
        window.reset();
        open();
    }
    void writeTally(const QByteArray& content) {
        QFile f(tallyPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    void writeGridText(const QByteArray& text) {
        const auto packed = lzrw1::compress(bytes(text));
        writeTally(
            QByteArray(reinterpret_cast<const char*>(packed.data()), qsizetype(packed.size())));
    }
    QByteArray storedGridText() const {
        QFile f(tallyPath());
        if (!f.open(QIODevice::ReadOnly)) return {};
        const auto text = lzrw1::decompress(bytes(f.readAll()));
        return QByteArray(reinterpret_cast<const char*>(text.data()), qsizetype(text.size()));
    }

    // The players at the table as the main window lists them: none of them followed yet.
    void seat(const QStringList& names) {
        QListWidget* list = window->checklist();
        list->clear();
        for (const QString& name : names) {
            auto* item = new QListWidgetItem(name, list);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    void follow(const QString& name) {
        const auto found = window->checklist()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << qPrintable(name);
        window->checklistClickCheck(found.first());
    }
    // Columns 1 to 8 of an opponent's row, joined.
    QString counts(const QString& name) const {
        const StringGrid& grid = window->stringgrid_scores();
        for (int row = 1; row < grid.rowCount(); ++row)
            if (grid.cell(0, row) == name) {
                QStringList cells;
                for (int col = 1; col <= 8; ++col) cells << grid.cell(col, row);
                return cells.join(' ');
            }
        return "not followed";
    }
    QString text(const char* name) const { return window->findChild<QLabel*>(name)->text(); }
    QStringList followed() const {
        QStringList names;
        for (int i = 0; i < window->listbox_tally()->count(); ++i) {
            QListWidgetItem* item = window->listbox_tally()->item(i);
            names << item->text() + (item->checkState() == Qt::Checked ? "" : " (unticked)");
        }
        return names;
    }
    void expectEmptyTally() {
        const StringGrid& grid = window->stringgrid_scores();
        EXPECT_EQ(grid.rowCount(), 1);
        for (int col = 0; col < StringGrid::ColCount; ++col) EXPECT_EQ(grid.cell(col, 0), "0");
        EXPECT_EQ(window->listbox_tally()->count(), 0);
        EXPECT_EQ(text("mylabel_1"), "0");
    }

    QTemporaryDir home, scratch;
    QByteArray previousTmp;
    MessageBoxHandler previousInform;
    QuestionHandler previousConfirm;
    QStringList informed, asked;
    bool answer = true;
    std::unique_ptr<Ttallylist> window;
};

TEST_F(Tally, GridTextIsCountsThenCellsColumnByColumn) {
    open();
    for (int game = 0; game < 4; ++game) window->addgame(game == 0 ? "addtomine" : "Bo");
    EXPECT_EQ(window->stringgrid_scores().toText(),
              crlf({"9", "1", "0", "4", "1", "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(text("mylabel_1"), "4");
    EXPECT_EQ(text("mylabel_2"), "1");

    seat({"Bo", "Zoë"});
    follow("Zoë");
    const QByteArray two = window->stringgrid_scores().toText();
    EXPECT_EQ(two, crlf({"9", "2", "0", "Zo\xC3\xAB", "4", "0", "1", "0", "0", "0",
                         "0", "0", "0", "0",          "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(StringGrid::fromText(two), window->stringgrid_scores());
    // Bare LF line ends and a single-byte name read as well.
    const auto lf = StringGrid::fromText("9\n2\n0\nZo\xEB\n");
    ASSERT_TRUE(lf);
    EXPECT_EQ(lf->cell(0, 1), "Zoë");
    EXPECT_EQ(lf->cell(1, 1), "") << "a missing cell is empty";

    // A line break in a name from the wire never shifts the saved cells.
    seat({"Bo", "Cy\r\nEve\nX"});
    follow("Cy\r\nEve\nX");
    const auto back = StringGrid::fromText(window->stringgrid_scores().toText());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->rowCount(), window->stringgrid_scores().rowCount());
    EXPECT_EQ(*back, window->stringgrid_scores());
}

TEST_F(Tally, SavedAtTheEndAndReloadedWithFreshSessionCounts) {
    open();
    EXPECT_FALSE(QFile::exists(tallyPath())) << "nothing is written before the end";
    seat({"Bo", "Cy", "Di"});
    follow("Bo");
    follow("Cy");
    window->addgame("Bo");
    window->addgame("addtomine");
    window->addgame("Di");
    EXPECT_EQ(counts("Bo"), "3 1 1 1 3 1 1 1");

    window.reset();
    EXPECT_EQ(storedGridText(),
              crlf({"9", "3", "0", "Bo", "Cy", "3", "3", "3", "1", "1", "0", "0", "1", "1", "0",
                    "1", "2", "0", "3",  "3",  "0", "1", "0", "0", "1", "1", "0", "1", "2"}));
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files), QStringList({"Pelvotally.tld"}));

    open();
    EXPECT_TRUE(informed.isEmpty());
    EXPECT_EQ(followed(), QStringList({"Bo", "Cy"}));
    EXPECT_EQ(counts("Bo"), "3 1 1 1 0 0 0 0");
    EXPECT_EQ(counts("Cy"), "3 0 1 2 0 0 0 0");
    EXPECT_EQ(text("mylabel_1"), "3");
    EXPECT_EQ(text("mylabel_2"), "1");
    window->listbox_tally()->setCurrentRow(1);
    EXPECT_EQ(text("label_hisnametop"), "Cy's Tally");
    EXPECT_EQ(text("label_hisname"), "Cy Wins:");
    QStringList shown;
    for (int n = 1; n <= 8; ++n) shown << text(qPrintable(QString("label_%1").arg(n)));
    EXPECT_EQ(shown.join(' '), "3 0 1 2 0 0 0 0");
}

TEST_F(Tally, AnOpponentsNameIsShownAsTyped) {
    open();
    const QString name = QStringLiteral("<i>Bo</i>");
    seat({name});
    follow(name);
    window->listbox_tally()->setCurrentRow(0);
    for (const char* control : {"label_hisnametop", "label_hisname"}) {
        const QLabel* label = window->findChild<QLabel*>(control);
        EXPECT_TRUE(label->text().startsWith(name)) << control;
        // Drawn as text, the label needs the room of every character it holds.
        EXPECT_GE(label->sizeHint().width(), label->fontMetrics().horizontalAdvance(name))
            << control;
    }
}

TEST_F(Tally, EachGameCountsForTheFollowedOpponentsAtTheTable) {
    open();
    seat({"Bo", "Cy", "Eve"});
    follow("Bo");
    follow("Cy");
    follow("Eve");
    seat({"Bo", "Cy", "Di"}); // Eve left; Di is not followed
    window->listbox_tally()->setCurrentRow(0);

    window->addgame("Bo");
    EXPECT_EQ(counts("Bo"), "1 1 0 0 1 1 0 0");
    EXPECT_EQ(counts("Cy"), "1 0 0 1 1 0 0 1");
    EXPECT_EQ(text("mylabel_1"), "1");
    EXPECT_EQ(text("mylabel_2"), "0");
    EXPECT_EQ(text("label_2"), "1") << "the selected opponent's counts are refreshed";

    window->addgame("addtomine");
    EXPECT_EQ(counts("Bo"), "2 1 1 0 2 1 1 0");
    EXPECT_EQ(counts("Cy"), "2 0 1 1 2 0 1 1");
    EXPECT_EQ(text("mylabel_2"), "1");

    window->addgame("Di");
    EXPECT_EQ(counts("Bo"), "3 1 1 1 3 1 1 1");
    EXPECT_EQ(counts("Cy"), "3 0 1 2 3 0 1 2");
    EXPECT_EQ(counts("Eve"), "0 0 0 0 0 0 0 0");
    EXPECT_EQ(counts("Di"), "not followed");
    EXPECT_EQ(window->stringgrid_scores().cell(1, 0), "3");

    // Names are compared exactly: "BO" is someone else, so Bo did not win this one.
    window->addgame("BO");
    EXPECT_EQ(counts("Bo"), "4 1 1 2 4 1 1 2");
    // Each seat is counted: two seats under one followed name count his row twice, both for
    // his win and for a game neither won.
    seat({"Bo", "Cy", "Bo"});
    window->addgame("Bo");
    EXPECT_EQ(counts("Bo"), "6 3 1 2 6 3 1 2");
    EXPECT_EQ(counts("Cy"), "5 0 1 4 5 0 1 4");
    window->addgame("Cy");
    EXPECT_EQ(counts("Bo"), "8 3 1 4 8 3 1 4");
    EXPECT_EQ(counts("Cy"), "6 1 1 4 6 1 1 4");
    EXPECT_EQ(text("mylabel_1"), "6") << "this player's own games count once";
    EXPECT_EQ(window->recordedGames(), QStringList({"Bo", "addtomine", "Di", "BO", "Bo", "Cy"}));
}

TEST_F(Tally, FollowingByTickBoxAddsARowOnce) {
    open();
    seat({"Bo", "bo"});
    EXPECT_EQ(window->stringgrid_scores().rowCount(), 1) << "filling the list follows nobody";
    QListWidget* list = window->checklist();
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(followed(), QStringList({"Bo"}));
    EXPECT_EQ(counts("Bo"), "0 0 0 0 0 0 0 0");
    EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);

    window->addgame("Bo");
    // Clicking a followed player's box again does nothing: the box shows the click (unticked),
    // the player stays followed, and ticking it once more adds no second row.
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(list->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(followed(), QStringList({"Bo"}));
    EXPECT_EQ(counts("Bo"), "1 1 0 0 1 1 0 0");
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(followed(), QStringList({"Bo"}));
    EXPECT_EQ(window->stringgrid_scores().rowCount(), 2);

    follow("bo");
    EXPECT_EQ(followed(), QStringList({"Bo", "bo"})) << "letter case makes another name";
}

TEST_F(Tally, UntickingAFollowedOpponentAsksBeforeDeleting) {
    open();
    seat({"Bo", "Cy", "Di"});
    follow("Bo");
    follow("Cy");
    follow("Di");
    window->addgame("Cy");
    QListWidget* list = window->listbox_tally();
    list->setCurrentRow(1);

    answer = false;
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(asked, QStringList({"This will delete Cy's Tally, Are you want to delete it?"}));
    EXPECT_EQ(followed(), QStringList({"Bo", "Cy", "Di"}));
    EXPECT_EQ(window->stringgrid_scores().rowCount(), 4);

    answer = true;
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(followed(), QStringList({"Bo", "Di"}));
    EXPECT_EQ(counts("Cy"), "not followed");
    EXPECT_EQ(window->stringgrid_scores().cell(0, 2), "Di") << "later rows move up";
    EXPECT_EQ(counts("Di"), "1 0 0 1 1 0 0 1");
    EXPECT_EQ(window->checklist()->item(1)->checkState(), Qt::Unchecked);

    window->moverow(0); // row 0 is this player's own
    window->moverow(9);
    EXPECT_EQ(window->stringgrid_scores().rowCount(), 3);

    for (int i = 1; i >= 0; --i) {
        list->item(i)->setCheckState(Qt::Unchecked);
        window->listbox_tallyClickCheck(list->item(i));
    }
    EXPECT_EQ(window->stringgrid_scores().rowCount(), 1);
    EXPECT_TRUE(followed().isEmpty());
    window->addgame("Bo");
    EXPECT_EQ(window->stringgrid_scores().rowCount(), 1);
}

TEST_F(Tally, ResetAsksThenEmptiesEverything) {
    open();
    seat({"Bo"});
    follow("Bo");
    window->addgame("addtomine");
    auto* reset = window->findChild<QPushButton*>("button_reset");

    answer = false;
    reset->click();
    EXPECT_EQ(asked, QStringList({"Are you sure you want to reset the Tally?"}));
    EXPECT_EQ(counts("Bo"), "1 0 1 0 1 0 1 0");

    answer = true;
    reset->click();
    EXPECT_EQ(window->stringgrid_scores().toText(),
              crlf({"9", "1", "", "", "", "", "", "", "", "", ""}));
    EXPECT_TRUE(followed().isEmpty());
    EXPECT_EQ(text("mylabel_1"), "0");
    EXPECT_EQ(text("mylabel_2"), "0");
    EXPECT_EQ(text("label_3"), "0");
    EXPECT_EQ(window->checklist()->item(0)->checkState(), Qt::Unchecked);

    window->addgame("Bo");
    EXPECT_EQ(text("mylabel_1"), "1") << "an empty cell counts from 0";
    window.reset();
    open();
    EXPECT_EQ(text("mylabel_1"), "1");
    EXPECT_EQ(text("mylabel_2"), "");
}

TEST_F(Tally, CellsThatAreNotNumbersCountFromZero) {
    writeGridText(crlf({"9", "2", "0", "Bo", "x", "", "-5", "2147483647", "7", "",
                        "",  "",  "",  "",   "",  "", "",   "",           "",  ""}));
    open();
    EXPECT_TRUE(informed.isEmpty());
    EXPECT_EQ(text("mylabel_1"), "x");
    seat({"Bo"});
    window->addgame("Bo");
    EXPECT_EQ(text("mylabel_1"), "1");
    EXPECT_EQ(counts("Bo"), "1 2147483648 0 0 1 1 0 0");
    window->addgame("addtomine");
    EXPECT_EQ(text("mylabel_2"), "-4");
    EXPECT_EQ(counts("Bo"), "2 2147483648 1 0 2 1 1 0");
}

TEST_F(Tally, ADamagedTallyFileIsReportedAndStartsEmpty) {
    const QByteArray good = [] {
        const auto packed =
            lzrw1::compress(bytes(crlf({"9", "2", "0", "Bo", "5", "5", "2", "2", "0", "0",
                                        "0", "0", "0", "0",  "0", "0", "0", "0", "0", "0"})));
        return QByteArray(reinterpret_cast<const char*>(packed.data()), qsizetype(packed.size()));
    }();
    QByteArray hugeLength = good;
    hugeLength[7] = char(0x7F);
    const struct {
        const char* what;
        QByteArray file;
        bool packText;
    } cases[] = {
        {"not a tally file", "9\r\n1\r\n0\r\n", false},
        {"cut short", good.left(good.size() - 5), false},
        {"claims to unpack to 2 GiB", hugeLength, false},
        {"a billion rows", crlf({"9", "1000000000", "0"}), true},
        {"negative rows", crlf({"9", "-3"}), true},
        {"no rows", crlf({"9", "0"}), true},
        {"rows not a number", crlf({"9", "many"}), true},
        {"no counts at all", "", true},
        {"columns not a number", crlf({"nine", "1"}), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        informed.clear();
        if (c.packText)
            writeGridText(c.file);
        else
            writeTally(c.file);
        open();
        ASSERT_EQ(informed.size(), 1);
        if (QByteArray(c.what) == "not a tally file") {
            EXPECT_TRUE(informed[0].contains("this file has no valid header"))
                << qPrintable(informed[0]);
        }
        expectEmptyTally();
        // The damaged file is kept aside under a name the message tells.
        const QStringList aside =
            QDir(home.path()).entryList({"*.damaged-*"}, QDir::Files, QDir::Name);
        ASSERT_EQ(aside.size(), int(&c - cases) + 1);
        EXPECT_TRUE(informed[0].contains("was kept as")) << qPrintable(informed[0]);
        EXPECT_TRUE(std::any_of(aside.begin(), aside.end(),
                                [&](const QString& name) { return informed[0].contains(name); }));
        window->addgame("addtomine");
        window.reset();
        // The empty tally is saved in its place; no earlier damaged copy was overwritten.
        EXPECT_EQ(storedGridText(), crlf({"9", "1", "0", "1", "1", "0", "0", "0", "0", "0", "0"}));
        EXPECT_EQ(scratchFiles(), QStringList());
    }

    // A good file with more columns than ours keeps the first nine.
    writeGridText(crlf({"10", "1", "0", "6", "2", "0", "0", "0", "0", "0", "0", "extra"}));
    informed.clear();
    open();
    EXPECT_TRUE(informed.isEmpty());
    EXPECT_EQ(text("mylabel_1"), "6");
}

TEST_F(Tally, AnUnwritableFolderLeavesNothingBehind) {
    window = std::make_unique<Ttallylist>(QDir(home.path()).filePath("missing/Pelvotally.tld"));
    window->addgame("addtomine");
    window.reset();
    EXPECT_TRUE(QDir(home.path()).isEmpty());
    EXPECT_TRUE(informed.isEmpty());

    // A memory-only tally neither reads nor writes.
    window = std::make_unique<Ttallylist>();
    window->addgame("addtomine");
    window.reset();
    EXPECT_TRUE(QDir(home.path()).isEmpty());
}

TEST_F(Tally, TheMainWindowKeepsTheTallyInTheDataFolder) {
    const QByteArray previousHome = qgetenv("PELVO_HOME");
    qputenv("PELVO_HOME", home.path().toUtf8());
    {
        Tchat main({});
        EXPECT_EQ(main.tallylist()->tallyFile(), tallyPath());
        emit main.session().gameRecorded("addtomine");
    }
    qputenv("PELVO_HOME", previousHome);
    EXPECT_EQ(storedGridText(), crlf({"9", "1", "0", "1", "1", "0", "0", "0", "0", "0", "0"}));
}

TEST_F(Tally, WindowLooksAsDesigned) {
    QWidget owner;
    owner.setGeometry(200, 150, 767, 560);
    owner.show();
    window = std::make_unique<Ttallylist>(tallyPath(), &owner);
    Ttallylist& w = *window;
    EXPECT_EQ(w.windowTitle(), "Pelvo - Tally List");
    EXPECT_EQ(w.size(), QSize(475, 347));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    EXPECT_FALSE(w.isModal());
    QStringList texts;
    for (QLabel* l : w.findChildren<QLabel*>())
        if (l->isVisibleTo(&w)) texts << l->text();
    for (const char* t : {"Your Total Tally", "Total Games:", "Your Wins", "Number of Games",
                          "XX Wins:", "Your Wins:", "Neither Won:", "Total", "Session",
                          "Players In Current Game", "Players Being Tallied"})
        EXPECT_TRUE(texts.contains(t)) << t;
    EXPECT_FALSE(w.findChild<QLabel*>("mylabel_3")->isVisibleTo(&w));
    EXPECT_FALSE(w.findChild<QLabel*>("mylabel_4")->isVisibleTo(&w));
    EXPECT_EQ(w.findChild<QPushButton*>("button_reset")->text(), "Reset Tally");

    seat({"Bo", "Cy", "Annabelle"});
    follow("Bo");
    follow("Annabelle");
    for (const char* winner : {"Bo", "addtomine", "Cy", "addtomine", "Annabelle", "addtomine"})
        window->addgame(winner);
    w.listbox_tally()->setCurrentRow(1);
    w.show();
    EXPECT_EQ(w.frameGeometry().center(), owner.frameGeometry().center());
    w.grab().save("/tmp/tally.png");

    w.findChild<QPushButton*>("button_done")->click();
    EXPECT_TRUE(w.isHidden());
    EXPECT_EQ(counts("Bo"), "6 1 3 2 6 1 3 2") << "closing keeps the tally";
    window.reset(); // before its owner goes
}

} // namespace
