#pragma once
// A session for chat panel tests: records the frames it sends and the settings the player
// chose (each one a write of the settings file in the program).

#include "client/chat/ChatModel.h"
#include "client/chat/ChatPanel.h"
#include "client/chat/ChatRow.h"
#include "session/ClientSession.h"

#include <QList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <memory>

namespace pelvo::test {

class RecordingContext {
public:
    ClientSession session;
    const ClientState& st = session.state();
    QList<QByteArray> frames;
    int saves = 0;

    RecordingContext() {
        session.setTransport([this](const QByteArray& frame) {
            frames << frame;
            return true;
        });
        QObject::connect(&session, &ClientSession::settingsChosen, [this] { ++saves; });
    }
};

// A line as sender "+" text straight into the session's chat: sender 0 is this client's own
// line, any other a relayed chat line.
inline void addLine(ClientSession& session, const QString& line, quint32 colour) {
    const qsizetype plus = line.indexOf(u'+');
    const int sender = line.left(plus).toInt();
    session.addLine({sender,
                     sender == 0 ? ChatLine::Kind::System : ChatLine::Kind::Chat,
                     line.mid(plus + 1),
                     colour,
                     {}});
}

// A CMD_chat (or CMD_action) payload as the host relays it.
inline CommandTable::Outcome chatReceived(ClientSession& session, const QString& payload,
                                          ChatLine::Kind kind = ChatLine::Kind::Chat) {
    return session.handleLine((kind == ChatLine::Kind::Action ? "CMD_action+" : "CMD_chat+") +
                              payload);
}

// One run of equally formatted text (or one picture) of a chat line.
struct Run {
    QString text;
    QTextCharFormat format;
    bool isImage() const { return format.isImageFormat(); }
    QString imageName() const { return format.toImageFormat().name(); }
};

inline QList<Run> runsOf(const QTextDocument* doc, int line) {
    QList<Run> runs;
    const QTextBlock block = doc->findBlockByNumber(line);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (f.isValid()) runs << Run{f.text(), f.charFormat()};
    }
    return runs;
}

// The chat as the view draws it now: one paragraph a row, each in its sender's current colour.
inline std::unique_ptr<QTextDocument> drawnChat(const ChatPanel& panel) {
    const ChatModel& model = panel.chatModel();
    auto doc = std::make_unique<ChatDocument>(model.textSize());
    QTextCursor c(doc.get());
    for (int i = 0; i < model.rowCount(); ++i) {
        if (i > 0) c.insertBlock();
        ChatDocument::draw(c, model.row(i), model.colourOf(model.row(i).sender));
    }
    return doc;
}

inline QString lineText(const QTextDocument* doc, int line) {
    return doc->findBlockByNumber(line).text();
}

} // namespace pelvo::test
