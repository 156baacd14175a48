#pragma once
// The window shown at the start of a solo game that points to the lobby program. The download
// itself comes later; "Play Solo Game" closes the window.

#include <QDialog>

namespace pelvo {

class Tdownload : public QDialog {
    Q_OBJECT
public:
    explicit Tdownload(QWidget* parent = nullptr);
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace pelvo
