#pragma once
// Dispatch of one received line to the handler whose command name matches exactly. A handler
// that meets a bad field throws BadField; the rest of that message is dropped and dispatch goes
// on with the next line, so no exception ever reaches the event loop.

#include <QHash>
#include <QString>

#include <functional>

namespace pelvo {

class CommandTable {
public:
    using Handler = std::function<void(const QString& payload)>;
    enum class Outcome { Ignored, Handled, Malformed };

    void add(const QString& command, Handler handler) {
        handlers_.insert(command, std::move(handler));
    }
    bool contains(const QString& command) const { return handlers_.contains(command); }

    // Empty lines, lines without "+" and unknown commands are ignored.
    Outcome dispatch(const QString& line) const;

private:
    QHash<QString, Handler> handlers_;
};

} // namespace pelvo
