#include "windows/Tabout.h"

#include "protocol/Commands.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>
#include <QPushButton>

namespace pelvo {

namespace {
QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& place) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(place);
    return l;
}
} // namespace

Tabout::Tabout(QWidget* parent) : QDialog(parent) {
    setObjectName("about");
    setWindowTitle("Pelvo - About");
    setFixedSize(304, 174);
    setModal(false);

    auto* url = label(this, "label_url", siteAddress(), QRect(0, 60, 304, 20));
    url->setAlignment(Qt::AlignHCenter);
    url->setCursor(Qt::PointingHandCursor);
    url->installEventFilter(this);
    label(this, "Label1", "Version", QRect(96, 96, 50, 16));
    version_ = label(this, "version", QString::fromLatin1(wire::version), QRect(148, 96, 40, 16));
    version_->adjustSize();
    const QString maroon = "color: #800000;";
    version_->setStyleSheet(maroon);
    auto* suffix =
        label(this, "Label9", ".0", QRect(148 + version_->width(), 96, 20, 16)); // reads 1.0.1.0
    suffix->setStyleSheet(maroon);

    auto* done = new QPushButton("Done", this);
    done->setObjectName("button_done");
    done->setFlat(true);
    done->setGeometry(112, 140, 80, 24);
    connect(done, &QPushButton::clicked, this, &Tabout::Button1Click);
}

QString Tabout::versionText() const {
    return version_->text();
}

QString Tabout::siteAddress() {
    return QStringLiteral("www.kavrel.example");
}

void Tabout::label_urlClick() {
    // The result is not examined: without a browser nothing happens.
    QDesktopServices::openUrl(QUrl("http://" + siteAddress()));
}

bool Tabout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        label_urlClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
void Tabout::Button1Click() {
    close();
}

} // namespace pelvo
