#pragma once
// A small INI reader and writer that edits the file line by line. The settings file is shared
// with the lobby program, so a write changes only the value text of the one key line (or adds
// one line) and keeps every other byte: other sections, unknown keys, comments, spacing, line
// ends. Section and key names are compared without regard to ASCII letter case; the first
// matching section and the first matching key in it count, for reading and writing alike.

// Qt
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// std
#include <optional>

namespace pelvo {

namespace ini {

// The value of key in section, trimmed of blanks; nullopt when the section or key is missing.
std::optional<QByteArray> value(QByteArrayView text, QByteArrayView section, QByteArrayView key);

// text with key set to value: the value text of an existing key line is replaced in place; a
// missing key is added after the last key of its section; a missing section is added at the
// end. Line breaks in value become blanks so a value can never start a line of its own.
QByteArray withValue(const QByteArray& text, QByteArrayView section, QByteArrayView key,
                     QByteArrayView value);

} // namespace ini

// One INI file by its path. Every read loads the file afresh and every write saves it at once;
// nothing is kept between calls, because the lobby program may change the file at any time.
class IniFile {
public:
    explicit IniFile(QString path) : path_(std::move(path)) {}

    const QString& path() const { return path_; }

    // nullopt when the file, section or key is missing, or the file cannot be read.
    std::optional<QString> readString(const QString& section, const QString& key) const;

    // False when the system refuses the write; the file is then left as it was.
    [[nodiscard]] bool writeString(const QString& section, const QString& key,
                                   const QString& value);

    // A settings file larger than this is nobody's settings file: it reads as missing and is
    // never rewritten.
    static constexpr qint64 maxFileSize = 64 * 1024 * 1024;

private:
    QString path_;
};

} // namespace pelvo
