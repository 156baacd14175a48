#include "session/Announcer.h"

// own
#include "session/ClientSession.h"

namespace pelvo {

Announcer::Announcer(ClientSession& session, QObject* parent) : QObject(parent) {
    connect(&session, &ClientSession::announced, this, [this](const QStringList& sentences) {
        text_ = sentences.join(u' ');
        emit announced(text_);
    });
}

} // namespace pelvo
