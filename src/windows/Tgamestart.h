#pragma once
// The game start dialog: rounds (3 to 9) and whether computer players may take seats 3 and 4.
// Its one output is the CMD_startgame request.

#include "windows/SideWindow.h"

namespace pelvo {

class ClientContext;

class Tgamestart : public SideWindow {
    Q_OBJECT
public:
    explicit Tgamestart(ClientContext& ctx, QWidget* parent = nullptr);
    ~Tgamestart() override;

    // Sets the check box `image_bot3` or `image_bot4` to 0 or 1 (picture and tag).
    void changebox(const QString& name, int value);
    int boxTag(const QString& name) const;
    int rounds() const;           // position of UpDown1
    void setRounds(int position); // kept within 3..9

    void button_startClick();

private:
    struct Impl;
    Impl* d;
};

} // namespace pelvo
