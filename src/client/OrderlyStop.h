#pragma once
// The player's program asked to end from outside (SIGTERM, SIGINT, SIGHUP; the desktop session
// ending): the tally is saved at once, a table this program hosts tells its players "The table
// is closing." and closes, then the window closes as if the player had closed it.

// Qt
#include <QObject>

namespace pelvo {

class SignalWatcher;
class Tchat;

class OrderlyStop : public QObject {
public:
    explicit OrderlyStop(Tchat& chat, QObject* parent = nullptr);
    ~OrderlyStop() override;

private:
    void stop();
    void saveTally();

    Tchat& chat_;
    SignalWatcher* watcher_ = nullptr;
    bool stopping_ = false;
};

} // namespace pelvo
