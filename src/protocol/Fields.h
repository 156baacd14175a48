#pragma once
// Reading payload fields. A field is the text before the next "+"; reading it removes the field
// and its "+". Free text is read as the remainder and may itself contain "+". Every number read
// from the wire goes through toInt(), the one checked conversion; a bad number throws BadField,
// which stops the handling of that one message.

#include <QString>
#include <QStringView>

#include <optional>
#include <stdexcept>

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
    explicit FieldReader(QString payload) : text_(std::move(payload)) {}

    // Text before the next "+", which is removed with it. With no "+" left the field is empty
    // and nothing is removed (a last field relies on its trailing "+").
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

private:
    QString text_;
    qsizetype pos_ = 0; // start of what is left
};

} // namespace pelvo
