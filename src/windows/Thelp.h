#pragma once
// The help window: eight pages of help text chosen from a column of buttons. It is created at
// start-up, only shown and hidden, and never blocks the main window.

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTextBrowser;

namespace pelvo {

class Thelp : public QDialog {
    Q_OBJECT
public:
    explicit Thelp(QWidget* parent = nullptr);

    // Any page button: brings the page "memo" + the button's tag to the front and shows the
    // button's caption above it. Page numbers follow the tags, not the order of the buttons.
    void SelButton1Click(QPushButton* button);
    // "About": asks for the about window.
    void button_aboutClick();
    // "Done": hides the window; the page in front stays there for the next opening.
    void button_doneClick();

    // The page in front (memo1 .. memo8).
    QTextBrowser* currentPage() const;
    // Caption of `label_caption`.
    QString caption() const;
    // The main window's background picture, behind the buttons.
    void setBackground(const QPixmap& picture);

signals:
    void aboutRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* caption_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QPixmap background_;
    bool placed_ = false;
};

} // namespace pelvo
