#include "windows/Tphrases.h"

#include <QLabel>
#include <QPixmap>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <array>

namespace pelvo {

namespace {
constexpr int maxPhraseLength = 50;
constexpr int rowTop = 10, rowStep = 27, labelWidth = 100, editLeft = 112, editWidth = 270;
} // namespace

struct Tphrases::Impl {
    std::array<QLineEdit*, 9> edits{};
};

Tphrases::Tphrases(QWidget* parent) : QDialog(parent), d(new Impl) {
    setWindowTitle(QStringLiteral("Pelvo - Phrase Buttons "));
    // A fixed dialog border: no resizing, no minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setModal(false);

    for (int n = 1; n <= 9; ++n) {
        const int top = rowTop + (n - 1) * rowStep;
        auto* label = new QLabel(QStringLiteral("Phrase Button %1:").arg(n), this);
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        label->setGeometry(10, top + 3, labelWidth, 17);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("phrase%1").arg(n));
        edit->setMaxLength(maxPhraseLength);
        edit->setGeometry(editLeft, top, editWidth, 22);
        label->setBuddy(edit);
        d->edits[n - 1] = edit;
    }
    const int bottom = rowTop + 9 * rowStep;

    auto* note = new QLabel(QStringLiteral("Buttons can only be used once every 2 seconds"), this);
    note->setObjectName(QStringLiteral("Label13"));
    note->setWordWrap(true);
    QPalette pal = note->palette();
    pal.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00)); // maroon
    note->setPalette(pal);
    note->setGeometry(10, bottom + 4, 270, 34);

    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    done->setGeometry(editLeft + editWidth - 80, bottom + 8, 80, 25);
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &Tphrases::button_doneClick);

    setFixedSize(editLeft + editWidth + 10, bottom + 46);
}

Tphrases::~Tphrases() {
    delete d;
}

void Tphrases::edit(const QStringList& phrases, QWidget* centreOn) {
    for (int n = 0; n < 9; ++n) d->edits[n]->setText(n < phrases.size() ? phrases[n] : QString());
    if (QWidget* owner = centreOn ? centreOn : parentWidget()) {
        const QPoint centre = owner->mapToGlobal(owner->rect().center());
        move(centre - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
    activateWindow();
}

void Tphrases::setBackground(const QPixmap& picture) {
    QPalette pal = palette();
    pal.setBrush(QPalette::Window, QBrush(picture));
    setPalette(pal);
    setAutoFillBackground(true);
}

QStringList Tphrases::phrases() const {
    QStringList list;
    for (const QLineEdit* e : d->edits) list << e->text();
    return list;
}

void Tphrases::button_doneClick() {
    emit done(phrases());
    close();
}

} // namespace pelvo
