// libFuzzer target for what the hub reads from the network: the first byte picks the reader (a
// new table, a registration, a table's report, a lobby chat message, any body), the rest is the
// body or message. What a reader takes must be within its bounds and shown as plain text; a
// report must write back to JSON that reads as the same report.
//
// Needs src/hub: the hub's readers, with no sockets.

#include "hub/HubJson.h"

#include <QJsonDocument>

#include "Check.h"

using namespace pelvo;
using namespace pelvo::hub;

namespace {

void plain(const QString& text, qsizetype most) {
    check(!text.isEmpty() && text.toUcs4().size() <= most && text == text.trimmed());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        check(c.unicode() >= 0x20 && c.unicode() != 0x7F && c.category() != QChar::Other_Control);
        check(c.category() != QChar::Other_Format && c != QChar(0x2028) && c != QChar(0x2029));
        // Only whole surrogate pairs.
        if (c.isHighSurrogate())
            check(i + 1 < text.size() && text[++i].isLowSurrogate());
        else
            check(!c.isLowSurrogate());
    }
}

void name(const QString& n) {
    plain(n, MaxNameLength);
    check(cleanName(n) == n);
}

// The value a reader took, or null for a refusal (which must make a well-formed error body).
// `r` must outlive the pointer.
template <class T> const T* taken(const Read<T>& r) {
    if (const auto* refusal = std::get_if<Refusal>(&r)) {
        check(!refusal->error.isEmpty() && !refusal->message.isEmpty());
        const auto body = QJsonDocument::fromJson(errorBody(refusal->error, refusal->message));
        check(body.isObject());
        return nullptr;
    }
    return &std::get<T>(r);
}

void report(const Read<TableReport>& r) {
    const TableReport* t = taken(r);
    if (!t) return;
    name(t->name);
    check(t->port >= 1 && t->seatsTaken >= 0 && t->seatsFree >= 0);
    check(t->seatsTaken + t->seatsFree <= MaxSeats && t->watchers >= 0 &&
          t->watchers <= MaxWatchers);
    check(t->code.isEmpty() || (t->isPrivate && normaliseCode(t->code) == t->code));
    const QByteArray json = QJsonDocument(reportJson(*t)).toJson(QJsonDocument::Compact);
    const Read<TableReport> read = readReport(json);
    const TableReport* again = taken(read);
    check(again && *again == *t);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const QByteArrayView body(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    check(jsonDepth(body) >= 0 && jsonDepth(body) <= MaxJsonDepth + 1);
    switch (data[0] % 5) {
    case 0: {
        const Read<CreateRequest> read = readCreate(body);
        if (const CreateRequest* c = taken(read)) name(c->name);
        break;
    }
    case 1:
        report(readRegister(body));
        break;
    case 2:
        report(readReport(body));
        break;
    case 3: {
        const Read<ChatRequest> read = readChat(body);
        if (const ChatRequest* c = taken(read)) {
            name(c->name);
            plain(c->text, MaxChatLength);
        }
        break;
    }
    default: {
        const Read<QJsonObject> read = readObject(body);
        if (taken(read)) check(body.size() <= MaxBodyBytes);
        break;
    }
    }
    return 0;
}
