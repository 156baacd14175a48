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
    void Button1Click();

private:
    QLabel* version_ = nullptr;
};

} // namespace pelvo
