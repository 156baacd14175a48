#include "windows/Thelp.h"

// own
#include "windows/Art.h"
#include "windows/help/SideWindowArt.h"

// Qt
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QWidget>

namespace pelvo {

namespace {

constexpr int ClientWidth = 567;
constexpr int ClientHeight = 422;
constexpr int SideWidth = 137;
constexpr int ButtonLeft = 10, ButtonWidth = 117, ButtonHeight = 20;

struct PageButton {
    int number; // SelButton<number>
    int tag;    // the page it shows
    const char* caption;
    const char* text; // resource holding the page's text
};

// Top to bottom as they stand in the side panel; "Options" came late and kept tag 7.
constexpr PageButton PageButtons[] = {
    {1, 1, "Overview", ":/help/overview.html"},  {2, 2, "Connecting", ":/help/connecting.html"},
    {3, 3, "Game Play", ":/help/gameplay.html"}, {4, 4, "Scoring", ":/help/scoring.html"},
    {7, 7, "Options", ":/help/options.html"},    {5, 5, "Documentation", ":/help/history.html"},
    {6, 6, "License", ":/help/license.html"},    {8, 8, "The Lobby", ":/help/lobby.html"},
};

QString pageText(const char* resource) {
    QFile file(QString::fromLatin1(resource));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(file.readAll());
}

QTextBrowser* makePage(int tag, const QString& html, QWidget* parent) {
    auto* page = new QTextBrowser(parent);
    page->setObjectName(QStringLiteral("memo%1").arg(tag));
    page->setReadOnly(true);
    page->setOpenLinks(false);
    page->setFrameShape(QFrame::NoFrame);
    page->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    page->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    page->document()->setDocumentMargin(5);
    QPalette pal = page->palette();
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Text, Qt::black);
    page->setPalette(pal);
    page->setFont(art::pixelFont(13, false));
    page->document()->setDefaultStyleSheet(
        QStringLiteral("h3 { color: #800000; margin-top: 6px; margin-bottom: 2px; }"
                       "p { margin-top: 2px; margin-bottom: 6px; }"));
    page->setHtml(html);
    return page;
}

QPushButton* sideButton(QWidget* parent, const QString& name, const QString& caption, int top,
                        bool leftAligned) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFlat(true);
    button->setFocusPolicy(Qt::TabFocus); // the pages are reached by Tab and Space as well
    button->setCursor(Qt::PointingHandCursor);
    button->setGeometry(ButtonLeft, top, ButtonWidth, ButtonHeight);
    button->setStyleSheet(
        QStringLiteral("QPushButton { border: none; border-radius: 3px; padding: 0 6px;"
                       " color: black; background: transparent; text-align: %1; }"
                       "QPushButton:hover { background: rgba(255, 255, 255, 70); }"
                       "QPushButton:checked { background: rgba(255, 255, 255, 150);"
                       " font-weight: bold; }")
            .arg(leftAligned ? QStringLiteral("left") : QStringLiteral("center")));
    return button;
}

} // namespace

Thelp::Thelp(QWidget* parent) : SideWindow(parent) {
    sidewindows::initResources();
    setObjectName(QStringLiteral("help"));
    setWindowTitle(QStringLiteral("Pelvo - Help File"));
    setFixedSize(ClientWidth, ClientHeight);
    setModal(false);

    auto* side = new QWidget(this);
    side->setObjectName(QStringLiteral("panel_side"));
    side->setGeometry(0, 0, SideWidth, ClientHeight);

    auto* main = new QWidget(this);
    main->setObjectName(QStringLiteral("panel_main"));
    main->setGeometry(SideWidth, 0, ClientWidth - SideWidth, ClientHeight);

    caption_ = new QLabel(QStringLiteral("Overview"), main);
    caption_->setObjectName(QStringLiteral("label_caption"));
    caption_->setGeometry(2, 8, main->width() - 12, 22);
    QFont bold = caption_->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 3);
    caption_->setFont(bold);
    QPalette captionColours = caption_->palette();
    captionColours.setColor(QPalette::WindowText, Qt::black);
    caption_->setPalette(captionColours);

    pages_ = new QStackedWidget(main);
    pages_->setObjectName(QStringLiteral("pages"));
    pages_->setGeometry(0, 36, main->width() - 10, ClientHeight - 46);

    int top = 36;
    for (const PageButton& entry : PageButtons) {
        QPushButton* button = sideButton(side, QStringLiteral("SelButton%1").arg(entry.number),
                                         QString::fromLatin1(entry.caption), top, true);
        button->setCheckable(true);
        button->setAutoExclusive(true);
        button->setProperty("Tag", entry.tag);
        connect(button, &QPushButton::clicked, this, [this, button] { SelButton1Click(button); });
        top += ButtonHeight + 4;
    }
    // Pages in tag order, so "memo" + tag is always the page of that tag.
    for (int tag = 1; tag <= 8; ++tag) {
        for (const PageButton& entry : PageButtons)
            if (entry.tag == tag) pages_->addWidget(makePage(tag, pageText(entry.text), pages_));
    }

    QPushButton* about =
        sideButton(side, QStringLiteral("button_about"), QStringLiteral("About"), top + 16, true);
    connect(about, &QPushButton::clicked, this, &Thelp::button_aboutClick);

    QPushButton* done = sideButton(side, QStringLiteral("button_done"), QStringLiteral("Done"),
                                   ClientHeight - 10 - ButtonHeight, false);
    connect(done, &QPushButton::clicked, this, &Thelp::button_doneClick);

    if (auto* first = side->findChild<QPushButton*>(QStringLiteral("SelButton1")))
        SelButton1Click(first);
}

void Thelp::SelButton1Click(QPushButton* button) {
    if (!button) return;
    const int tag = button->property("Tag").toInt();
    auto* page = pages_->findChild<QTextBrowser*>(QStringLiteral("memo%1").arg(tag));
    if (!page) return;
    pages_->setCurrentWidget(page);
    caption_->setText(button->text());
    button->setChecked(true);
}

void Thelp::button_aboutClick() {
    emit aboutRequested();
}

void Thelp::button_doneClick() {
    hide();
}

QTextBrowser* Thelp::currentPage() const {
    return qobject_cast<QTextBrowser*>(pages_->currentWidget());
}

QString Thelp::caption() const {
    return caption_->text();
}

} // namespace pelvo
