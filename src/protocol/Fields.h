#pragma once
// Reading payload fields: the one reader of host and client. A field is the text before the
// next "+"; reading it removes the field and its "+". Free text is read as the remainder and may
// itself contain "+". Every number read from the wire goes through toInt(), the one checked
// conversion. A bad field throws BadField, which fails the handling of that one frame as a
// whole (the host drops the request; a notice decodes to nothing).

#include <QString>
#include <QStringView>

#include <optional>
#include <stdexcept>
#include <utility>

namespace pelvo {

class BadField : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Decimal integer with an optional sign, nothing else, within int range.
std::optional<int> toInt(QStringView text);
// As toInt, throwing BadField when the text is no number.
int toIntOrThrow(QStringView text);

// Splits a line at its first "+" into command and payload; a line without "+" has no command.
void splitCommand(const QString& line, QString& command, QString& payload);

class FieldReader {
public:
    // How a frame's last field ends, which decides what a field with no "+" after it reads as.
    enum class Ending {
        // Every field with its "+" (requests): with no "+" left the field is missing. It reads
        // as empty text and removes nothing (what is left stays in the remainder); as a number
        // it is bad.
        Plus,
        // The last field with its "+" or at the end of the payload (notices): with no "+" left
        // the field is everything that is left.
        Open,
    };

    explicit FieldReader(QString payload, Ending ending = Ending::Plus)
        : text_(std::move(payload)), ending_(ending) {}

    // The next field as text; see Ending for a field with no "+" after it.
    QString next() { return nextView().toString(); }
    // As next(), without copying: valid while the reader lives.
    QStringView nextView();
    // next() as a number; throws BadField.
    int nextInt();
    // next() as a number that must lie in [lo, hi]; throws BadField otherwise.
    int nextInt(int lo, int hi);
    // Everything that is left, "+" signs included.
    QString remainder() const { return text_.mid(pos_); }
    bool atEnd() const { return pos_ >= text_.size(); }
    // Whether a "+" is left: the next field ends with its own "+".
    bool plusLeft() const { return text_.indexOf(u'+', pos_) >= 0; }

private:
    QString text_;
    Ending ending_;
    qsizetype pos_ = 0; // start of what is left
};

} // namespace pelvo
