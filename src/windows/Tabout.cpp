#include "windows/Tabout.h"

// own
#include "protocol/Commands.h"
#include "windows/Art.h"
#include "windows/help/SideWindowArt.h"

// Qt
#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

namespace pelvo {

namespace {

constexpr int ClientWidth = 304;
constexpr int ClientHeight = 174;

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& place) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(place);
    return l;
}

} // namespace

Tabout::Tabout(QWidget* parent)
    : SideWindow(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                             Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      url1_(siteAddress()) {
    sidewindows::initResources();
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("Pelvo - About"));
    setFixedSize(ClientWidth, ClientHeight);
    setModal(false);

    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);

    auto* logo = label(this, "image_aboutlogo", QString(), QRect(52, 4, 200, 46));
    logo->setPixmap(art::logoPicture(logo->size(), devicePixelRatioF() > 1 ? 2 : 1));
    logo->setCursor(Qt::PointingHandCursor);
    logo->installEventFilter(this);

    auto* url = label(this, "label_url", url1_, QRect(0, 52, ClientWidth, 16));
    url->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    url->setCursor(Qt::PointingHandCursor);
    url->setFont(art::pixelFont(13, true));
    url->setStyleSheet(QStringLiteral("color: #000080; text-decoration: underline;"));
    url->installEventFilter(this);

    // Credits.
    const char* credits[4][2] = {{"Label2", "Game and programming: Kavrel Software"},
                                 {"Label3", "Card faces: a free SVG card deck"},
                                 {"Label4", "Sounds and pictures: made for Pelvo"},
                                 {"Label5", "Thanks to everybody who tested it!"}};
    int top = 72;
    for (const auto& line : credits) {
        QLabel* credit =
            label(this, line[0], QString::fromLatin1(line[1]), QRect(0, top, ClientWidth, 14));
        credit->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        credit->setFont(art::pixelFont(11, false));
        top += 14;
    }

    // "Version 1.0.1" and ".0" right after it, so the line reads 1.0.1.0; centred as a whole.
    const QString maroon = QStringLiteral("color: #800000;");
    QLabel* caption = label(this, "Label1", QStringLiteral("Version"), QRect());
    caption->setFont(art::pixelFont(12, true));
    caption->adjustSize();
    version_ = label(this, "version", QString::fromLatin1(wire::version), QRect());
    version_->setFont(art::pixelFont(12, true));
    version_->setStyleSheet(maroon);
    version_->adjustSize();
    QLabel* suffix = label(this, "Label9", QStringLiteral(".0"), QRect());
    suffix->setFont(art::pixelFont(12, true));
    suffix->setStyleSheet(maroon);
    suffix->adjustSize();
    const int gap = 4;
    const int lineWidth = caption->width() + gap + version_->width() + suffix->width();
    int left = (ClientWidth - lineWidth) / 2;
    const int lineTop = 130;
    caption->move(left, lineTop);
    left += caption->width() + gap;
    version_->move(left, lineTop);
    suffix->move(left + version_->width(), lineTop);

    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("button_done"));
    done->setFlat(true);
    done->setCursor(Qt::PointingHandCursor);
    done->setGeometry((ClientWidth - 80) / 2, 149, 80, 20);
    done->setStyleSheet(
        QStringLiteral("QPushButton { border: 1px solid rgba(0, 0, 0, 90); border-radius: 3px;"
                       " background: rgba(255, 255, 255, 90); color: black; }"
                       "QPushButton:hover { background: rgba(255, 255, 255, 160); }"));
    connect(done, &QPushButton::clicked, this, &Tabout::Button1Click);
}

QString Tabout::versionText() const {
    return version_->text();
}

QString Tabout::siteAddress() {
    return QStringLiteral("www.kavrel.example");
}

void Tabout::label_urlClick() {
    const QUrl address(QStringLiteral("http://") + url1_);
    // The result is not examined: without a browser nothing happens.
    if (opener_)
        opener_(address);
    else
        QDesktopServices::openUrl(address);
}

Tabout::UrlOpener Tabout::setUrlOpener(UrlOpener opener) {
    std::swap(opener_, opener);
    return opener;
}

bool Tabout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        label_urlClick();
        return true;
    }
    return SideWindow::eventFilter(watched, event);
}

void Tabout::Button1Click() {
    close();
}

} // namespace pelvo
