#include "protocol/GameRecord.h"

#include "protocol/PrivateFile.h"

// Qt
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

// std
#include <cstdint>
#include <utility>

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

RecordReader::RecordReader(QIODevice& device) : device_(device) {
    QByteArray head;
    bool cut = false;
    if (!readLine(head, cut)) {
        fail(1, QStringLiteral("the file is empty; it is not a game record."));
        return;
    }
    line_ = 2;
    const QList<QByteArray> f = head.trimmed().split(' ');
    if (f.size() != 3 || f[0] != record::magic) {
        fail(1, QStringLiteral("this is not a Pelvo game record."));
    } else if (!allDigits(f[1])) {
        fail(1, QStringLiteral("the record's version \"%1\" is not a number.")
                    .arg(QString::fromUtf8(f[1])));
    } else if (f[1].toInt() != record::version) {
        fail(1, QStringLiteral("the record is of version %1; this program reads version %2.")
                    .arg(QString::fromUtf8(f[1]))
                    .arg(record::version));
    } else if (f[2] == "player") {
        kind_ = GameRecord::Kind::Player;
    } else if (f[2] == "host") {
        kind_ = GameRecord::Kind::Host;
    } else {
        fail(1, QStringLiteral("unknown kind of record \"%1\".").arg(QString::fromUtf8(f[2])));
    }
    if (ok() && cut)
        fail(1, QStringLiteral("the record stops before its end line; the file is truncated."));
}

bool RecordReader::fail(int line, const QString& what) {
    if (error_.isEmpty()) {
        errorLine_ = line;
        error_ = QStringLiteral("Line %1: %2").arg(line).arg(what);
    }
    done_ = true;
    return false;
}

bool RecordReader::readLine(QByteArray& line, bool& cut) {
    line.clear();
    cut = false;
    if (device_.atEnd()) return false;
    line = device_.readLine(MaxLine + 2);
    offset_ += line.size();
    if (line.endsWith('\n')) {
        line.chop(1);
    } else if (!device_.atEnd()) {
        // Longer than any line a record holds: skip the rest so that it reads as one.
        while (!device_.atEnd()) {
            const QByteArray rest = device_.readLine(MaxLine);
            offset_ += rest.size();
            if (rest.endsWith('\n')) break;
        }
        line = QByteArray(MaxLine + 1, ' ');
    } else {
        cut = true;
    }
    if (line.endsWith('\r')) line.chop(1);
    return true;
}

bool RecordReader::parse(const QByteArray& line, int lineNo, RecordEvent& e, QString& error) const {
    if (line.size() > MaxLine) {
        error = QStringLiteral("the line is too long for a game record.");
        return false;
    }
    const qsizetype a = line.indexOf(' ');
    const qsizetype b = a < 0 ? -1 : line.indexOf(' ', a + 1);
    if (b < 0) {
        error = QStringLiteral("not an event (expected a time in ms, a sender and a text).");
        return false;
    }
    const QByteArray ms = line.left(a);
    if (!allDigits(ms)) {
        error = QStringLiteral("the time \"%1\" is not a number of milliseconds.")
                    .arg(QString::fromUtf8(ms.left(20)));
        return false;
    }
    e.ms = ms.toLongLong();
    e.who = line.mid(a + 1, b - a - 1);
    if (e.who.isEmpty()) {
        error = QStringLiteral("the event names no sender.");
        return false;
    }
    if (!unescapeRecordText(line.mid(b + 1), e.text)) {
        error = QStringLiteral("a malformed \\ escape in the text.");
        return false;
    }
    e.line = lineNo;
    return true;
}

bool RecordReader::next(RecordEvent& event) {
    if (done_ || !ok()) return false;
    if (std::exchange(moved_, false) && !device_.seek(offset_))
        return fail(line_, QStringLiteral("the file cannot be read."));
    const int lineNo = line_;
    QByteArray line;
    bool cut = false;
    if (!readLine(line, cut)) {
        done_ = true;
        if (!complete_)
            fail(lineNo,
                 QStringLiteral("the record stops before its end line; the file is truncated."));
        return false;
    }
    ++line_;
    if (complete_) return fail(lineNo, QStringLiteral("there is more after the end line."));
    if (cut) return fail(lineNo, QStringLiteral("the line is cut off; the file is truncated."));
    QString why;
    if (!parse(line, lineNo, event, why)) return fail(lineNo, why);
    if (event.who == record::end) complete_ = true;
    return true;
}

bool RecordReader::readAt(qint64 offset, int line, RecordEvent& event) {
    // Steps are mostly read in order: the device moves only when they are not.
    moved_ = true;
    if (device_.pos() != offset && !device_.seek(offset)) return false;
    const qint64 saved = offset_;
    QByteArray text;
    bool cut = false;
    const bool read = readLine(text, cut) && !cut;
    offset_ = saved;
    QString why;
    return read && parse(text, line, event, why);
}

GameRecord readRecord(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readRecord(buffer);
}

GameRecord readRecord(QIODevice& device) {
    GameRecord r;
    RecordReader reader(device);
    r.kind = reader.kind();
    RecordEvent e;
    while (reader.next(e)) r.events.append(std::move(e));
    r.complete = reader.complete();
    r.error = reader.error();
    r.errorLine = reader.errorLine();
    return r;
}

GameRecord readRecordFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        GameRecord r;
        r.error = QStringLiteral("Cannot open %1: %2").arg(path, file.errorString());
        return r;
    }
    return readRecord(file);
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
