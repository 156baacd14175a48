#include "windows/Ttallylist.h"

#include "windows/MessageBox.h"

#include "compression/Lzrw1.h"
#include "compression/Lzrw1Codec.h"
#include "protocol/WireText.h"
#include "windows/Art.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTemporaryFile>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <utility>

namespace pelvo {

namespace {

constexpr auto Mine = "addtomine";
std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// A tally file that decompresses but does not hold a tally.
std::runtime_error damaged(const QString& file) {
    return std::runtime_error(
        (file + QStringLiteral(" : the tally in this file cannot be read !")).toStdString());
}

// Reports tick-box changes that the user made (mouse or space bar), not those made in code,
// which QListWidget::itemChanged cannot tell apart.
class TickDelegate : public QStyledItemDelegate {
public:
    TickDelegate(QListWidget* list, std::function<void(QListWidgetItem*)> ticked)
        : QStyledItemDelegate(list), list_(list), ticked_(std::move(ticked)) {}

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        const QVariant before = index.data(Qt::CheckStateRole);
        const bool handled = QStyledItemDelegate::editorEvent(event, model, option, index);
        if (handled && index.data(Qt::CheckStateRole) != before)
            if (QListWidgetItem* item = list_->item(index.row())) ticked_(item);
        return handled;
    }

private:
    QListWidget* list_;
    std::function<void(QListWidgetItem*)> ticked_;
};

// Decompresses the tally file through a private scratch file and reads the grid from it.
// Throws ELzrw1Exception or std::runtime_error with the text for the user.
StringGrid readTallyFile(const QString& file) {
    {
        // The stored length says how much the file unpacks to; refuse a huge one up front
        // rather than writing it all out first.
        QFile packed(file);
        if (packed.open(QIODevice::ReadOnly)) {
            const QByteArray head = packed.read(lzrw1::HeaderSize);
            if (head.size() == qsizetype(lzrw1::HeaderSize) &&
                std::equal(head.begin(), head.begin() + 4, std::begin(lzrw1::Signature))) {
                const auto* b = reinterpret_cast<const uchar*>(head.constData()) + 4;
                const quint32 length = b[0] | b[1] << 8 | b[2] << 16 | quint32(b[3]) << 24;
                if (length > StringGrid::MaxTextBytes) throw damaged(file);
            }
        }
    }
    QTemporaryFile scratch(QDir(QDir::tempPath()).filePath(QStringLiteral("pelvo-tally-XXXXXX")));
    if (!scratch.open()) throw damaged(file);
    scratch.close();

    Tlzrw1 doit;
    doit.CompressMode = Tlzrw1::Fast;
    doit.InputFile = fsPath(file);
    doit.OutputFile = fsPath(scratch.fileName());
    doit.Decompress();

    QFile text(scratch.fileName());
    if (!text.open(QIODevice::ReadOnly) || text.size() > StringGrid::MaxTextBytes)
        throw damaged(file);
    std::optional<StringGrid> grid = StringGrid::fromText(text.readAll());
    if (!grid) throw damaged(file);
    return *grid;
}

// Writes the grid text to a private scratch file and compresses it into a file beside the
// tally, which then replaces the tally: a failed save keeps the previous tally whole.
void writeTallyFile(const QString& file, const StringGrid& grid) {
    QTemporaryFile scratch(QDir(QDir::tempPath()).filePath(QStringLiteral("pelvo-tally-XXXXXX")));
    if (!scratch.open()) return;
    const QByteArray text = grid.toText();
    if (scratch.write(text) != text.size() || !scratch.flush()) return;
    scratch.close();

    const QFileInfo target(file);
    QTemporaryFile packed(target.absoluteDir().filePath(target.fileName() + ".XXXXXX"));
    if (!packed.open()) return;
    packed.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                          QFile::ReadOther);
    packed.close();

    Tlzrw1 doit;
    doit.CompressMode = Tlzrw1::Fast;
    doit.InputFile = fsPath(scratch.fileName());
    doit.OutputFile = fsPath(packed.fileName());
    doit.Compress();
    std::filesystem::rename(fsPath(packed.fileName()), fsPath(file));
    packed.setAutoRemove(false);
}

// Moves a damaged tally file aside as <file>.damaged-YYYYMMDD-HHMMSS (with -2, -3 ... when that
// name is taken), so the empty tally saved at the end never replaces it. Empty when it could
// not be moved.
QString keepDamaged(const QString& file) {
    const QString base = file + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = base;
    for (int n = 2; QFileInfo::exists(aside) && n < 1000; ++n)
        aside = base + QLatin1Char('-') + QString::number(n);
    return !QFileInfo::exists(aside) && QFile::rename(file, aside) ? aside : QString();
}

} // namespace

// ---------------------------------------------------------------- the window

Ttallylist::Ttallylist(QWidget* parent) : Ttallylist(QString(), parent) {}

Ttallylist::Ttallylist(const QString& tallyFile, QWidget* parent)
    : QDialog(parent), tallyFile_(tallyFile) {
    buildControls();
    FormCreate();
}

Ttallylist::~Ttallylist() {
    FormDestroy();
}

void Ttallylist::buildControls() {
    setObjectName(QStringLiteral("tallylist"));
    setWindowTitle(QStringLiteral("Pelvo - Tally List"));
    // A fixed dialog border: no resizing, no minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setModal(false);
    setFixedSize(475, 347);
    setFont(art::pixelFont(12, false));

    auto makeLabel = [](QWidget* parent, const QString& name, const QString& text,
                        const QRect& place, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter,
                        bool bold = false) {
        auto* l = new QLabel(text, parent);
        l->setTextFormat(Qt::PlainText); // opponents' names are other people's text
        if (!name.isEmpty()) l->setObjectName(name);
        l->setGeometry(place);
        l->setAlignment(align);
        if (bold) l->setFont(art::pixelFont(12, true));
        return l;
    };
    auto makePanel = [this](const QRect& place) {
        auto* panel = new QFrame(this);
        panel->setGeometry(place);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setAutoFillBackground(true);
        QPalette pal = panel->palette();
        pal.setColor(QPalette::Window, pal.color(QPalette::Base));
        panel->setPalette(pal);
        return panel;
    };
    const Qt::Alignment number = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment centre = Qt::AlignHCenter | Qt::AlignVCenter;

    // This player's totals.
    QFrame* mine = makePanel({8, 8, 170, 118});
    QLabel* mineTop = makeLabel(mine, QStringLiteral("label_mytop"),
                                QStringLiteral("Your Total Tally"), {0, 6, 170, 18}, centre);
    mineTop->setFont(art::pixelFont(13, true));
    const char* mineCaptions[] = {"Total Games:", "Your Wins", "Var3:", "Var4:"};
    for (int n = 1; n <= 4; ++n) {
        const int top = 27 + n * 17;
        QLabel* caption = makeLabel(mine, QStringLiteral("mycaption_%1").arg(n),
                                    QString::fromLatin1(mineCaptions[n - 1]), {14, top, 96, 18});
        QLabel* value = makeLabel(mine, QStringLiteral("mylabel_%1").arg(n), QStringLiteral("0"),
                                  {104, top, 52, 18}, number, true);
        // Two spare counters that nothing counts.
        caption->setVisible(n <= 2);
        value->setVisible(n <= 2);
    }

    // The selected opponent's counts: all time and this session.
    QFrame* his = makePanel({186, 8, 281, 118});
    QLabel* hisTop = makeLabel(his, QStringLiteral("label_hisnametop"),
                               QStringLiteral("XX's Tally"), {6, 6, 269, 18}, centre);
    hisTop->setFont(art::pixelFont(13, true));
    constexpr int totalLeft = 150, sessionLeft = 208, valueWidth = 56;
    makeLabel(his, QStringLiteral("label_total"), QStringLiteral("Total"),
              {totalLeft, 26, valueWidth, 16}, number)
        ->setFont(art::pixelFont(11, true));
    makeLabel(his, QStringLiteral("label_session"), QStringLiteral("Session"),
              {sessionLeft, 26, valueWidth, 16}, number)
        ->setFont(art::pixelFont(11, true));
    const char* hisCaptions[] = {"Number of Games", "XX Wins:", "Your Wins:", "Neither Won:"};
    for (int n = 1; n <= 4; ++n) {
        const int top = 27 + n * 17;
        makeLabel(his,
                  n == 2 ? QStringLiteral("label_hisname") : QStringLiteral("hiscaption_%1").arg(n),
                  QString::fromLatin1(hisCaptions[n - 1]), {14, top, 134, 18});
        makeLabel(his, QStringLiteral("label_%1").arg(n), QStringLiteral("0"),
                  {totalLeft, top, valueWidth, 18}, number, true);
        makeLabel(his, QStringLiteral("label_%1").arg(n + 4), QStringLiteral("0"),
                  {sessionLeft, top, valueWidth, 18}, number, true);
    }

    // The two lists, captioned; their tick boxes call `ticked`.
    using Ticked = void (Ttallylist::*)(QListWidgetItem*);
    const auto makeList = [&](const QString& labelName, const char* text, const QString& listName,
                              int left, Ticked ticked) {
        makeLabel(this, labelName, QString::fromLatin1(text), {left + 2, 134, 223, 18},
                  Qt::AlignLeft | Qt::AlignVCenter, true);
        auto* list = new QListWidget(this);
        list->setObjectName(listName);
        list->setGeometry(left, 154, 225, 152);
        list->setItemDelegate(new TickDelegate(
            list, [this, ticked](QListWidgetItem* item) { (this->*ticked)(item); }));
        return list;
    };
    checklist_ = makeList(QStringLiteral("label_checklist"), "Players In Current Game",
                          QStringLiteral("checklist"), 8, &Ttallylist::checklistClickCheck);
    tally_ = makeList(QStringLiteral("label_tallied"), "Players Being Tallied",
                      QStringLiteral("listbox_tally"), 242, &Ttallylist::listbox_tallyClickCheck);
    connect(tally_, &QListWidget::currentRowChanged, this, [this] { listbox_tallyClick(); });

    auto* reset = new QPushButton(QStringLiteral("Reset Tally"), this);
    reset->setObjectName(QStringLiteral("button_reset"));
    reset->setGeometry(8, 314, 100, 26);
    reset->setAutoDefault(false);
    connect(reset, &QPushButton::clicked, this, &Ttallylist::button_resetClick);

    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    done->setGeometry(367, 314, 100, 26);
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &Ttallylist::button_doneClick);
}

QLabel* Ttallylist::label(const QString& name) const {
    return findChild<QLabel*>(name);
}

void Ttallylist::showEvent(QShowEvent* event) {
    // Opened (not restored from the task bar): centred on the main window, frames included.
    if (!event->spontaneous() && parentWidget() != nullptr) {
        const QRect frame = frameGeometry();
        move(parentWidget()->window()->frameGeometry().center() -
             (frame.center() - frame.topLeft()));
    }
    QDialog::showEvent(event);
}

// ---------------------------------------------------------------- loading and saving

void Ttallylist::FormCreate() {
    for (int col = 0; col < StringGrid::ColCount; ++col) grid_.setCell(col, 0, QStringLiteral("0"));
    if (!tallyFile_.isEmpty() && QFileInfo::exists(tallyFile_)) {
        try {
            grid_ = readTallyFile(tallyFile_);
        } catch (const std::exception& e) {
            // The tally starts empty and replaces the damaged file at the end.
            grid_ = StringGrid();
            for (int col = 0; col < StringGrid::ColCount; ++col)
                grid_.setCell(col, 0, QStringLiteral("0"));
            QString text = QString::fromStdString(e.what());
            const QString kept = keepDamaged(tallyFile_);
            if (!kept.isEmpty())
                text += QStringLiteral("\nThe damaged file was kept as %1.").arg(kept);
            // Shown without waiting: the window is created before the main window is on screen.
            showNotice(this, "Pelvo", text, NoticeIcon::Warning);
        }
    }
    loadtally();
}

void Ttallylist::loadtally() {
    showMine();
    tally_->clear();
    for (int row = 1; row < grid_.rowCount(); ++row) {
        addFollowed(grid_.cell(0, row));
        for (int col = 5; col <= 8; ++col) grid_.setCell(col, row, QStringLiteral("0"));
    }
}

void Ttallylist::FormDestroy() {
    savetally();
}

void Ttallylist::savetally() {
    if (tallyFile_.isEmpty()) return;
    try {
        writeTallyFile(tallyFile_, grid_);
    } catch (...) {
        // Nothing to tell anyone at the end of the program; the previous tally stays.
    }
}

// ---------------------------------------------------------------- counting

qint64 Ttallylist::addit(int column, int row) {
    bool ok = false;
    qint64 value = grid_.cell(column, row).toLongLong(&ok);
    if (!ok) value = 0;
    if (value < LLONG_MAX) ++value;
    grid_.setCell(column, row, QString::number(value));
    return value;
}

void Ttallylist::addtomineincrease(int column) {
    const qint64 value = addit(column, 0);
    if (QLabel* l = label(QStringLiteral("mylabel_%1").arg(column)))
        l->setText(QString::number(value));
}

void Ttallylist::addgame(const QString& winner) {
    recorded_.append(winner);
    addtomineincrease(1);
    if (winner == QLatin1String(Mine)) addtomineincrease(2);

    // Every seat counts, so two seats under one followed name count that row twice.
    for (int i = 0; i < checklist_->count(); ++i) {
        const QString name = checklist_->item(i)->text();
        const int index = followedIndex(name);
        if (index < 0) continue;
        const int row = index + 1;
        // A followed entry without a grid row (the list filled from elsewhere) gets one.
        if (row >= grid_.rowCount()) {
            if (row >= StringGrid::MaxRows) continue;
            grid_.setRowCount(row + 1);
            grid_.setCell(0, row, name);
        }
        for (int col = 1; col <= 8; ++col)
            if (grid_.cell(col, row).isEmpty()) grid_.setCell(col, row, QStringLiteral("0"));
        addit(1, row);
        addit(5, row);
        if (name == winner) {
            addit(2, row);
            addit(6, row);
        } else if (winner == QLatin1String(Mine)) {
            addit(3, row);
            addit(7, row);
        } else {
            addit(4, row);
            addit(8, row);
        }
    }
    listbox_tallyClick();
}

// ---------------------------------------------------------------- the lists

int Ttallylist::followedIndex(const QString& name) const {
    for (int i = 0; i < tally_->count(); ++i)
        if (tally_->item(i)->text() == name) return i;
    return -1;
}

QListWidgetItem* Ttallylist::addFollowed(const QString& name) {
    auto* item = new QListWidgetItem(name, tally_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    return item;
}

void Ttallylist::syncChecklist() {
    for (int i = 0; i < checklist_->count(); ++i) {
        QListWidgetItem* item = checklist_->item(i);
        item->setCheckState(followedIndex(item->text()) >= 0 ? Qt::Checked : Qt::Unchecked);
    }
}

void Ttallylist::checklistClickCheck(QListWidgetItem* item) {
    if (item == nullptr) return;
    const QString name = item->text();
    // Following is undone only in "Players Being Tallied"; here a followed name stays as it is,
    // whatever its box now shows.
    if (followedIndex(name) >= 0 || grid_.rowCount() >= StringGrid::MaxRows) return;
    const int row = grid_.rowCount();
    grid_.setRowCount(row + 1);
    grid_.setCell(0, row, name);
    for (int col = 1; col <= 8; ++col) grid_.setCell(col, row, QStringLiteral("0"));
    addFollowed(name);
}

void Ttallylist::listbox_tallyClick() {
    const int index = tally_->currentRow();
    if (index < 0) return;
    const int row = index + 1;
    for (int col = 1; col <= 8; ++col)
        label(QStringLiteral("label_%1").arg(col))->setText(grid_.cell(col, row));
    const QString name = tally_->item(index)->text();
    label(QStringLiteral("label_hisname"))->setText(name + " Wins:");
    label(QStringLiteral("label_hisnametop"))->setText(name + "'s Tally");
}

void Ttallylist::listbox_tallyClickCheck(QListWidgetItem* item) {
    if (item == nullptr || item->checkState() != Qt::Unchecked) return;
    const QString name = item->text();
    if (!askQuestion(this, "Confirm",
                     "This will delete " + name + "'s Tally, Are you want to delete it?")) {
        item->setCheckState(Qt::Checked);
        return;
    }
    // Games may be counted while the question is open; find the entry again.
    const int index = tally_->row(item);
    if (index < 0) return;
    moverow(index + 1);
    delete tally_->takeItem(index);
    syncChecklist();
}

void Ttallylist::moverow(int row) {
    const int rows = grid_.rowCount();
    if (row < 1 || row >= rows) return;
    for (int r = row; r < rows - 1; ++r)
        for (int col = 0; col < StringGrid::ColCount; ++col)
            grid_.setCell(col, r, grid_.cell(col, r + 1));
    grid_.setRowCount(rows - 1);
}

void Ttallylist::button_resetClick() {
    if (!askQuestion(this, "Confirm", QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    for (int col = 1; col <= 4; ++col) {
        label(QStringLiteral("mylabel_%1").arg(col))->setText(QStringLiteral("0"));
        grid_.setCell(col, 0, QStringLiteral("0"));
    }
    // Row 0 ends up empty, which counts as 0 like "0" does.
    for (int row = 0; row < grid_.rowCount(); ++row)
        for (int col = 0; col < StringGrid::ColCount; ++col)
            grid_.setCell(col, row, row == 0 ? QString() : QStringLiteral("0"));
    tally_->clear();
    grid_.setRowCount(1);
    for (int col = 1; col <= 8; ++col)
        label(QStringLiteral("label_%1").arg(col))->setText(QStringLiteral("0"));
    syncChecklist();
}

void Ttallylist::button_doneClick() {
    close();
}

void Ttallylist::showMine() {
    for (int col = 1; col <= 4; ++col)
        label(QStringLiteral("mylabel_%1").arg(col))->setText(grid_.cell(col, 0));
}

} // namespace pelvo
