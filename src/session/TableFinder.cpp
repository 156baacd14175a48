#include "session/TableFinder.h"

// Qt
#include <QHostAddress>
#include <QLoggingCategory>
#include <QNetworkDatagram>
#include <QUdpSocket>

// std
#include <algorithm>

Q_LOGGING_CATEGORY(lcFinder, "pelvo.session.finder")

namespace pelvo {

TableFinder::TableFinder(QObject* parent) : QObject(parent), socket_(new QUdpSocket(this)) {
    connect(socket_, &QUdpSocket::readyRead, this, &TableFinder::readAnswers);
}

TableFinder::~TableFinder() = default;

QString TableFinder::queryAddress() {
    const QString address = qEnvironmentVariable("PELVO_DISCOVERY_ADDRESS");
    return address.isEmpty() ? QHostAddress(QHostAddress::Broadcast).toString() : address;
}

bool TableFinder::search(quint16 port) {
    found_.clear();
    if (socket_->state() != QAbstractSocket::BoundState &&
        !socket_->bind(QHostAddress::AnyIPv4, 0)) {
        qCWarning(lcFinder) << "cannot search for tables:" << socket_->errorString();
        return false;
    }
    const QHostAddress to(queryAddress());
    if (to.isNull() || port == 0) return false;
    return socket_->writeDatagram(discovery::query(), to, port) >= 0;
}

QString TableFinder::shownName(const QString& name) {
    QString out;
    out.reserve(name.size());
    bool visible = false; // a letter, digit, punctuation or symbol is left
    for (const char32_t c : name.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        switch (category) {
        case QChar::Other_Control:
        case QChar::Other_Format: // direction overrides and isolates, zero-width characters
        case QChar::Other_Surrogate:
        case QChar::Other_NotAssigned:
            continue;
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            out += QLatin1Char(' ');
            continue;
        default:
            break;
        }
        // Letters by category, yet drawn as nothing: Hangul fillers, the braille blank, the
        // combining grapheme joiner.
        if (c == 0x115F || c == 0x1160 || c == 0x3164 || c == 0xFFA0 || c == 0x2800 || c == 0x034F)
            continue;
        if (category > QChar::Mark_Enclosing && category != QChar::Separator_Space) visible = true;
        out += QString::fromUcs4(&c, 1);
    }
    return visible ? out.simplified() : QString();
}

void TableFinder::readAnswers() {
    // A bounded batch per turn of the event loop: a flood of answers cannot freeze the window.
    for (int n = 0; n < 256 && socket_->hasPendingDatagrams(); ++n) {
        const QNetworkDatagram datagram = socket_->receiveDatagram(discovery::MaxDatagram + 1);
        const auto table = discovery::readAnswer(datagram.data());
        if (!table) continue; // not an answer of ours
        bool ok = false;
        const QHostAddress from(datagram.senderAddress().toIPv4Address(&ok));
        Found found{ok ? from.toString() : datagram.senderAddress().toString(), *table};
        found.table.tableName = shownName(table->tableName);
        if (found.table.tableName.isEmpty()) found.table.tableName = found.address;
        found.table.hostName = shownName(table->hostName);

        const auto seen = std::find_if(found_.begin(), found_.end(), [&](const Found& f) {
            return f.address == found.address && f.table.port == found.table.port;
        });
        if (seen != found_.end()) {
            if (seen->table == found.table) continue;
            seen->table = found.table;
            emit tableUpdated(int(seen - found_.begin()), found);
            continue;
        }
        if (found_.size() >= MaxTables) continue;
        found_.append(found);
        emit tableFound(found);
    }
}

} // namespace pelvo
