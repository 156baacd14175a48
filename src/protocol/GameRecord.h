#pragma once
// Game records: the text files a player's client and a table host write for each game, and
// that the replay viewer and `pelvo-sim --verify` read. One format for both kinds (see
// docs/records.md):
//
//   pelvo-game <version> <player|host>
//   <ms> <who> <text>
//   ...
//   <ms> end <reason>
//
// <ms> counts from the record's start, <who> is one word, <text> is a frame or request as on
// the wire (without its terminator) or a host event. Bytes that would cut a line are escaped:
// "\\" for a backslash, "\n", "\r", and "\xHH" for any other control byte.

// Qt
#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

namespace pelvo {

namespace record {
inline constexpr char magic[] = "pelvo-game";
inline constexpr int version = 1;
inline constexpr char suffix[] = ".pelvo-game";

// The words in the <who> column.
inline constexpr char fromHost[] = "host"; // player record: a line received from the host
inline constexpr char fromMe[] = "me";     // player record: a frame this client sent
inline constexpr char local[] = "local";   // player record: a fact of this client ("host")
inline constexpr char table[] = "table";   // host record: the host's own event (deal, tick ...)
inline constexpr char end[] = "end";       // both: the last line; its text says why
// Host record: "from<N>" a request accepted from slot N, "to<N>" a notice sent to slot N.
QByteArray fromSlot(int slot);
QByteArray toSlot(int slot);
} // namespace record

struct RecordEvent {
    qint64 ms = 0;
    QByteArray who;
    QByteArray text; // unescaped
    int line = 0;    // in the file, from 1

    // The slot of a "from<N>"/"to<N>" word with the given prefix, else 0.
    int slot(const char* prefix) const;
    QString textString() const { return QString::fromUtf8(text); }
};

struct GameRecord {
    enum class Kind { Player, Host };
    Kind kind = Kind::Player;
    QList<RecordEvent> events; // every event read, the end line included
    bool complete = false;     // the end line was read
    // Empty when the whole file was read; else a sentence naming the line where reading stopped
    // (events holds what came before it).
    QString error;
    int errorLine = 0;

    bool ok() const { return error.isEmpty(); }
};

// Reads a record event by event from a device, holding one line at a time, so a record of any
// length is read in little memory. Never throws.
class RecordReader {
public:
    // Longest line taken (a frame is at most 64 KiB; escaped, four times that).
    static constexpr qint64 MaxLine = 1 << 20;

    // Reads the first line; ok() tells whether it names a record this program reads.
    explicit RecordReader(QIODevice& device);

    GameRecord::Kind kind() const { return kind_; }
    // The next event; false at the end line's successor, or at a fault (error() says which).
    bool next(RecordEvent& event);
    // The event whose line starts at `offset` (an offset a step of next() reported); next()
    // goes on where it was. False when it no longer reads.
    bool readAt(qint64 offset, int line, RecordEvent& event);
    // Where the event the next call of next() returns starts.
    qint64 offset() const { return offset_; }

    bool complete() const { return complete_; }
    bool ok() const { return error_.isEmpty(); }
    // Empty until a fault; then a sentence naming the line.
    const QString& error() const { return error_; }
    int errorLine() const { return errorLine_; }

private:
    bool fail(int line, const QString& what);
    // One line without its end; false at the end of the device. `cut` when it had no end.
    bool readLine(QByteArray& line, bool& cut);
    bool parse(const QByteArray& line, int lineNo, RecordEvent& event, QString& error) const;

    QIODevice& device_;
    GameRecord::Kind kind_ = GameRecord::Kind::Player;
    qint64 offset_ = 0;
    int line_ = 1; // of the line next() reads next
    bool complete_ = false;
    bool done_ = false;
    bool moved_ = false; // readAt() left the device elsewhere
    QString error_;
    int errorLine_ = 0;
};

// Reads a whole record from its bytes; never throws.
GameRecord readRecord(const QByteArray& bytes);
GameRecord readRecord(QIODevice& device);
// As readRecord; a file that cannot be opened is reported in error (line 0).
GameRecord readRecordFile(const QString& path);

// Escaping of one field so that it stays on its line.
QByteArray escapeRecordText(const QByteArray& text);
// The inverse; false for a malformed escape.
bool unescapeRecordText(const QByteArray& text, QByteArray& out);

// Builds a record's text line by line.
class RecordWriter {
public:
    explicit RecordWriter(GameRecord::Kind kind);
    void add(qint64 ms, const QByteArray& who, const QByteArray& text);
    // Appends the end line and returns the whole file.
    QByteArray finish(qint64 ms, const QByteArray& reason);
    const QByteArray& bytes() const { return bytes_; }
    bool empty() const { return lines_ == 0; }

private:
    QByteArray bytes_;
    int lines_ = 0;
};

// "YYYY-MM-DD_HHMM_<names>" + suffix, names joined with "-" and cut to keep the name within a
// file name's 255 bytes; characters a file name cannot carry everywhere become "_".
QString recordFileName(const QString& stamp, const QStringList& names, const QString& tag = {});
// Writes `bytes` to `folder`/`name`, readable by its owner only (creating the folder; a number is
// added rather than overwriting a file or writing through a link). Returns the path written, or
// an empty string.
QString writeRecordFile(const QString& folder, const QString& name, const QByteArray& bytes);

} // namespace pelvo
