#pragma once
// The operator's log: one line per event, in a key=value form that stays the same from release
// to release, so that a journal or a log shipper can filter it:
//   pelvo-table event=login slot=2 name="Bo" addr=127.0.0.1
// Numbers, addresses and fixed words are bare; text that comes from players is always quoted,
// with backslash escapes (\" \\ \n \r \t, \xHH for other control characters), so one event is
// always one line and a name cannot fake a key.

// Qt
#include <QString>
#include <QStringView>

// std
#include <initializer_list>

namespace pelvo {

struct LogField {
    const char* key; // a literal
    QString value;
    bool quoted = false;

    LogField(const char* k, qint64 number) : key(k), value(QString::number(number)) {}
    LogField(const char* k, int number) : key(k), value(QString::number(number)) {}
    // A bare word: the caller vouches that it holds no space, quote or control character.
    LogField(const char* k, const QString& word) : key(k), value(word) {}
    // Players' text.
    static LogField text(const char* k, const QString& text) {
        LogField f(k, text);
        f.quoted = true;
        return f;
    }
};

// "\"" + escaped text + "\"".
QString quoteLogValue(QStringView text);
// "<program> event=<event> key=value ...", without a line end.
QString eventLine(QStringView program, const char* event, std::initializer_list<LogField> fields);

} // namespace pelvo
