#pragma once
// The help window. Its pages are written later; for now it carries its caption, the first page
// heading and "Done".

#include <QDialog>

namespace pelvo {

class Thelp : public QDialog {
    Q_OBJECT
public:
    explicit Thelp(QWidget* parent = nullptr);
    void button_doneClick();
};

} // namespace pelvo
