// libFuzzer target for the client's side of the wire, headless: lines built from the real
// notice names with fields near their bounds go through the typed decoders and through a whole
// ClientSession (no socket, no window). A decoded notice must encode to a frame that decodes
// and encodes to the same bytes again, and what the session then holds must stay within its
// ranges.

#include "FuzzInput.h"
#include "SessionChecks.h"

#include "protocol/Commands.h"
#include "protocol/Notices.h"
#include "protocol/WireText.h"

#include <QCoreApplication>
#include <QStringList>

#include <functional>

using namespace pelvo;

namespace {

QString payloadOf(const QByteArray& frame) {
    const QString line = decodeWire(frame.chopped(1));
    return line.mid(line.indexOf(u'+') + 1);
}

// decode, encode, decode, encode: the two frames must be the same bytes.
template <class Notice>
void fixedPoint(const QString& payload, QByteArray (*encode)(const Notice&),
                bool (*encodable)(const Notice&) = nullptr) {
    const std::optional<Notice> first = notice::decode<Notice>(payload);
    if (!first || (encodable && !encodable(*first))) return;
    const QByteArray frame = encode(*first);
    check(frame.endsWith(wire::terminator) && frame.count(wire::terminator) == 1);
    const std::optional<Notice> second = notice::decode<Notice>(payloadOf(frame));
    check(second.has_value());
    check(encode(*second) == frame);
}

bool nineInOrder(const QList<notice::Placed>& cards) {
    if (cards.size() != 9) return false;
    for (qsizetype i = 0; i < 9; ++i)
        if (cards[i].position != i + 1) return false;
    return true;
}

struct Entry {
    const char* name;
    std::function<void(const QString&)> roundTrip;
};

const std::vector<Entry>& catalogue() {
    using namespace notice;
    static const std::vector<Entry> entries{
        {cmd::sendlogininfo, [](const QString& p) { fixedPoint<SendLoginInfo>(p, encode); }},
        {cmd::newplayerinfo, [](const QString& p) { fixedPoint<PlayerInfo>(p, encodeNew); }},
        {cmd::existingplayers, [](const QString& p) { fixedPoint<PlayerInfo>(p, encodeExisting); }},
        {cmd::playerdisconnected, [](const QString& p) { fixedPoint<PlayerInfo>(p, encodeGone); }},
        {cmd::havewrongversion, [](const QString& p) { fixedPoint<HaveWrongVersion>(p, encode); }},
        {cmd::wrongversion, [](const QString& p) { fixedPoint<WrongVersion>(p, encode); }},
        {cmd::full, [](const QString& p) { fixedPoint<Full>(p, encode); }},
        {cmd::justwatching, [](const QString& p) { fixedPoint<JustWatching>(p, encode); }},
        {cmd::chat, [](const QString& p) { fixedPoint<ChatText>(p, encodeChat); }},
        {cmd::action, [](const QString& p) { fixedPoint<ChatText>(p, encodeAction); }},
        {cmd::playasound, [](const QString& p) { fixedPoint<PlayASound>(p, encode); }},
        {cmd::startgame, [](const QString& p) { fixedPoint<StartGame>(p, encode); }},
        {cmd::roundstarting, [](const QString& p) { fixedPoint<RoundStarting>(p, encode); }},
        {cmd::mycards,
         [](const QString& p) {
             fixedPoint<MyCards>(p, encode, [](const MyCards& n) { return nineInOrder(n.cards); });
         }},
        {cmd::gamestats, [](const QString& p) { fixedPoint<GameStats>(p, encode); }},
        {cmd::postscores,
         [](const QString& p) {
             fixedPoint<PostScores>(p, encode,
                                    [](const PostScores& n) { return nineInOrder(n.cards); });
         }},
        {cmd::penalty, [](const QString& p) { fixedPoint<Penalty>(p, encode); }},
        {cmd::nextplayer, [](const QString& p) { fixedPoint<NextPlayer>(p, encode); }},
        {cmd::winner, [](const QString& p) { fixedPoint<Winner>(p, encode); }},
        {cmd::drawacard, [](const QString& p) { fixedPoint<DrawACard>(p, encode); }},
        {cmd::heflipped, [](const QString& p) { fixedPoint<HeFlipped>(p, encode); }},
        {cmd::replaceadraw, [](const QString& p) { fixedPoint<Replaced>(p, encodeDraw); }},
        {cmd::replaceadiscard, [](const QString& p) { fixedPoint<Replaced>(p, encodeDiscard); }},
        {cmd::discardadrawn, [](const QString& p) { fixedPoint<DiscardADrawn>(p, encode); }},
        {cmd::tablerights, [](const QString& p) { fixedPoint<TableRights>(p, encode); }},
        {cmd::reclaimtoken, [](const QString& p) { fixedPoint<ReclaimToken>(p, encode); }},
        {cmd::removed, [](const QString& p) { fixedPoint<Removed>(p, encode); }},
        {cmd::tableclosing, [](const QString& p) { fixedPoint<TableClosing>(p, encode); }},
        {cmd::seatreclaimed, [](const QString& p) { fixedPoint<SeatReclaimed>(p, encode); }},
        {cmd::seatstate, [](const QString& p) { fixedPoint<SeatState>(p, encode); }},
        {cmd::chathistory, [](const QString& p) { fixedPoint<ChatHistoryLine>(p, encode); }},
    };
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    ClientSession session;
    int sent = 0;
    session.setTransport([&](const QByteArray& frame) {
        // One frame; the login is followed by an empty one.
        const int ends = frame.startsWith("CMD_logininfo+") ? 2 : 1;
        check(frame.size() > ends && frame.count(wire::terminator) == ends);
        check(frame.indexOf(wire::terminator) == frame.size() - ends);
        ++sent;
        return true;
    });
    const auto& entries = catalogue();
    int steps = 0;
    while (!in.atEnd() && ++steps < 300) {
        const int op = in.below(12);
        if (op == 0) {
            session.handleLine(decodeWire(in.bytes(48)));
        } else if (op == 1) {
            // The player's intents in between: a click on a card or a pile, the watch button.
            switch (in.below(4)) {
            case 0:
                session.chooseCell(in.below(12) - 1);
                break;
            case 1:
                session.drawFromPile();
                break;
            case 2:
                session.pickDiscard();
                break;
            default:
                session.justWatch();
                break;
            }
        } else {
            const Entry& e = entries[std::size_t(in.below(int(entries.size())))];
            QStringList fields;
            for (int n = in.below(24); n > 0; --n) fields << in.field();
            QString payload = fields.join(u'+');
            if (in.below(3) != 0) payload += u'+';
            e.roundTrip(payload);
            session.handleLine(QString::fromLatin1(e.name) + u'+' + payload);
        }
        fuzz::checkModel(session.table());
    }
    return 0;
}
