#pragma once
// The about window: version and the maker's web address. Its `version` label is also the
// version the client sends when it logs in.

#include <QDialog>

class QLabel;

namespace pelvo {

class Tabout : public QDialog {
    Q_OBJECT
public:
    explicit Tabout(QWidget* parent = nullptr);

    // Caption of the `version` label.
    QString versionText() const;
    // Address of the maker's web site without its scheme (`URL1`).
    static QString siteAddress();
    // Opens the web site in the desktop's browser (the logos and the address line).
    void label_urlClick();
    void Button1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* version_ = nullptr;
};

} // namespace pelvo
