#pragma once
// The game start dialog: rounds (3 to 9) and whether computer players may take seats 3 and 4.
// Its one output is the CMD_startgame request.

#include "windows/SideWindow.h"

namespace pelvo {

class ClientSession;

class Tgamestart : public SideWindow {
    Q_OBJECT
public:
    // Rounds and boxes are the session's settings; Start sends the request.
    explicit Tgamestart(ClientSession& session, QWidget* parent = nullptr);
    ~Tgamestart() override;

    // Sets the check box `image_bot3` or `image_bot4` to 0 or 1 (state, picture and tag).
    void changebox(const QString& name, int value);
    int boxTag(const QString& name) const;
    int rounds() const;           // position of UpDown1
    void setRounds(int position); // kept within 3..9

    void button_startClick();

signals:
    // The game start request went out (the main window saves the settings).
    void started();

protected:
    // Without a mouse: Tab walks rounds, the boxes and Start; Up and Down change the rounds,
    // Space or 3 and 4 tick or clear the computer boxes, Enter starts, Esc cancels.
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void showSettings();

private:
    struct Impl;
    Impl* d;
};

} // namespace pelvo
