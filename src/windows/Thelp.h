#pragma once
// The help window: eight pages of help text chosen from a column of buttons. It is created at
// start-up, only shown and hidden, and never blocks the main window.

#include "windows/SideWindow.h"

class QLabel;
class QPushButton;
class QStackedWidget;
class QTextBrowser;

namespace pelvo {

class Thelp : public SideWindow {
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

signals:
    void aboutRequested();

private:
    QLabel* caption_ = nullptr;
    QStackedWidget* pages_ = nullptr;
};

} // namespace pelvo
