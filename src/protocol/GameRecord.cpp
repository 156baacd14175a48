#include "protocol/GameRecord.h"

#include "protocol/PrivateFile.h"

// Qt
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

// std
#include <cstdint>

namespace pelvo {

namespace record {
QByteArray fromSlot(int slot) {
    return "from" + QByteArray::number(slot);
}
QByteArray toSlot(int slot) {
    return "to" + QByteArray::number(slot);
}
} // namespace record

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

QByteArray kindWord(GameRecord::Kind kind) {
    return kind == GameRecord::Kind::Host ? "host" : "player";
}

bool allDigits(const QByteArray& s) {
    if (s.isEmpty() || s.size() > 15) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

int RecordEvent::slot(const char* prefix) const {
    const QByteArray p(prefix);
    if (!who.startsWith(p) || who.size() != p.size() + 1) return 0;
    const char c = who.back();
    return c >= '1' && c <= '9' ? c - '0' : 0;
}

QByteArray escapeRecordText(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        const auto b = std::uint8_t(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (b < 0x20 || b == 0x7F || b == 0xFF) {
            out += "\\x";
            out += hexDigits[b >> 4];
            out += hexDigits[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

bool unescapeRecordText(const QByteArray& text, QByteArray& out) {
    out.clear();
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size()) return false;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 'x': {
            if (i + 2 >= text.size()) return false;
            const int hi = hexValue(text[i + 1]), lo = hexValue(text[i + 2]);
            if (hi < 0 || lo < 0) return false;
            out += char(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

GameRecord readRecord(const QByteArray& bytes) {
    GameRecord r;
    auto fail = [&r](int line, const QString& what) {
        r.errorLine = line;
        r.error = QStringLiteral("Line %1: %2").arg(line).arg(what);
        return r;
    };
    if (bytes.isEmpty())
        return fail(1, QStringLiteral("the file is empty; it is not a game record."));
    const QList<QByteArray> lines = bytes.split('\n');
    // A record ends with a newline: the last piece is empty unless the file was cut.
    const bool cut = !lines.back().isEmpty();
    const qsizetype count = cut ? lines.size() : lines.size() - 1;

    const QList<QByteArray> head = lines[0].trimmed().split(' ');
    if (head.size() != 3 || head[0] != record::magic)
        return fail(1, QStringLiteral("this is not a Pelvo game record."));
    if (!allDigits(head[1]))
        return fail(1, QStringLiteral("the record's version \"%1\" is not a number.")
                           .arg(QString::fromUtf8(head[1])));
    if (head[1].toInt() != record::version)
        return fail(1, QStringLiteral("the record is of version %1; this program reads version %2.")
                           .arg(QString::fromUtf8(head[1]))
                           .arg(record::version));
    if (head[2] == "player")
        r.kind = GameRecord::Kind::Player;
    else if (head[2] == "host")
        r.kind = GameRecord::Kind::Host;
    else
        return fail(
            1, QStringLiteral("unknown kind of record \"%1\".").arg(QString::fromUtf8(head[2])));

    for (qsizetype i = 1; i < count; ++i) {
        const int lineNo = int(i + 1);
        QByteArray line = lines[i];
        if (line.endsWith('\r')) line.chop(1);
        if (r.complete) return fail(lineNo, QStringLiteral("there is more after the end line."));
        if (cut && i == count - 1)
            return fail(lineNo, QStringLiteral("the line is cut off; the file is truncated."));
        const qsizetype a = line.indexOf(' ');
        const qsizetype b = a < 0 ? -1 : line.indexOf(' ', a + 1);
        if (b < 0)
            return fail(lineNo, QStringLiteral("not an event (expected a time in ms, a sender and "
                                               "a text)."));
        RecordEvent e;
        const QByteArray ms = line.left(a);
        if (!allDigits(ms))
            return fail(lineNo, QStringLiteral("the time \"%1\" is not a number of milliseconds.")
                                    .arg(QString::fromUtf8(ms.left(20))));
        e.ms = ms.toLongLong();
        e.who = line.mid(a + 1, b - a - 1);
        if (e.who.isEmpty()) return fail(lineNo, QStringLiteral("the event names no sender."));
        if (!unescapeRecordText(line.mid(b + 1), e.text))
            return fail(lineNo, QStringLiteral("a malformed \\ escape in the text."));
        e.line = lineNo;
        if (e.who == record::end) r.complete = true;
        r.events.append(std::move(e));
    }
    if (!r.complete)
        return fail(int(count + (cut ? 0 : 1)),
                    QStringLiteral("the record stops before its end line; the file is truncated."));
    return r;
}

GameRecord readRecordFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        GameRecord r;
        r.error = QStringLiteral("Cannot open %1: %2").arg(path, file.errorString());
        return r;
    }
    return readRecord(file.readAll());
}

RecordWriter::RecordWriter(GameRecord::Kind kind) {
    bytes_ = QByteArray(record::magic) + ' ' + QByteArray::number(record::version) + ' ' +
             kindWord(kind) + '\n';
}

void RecordWriter::add(qint64 ms, const QByteArray& who, const QByteArray& text) {
    Q_ASSERT(!who.isEmpty() && !who.contains(' '));
    bytes_ += QByteArray::number(qMax<qint64>(0, ms));
    bytes_ += ' ';
    bytes_ += who;
    bytes_ += ' ';
    bytes_ += escapeRecordText(text);
    bytes_ += '\n';
    ++lines_;
}

QByteArray RecordWriter::finish(qint64 ms, const QByteArray& reason) {
    add(ms, record::end, reason);
    return bytes_;
}

QString recordFileName(const QString& stamp, const QStringList& names, const QString& tag) {
    QString joined;
    for (const QString& name : names) {
        QString clean;
        for (const QChar c : name.trimmed())
            clean += c.isLetterOrNumber() || c == u'.' || c == u'_' ? c : QChar(u'_');
        if (clean.isEmpty()) continue;
        if (!joined.isEmpty()) joined += u'-';
        joined += clean.left(24);
    }
    if (joined.isEmpty()) joined = QStringLiteral("game");
    const QString end = (tag.isEmpty() ? QString() : u'_' + tag) + QLatin1String(record::suffix);
    // A file name holds 255 bytes, and writeRecordFile may add "-999": names in letters of
    // several bytes each are cut, a whole character at a time, so the record is still written.
    constexpr qsizetype maxBytes = 255 - 4;
    const qsizetype room = maxBytes - (stamp.toUtf8().size() + 1 + end.toUtf8().size());
    while (!joined.isEmpty() && joined.toUtf8().size() > room)
        joined.chop(joined.size() >= 2 && joined.back().isLowSurrogate() ? 2 : 1);
    return stamp + u'_' + joined + end;
}

QString writeRecordFile(const QString& folder, const QString& name, const QByteArray& bytes) {
    if (!QDir().mkpath(folder)) return {};
    const QDir dir(folder);
    const QString stem = name.chopped(int(qstrlen(record::suffix)));
    for (int n = 1; n < 1000; ++n) {
        const QString path =
            n == 1 ? dir.filePath(name)
                   : dir.filePath(QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(record::suffix));
        // A record shows every hand: its player's alone. Nothing at the name is overwritten.
        if (writeOwnerOnlyFile(path, bytes, ExistingFile::Keep)) return path;
        if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) return {};
    }
    return {};
}

} // namespace pelvo
