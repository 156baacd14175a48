#include "protocol/CommandTable.h"

#include "protocol/Fields.h"
#include "protocol/LogText.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcProtocol, "pelvo.protocol")

namespace pelvo {

CommandTable::Outcome CommandTable::dispatch(const QString& line) const {
    QString command, payload;
    splitCommand(line, command, payload);
    if (command.isEmpty()) return Outcome::Ignored;
    const auto it = handlers_.constFind(command);
    if (it == handlers_.constEnd()) return Outcome::Ignored;
    try {
        (*it)(payload);
    } catch (const BadField& e) {
        qCDebug(lcProtocol).noquote()
            << "dropped rest of" << logEscaped(command) << ":" << logSafe(e.what());
        return Outcome::Malformed;
    } catch (const std::exception& e) {
        // A handler's own failure must not escape into the event loop either.
        qCWarning(lcProtocol).noquote()
            << "handler for" << logEscaped(command) << "failed:" << logSafe(e.what());
        return Outcome::Malformed;
    }
    return Outcome::Handled;
}

} // namespace pelvo
