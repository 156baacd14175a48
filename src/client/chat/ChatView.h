#pragma once
// The rich-text view behind `mainchat`: copies plain text only and serves the smiley pictures
// as document resources. It never loads any other resource, so nothing in a chat line can make
// it touch files or the network.

#include <QTextBrowser>

namespace pelvo {

class ChatView : public QTextBrowser {
public:
    explicit ChatView(QWidget* parent = nullptr);

    // Resource name of smiley picture `index` for QTextImageFormat::setName.
    static QString smileyName(int index);
    // Plain text of the current selection; smiley pictures are left out.
    QString selectedPlainText() const;

protected:
    QVariant loadResource(int type, const QUrl& name) override;
    QMimeData* createMimeDataFromSelection() const override;
};

} // namespace pelvo
