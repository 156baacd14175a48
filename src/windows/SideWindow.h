#pragma once
// A side window of the main window: it opens centred on the main window the first time, and shows
// the main window's background picture, or its felt when there is none, behind its controls.

#include <QDialog>
#include <QPixmap>

namespace pelvo {

class SideWindow : public QDialog {
    Q_OBJECT
public:
    explicit SideWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // The main window's background picture, tiled; a null picture brings the felt back.
    void setBackground(const QPixmap& picture);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap background_;
    bool placed_ = false;
};

} // namespace pelvo
