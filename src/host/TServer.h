#pragma once
// The table host: a hidden object in every process of the program. It listens only when this
// player hosts, holds the authoritative game, checks every move and plays empty seats.

#include <QObject>

#include <functional>

namespace pelvo {

class TSock;

class TServer : public QObject {
    Q_OBJECT
public:
    struct Options {
        // No player's window lives in this process (the dedicated table): a lost slot 1 is
        // taken over by the computer like any other seat.
        bool windowless = false;
    };

    explicit TServer(QObject* parent = nullptr);
    TServer(const Options& options, QObject* parent = nullptr);
    ~TServer() override;

    // The listening socket, port gamePortName(); the client switches it on with setListen(true).
    TSock* Sock1 = nullptr;

    // Interval of the delay and computer timers, read each time one is armed (the hosting
    // player's "Bot and Delay Speed": 500, 1000 or 2000 ms).
    std::function<int()> botSpeed;
};

} // namespace pelvo
