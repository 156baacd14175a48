#include "host/EventLog.h"

// own
#include "protocol/LogText.h"

namespace pelvo {

QString quoteLogValue(QStringView text) {
    return u'"' + logEscaped(text) + u'"';
}

QString eventLine(QStringView program, const char* event, std::initializer_list<LogField> fields) {
    QString line = program.toString() + QLatin1String(" event=") + QLatin1String(event);
    for (const LogField& f : fields) {
        line += u' ';
        line += QLatin1String(f.key);
        line += u'=';
        line += f.quoted || f.value.isEmpty() ? quoteLogValue(f.value) : f.value;
    }
    return line;
}

} // namespace pelvo
