#include "protocol/Fields.h"

#include "protocol/LogText.h"

#include <limits>
#include <utility>

namespace pelvo {

std::optional<int> toInt(QStringView text) {
    if (text.isEmpty()) return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == u'-' || text[0] == u'+') {
        negative = text[0] == u'-';
        i = 1;
    }
    if (i == text.size()) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 1LL + std::numeric_limits<int>::max()) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

int toIntOrThrow(QStringView text) {
    if (auto v = toInt(text)) return *v;
    // The message may reach stderr: the field is quoted and escaped, never repeated raw.
    throw BadField("not a number: \"" + logEscaped(text.left(32)).toStdString() + '"');
}

void splitCommand(const QString& line, QString& command, QString& payload) {
    const qsizetype plus = line.indexOf(u'+');
    if (plus < 0) {
        command.clear();
        payload.clear();
        return;
    }
    command = line.left(plus);
    payload = line.mid(plus + 1);
}

QStringView FieldReader::nextView() {
    const qsizetype plus = text_.indexOf(u'+', pos_);
    if (plus < 0) {
        if (ending_ == Ending::Plus) return {};
        return QStringView(text_).sliced(std::exchange(pos_, text_.size()));
    }
    const QStringView field = QStringView(text_).mid(pos_, plus - pos_);
    pos_ = plus + 1;
    return field;
}

int FieldReader::nextInt() {
    return toIntOrThrow(nextView());
}

int FieldReader::nextInt(int lo, int hi) {
    const int v = nextInt();
    if (v < lo || v > hi) throw BadField("number out of range");
    return v;
}

} // namespace pelvo
