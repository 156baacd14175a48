#pragma once
// The game port: 7772, or PELVO_PORT when set (two tables on one machine, parallel tests).

#include <QString>

namespace pelvo {

inline QString gamePortName() {
    const QString port = qEnvironmentVariable("PELVO_PORT");
    return port.isEmpty() ? QStringLiteral("7772") : port;
}

} // namespace pelvo
