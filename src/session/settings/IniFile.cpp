#include "session/settings/IniFile.h"

#include "protocol/WireText.h"

// Qt
#include <QFileInfo>
#include <QSaveFile>

namespace pelvo {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool equalsNoCase(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

struct Span {
    qsizetype begin;
    qsizetype end;
};

// [begin, end) without leading and trailing blanks; an all-blank span shrinks to its end.
Span trimmed(QByteArrayView text, qsizetype begin, qsizetype end) {
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return {begin, end};
}

// Where section and key are, found in one pass over the lines.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    Span value{0, 0};             // value text of the key line, when keyFound
    qsizetype insertAt = 0;       // just past the last key line (or header) of the section
    bool insertAfterBreak = true; // false when that line is the file's last and has no line break
};

Location locate(QByteArrayView text, QByteArrayView section, QByteArrayView key) {
    Location loc;
    bool inSection = false;
    // Editors on some desktops start the file with a UTF-8 byte order mark.
    qsizetype pos = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const qsizetype size = text.size();
    while (pos < size) {
        qsizetype lineEnd = text.sliced(pos).indexOf('\n');
        const bool hasBreak = lineEnd >= 0;
        lineEnd = hasBreak ? pos + lineEnd : size;
        const qsizetype next = hasBreak ? lineEnd + 1 : size;
        qsizetype contentEnd = lineEnd;
        if (contentEnd > pos && text[contentEnd - 1] == '\r') --contentEnd;
        const Span line = trimmed(text, pos, contentEnd);
        pos = next;
        if (line.begin == line.end) continue;

        const char first = text[line.begin];
        if (first == '[') {
            // Only the first section of that name counts, as for the lobby program.
            if (loc.sectionFound) break;
            qsizetype close = text.sliced(line.begin, line.end - line.begin).indexOf(']');
            close = close >= 0 ? line.begin + close : line.end;
            const Span name = trimmed(text, line.begin + 1, close);
            if (equalsNoCase(text.sliced(name.begin, name.end - name.begin), section)) {
                loc.sectionFound = inSection = true;
                loc.insertAt = next;
                loc.insertAfterBreak = hasBreak;
            }
            continue;
        }
        if (!inSection || first == ';' || first == '#') continue;
        qsizetype eq = text.sliced(line.begin, line.end - line.begin).indexOf('=');
        if (eq < 0) continue;
        eq += line.begin;
        const Span name = trimmed(text, line.begin, eq);
        if (name.begin == name.end) continue;
        loc.insertAt = next;
        loc.insertAfterBreak = hasBreak;
        if (equalsNoCase(text.sliced(name.begin, name.end - name.begin), key)) {
            loc.keyFound = true;
            loc.value = trimmed(text, eq + 1, line.end);
            break;
        }
    }
    return loc;
}

enum class Load { ok, missing, refused };

Load loadFile(const QString& path, QByteArray& text) {
    const QFileInfo info(path);
    if (!info.exists()) return Load::missing;
    if (!info.isFile() || info.size() > IniFile::maxFileSize) return Load::refused;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Load::refused;
    text = file.readAll();
    return file.error() == QFileDevice::NoError ? Load::ok : Load::refused;
}

} // namespace

namespace ini {

std::optional<QByteArray> value(QByteArrayView text, QByteArrayView section, QByteArrayView key) {
    const Location loc = locate(text, section, key);
    if (!loc.keyFound) return std::nullopt;
    return text.sliced(loc.value.begin, loc.value.end - loc.value.begin).toByteArray();
}

QByteArray withValue(const QByteArray& text, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value) {
    QByteArray clean = value.toByteArray();
    clean.replace('\r', ' ').replace('\n', ' ');
    // Blanks at the ends never read back; written, they would pile up at every save.
    const Span kept = trimmed(clean, 0, clean.size());
    clean = clean.sliced(kept.begin, kept.end - kept.begin);
    const QByteArray eol = text.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    const Location loc = locate(text, section, key);

    // A last line that ends in a lone CR reads without it; completing that CR keeps it so.
    const QByteArray lastBreak = text.endsWith('\r') ? QByteArray("\n") : eol;
    QByteArray out = text;
    if (loc.keyFound) {
        out.replace(loc.value.begin, loc.value.end - loc.value.begin, clean);
    } else if (loc.sectionFound) {
        const QByteArray line = key.toByteArray() + '=' + clean;
        out.insert(loc.insertAt, loc.insertAfterBreak ? line + eol : lastBreak + line);
    } else {
        if (!out.isEmpty() && !out.endsWith('\n')) out += lastBreak;
        out += '[' + section.toByteArray() + ']' + eol + key.toByteArray() + '=' + clean + eol;
    }
    return out;
}

} // namespace ini

std::optional<QString> IniFile::readString(const QString& section, const QString& key) const {
    QByteArray text;
    if (loadFile(path_, text) != Load::ok) return std::nullopt;
    const auto found = ini::value(text, section.toUtf8(), key.toUtf8());
    if (!found) return std::nullopt;
    return decodeWire(*found);
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    QByteArray text;
    // A file that exists but cannot be read must not be replaced by our one section.
    if (loadFile(path_, text) == Load::refused) return false;
    const QByteArray updated = ini::withValue(text, section.toUtf8(), key.toUtf8(), value.toUtf8());

    // Written beside the file and renamed over it, so a failing disk cannot leave half a file;
    // in a folder we may not create files in, the file itself is written.
    QSaveFile file(path_);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(updated) != updated.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace pelvo
