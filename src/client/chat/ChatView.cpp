#include "client/chat/ChatView.h"

#include "client/chat/Smilies.h"

#include <QMimeData>
#include <QTextDocumentFragment>
#include <QUrl>

namespace pelvo {

namespace {
const QString smileyScheme = QStringLiteral("smiley");
}

ChatView::ChatView(QWidget* parent) : QTextBrowser(parent) {}

QString ChatView::smileyName(int index) {
    return smileyScheme + u':' + QString::number(index);
}

QString ChatView::selectedPlainText() const {
    QString text = textCursor().selection().toPlainText();
    text.remove(QChar::ObjectReplacementCharacter);
    return text;
}

QVariant ChatView::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::ImageResource && name.scheme() == smileyScheme) {
        bool ok = false;
        const int index = name.path().toInt(&ok);
        if (ok) return smilies::pixmap(index, devicePixelRatioF());
    }
    return {};
}

QMimeData* ChatView::createMimeDataFromSelection() const {
    auto* data = new QMimeData;
    data->setText(selectedPlainText());
    return data;
}

} // namespace pelvo
