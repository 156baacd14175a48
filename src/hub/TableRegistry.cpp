#include "hub/TableRegistry.h"

// std
#include <algorithm>

namespace pelvo::hub {

Listing* TableRegistry::find(const QString& id) {
    auto it = tables_.find(id);
    return it == tables_.end() ? nullptr : &*it;
}

const Listing* TableRegistry::byCode(const QString& code) const {
    const auto id = codes_.value(code);
    if (id.isEmpty()) return nullptr;
    auto it = tables_.constFind(id);
    return it == tables_.cend() ? nullptr : &*it;
}

void TableRegistry::put(Listing listing) {
    const bool visible = !listing.report.isPrivate;
    const QString id = listing.id;
    if (tables_.contains(id)) remove(id);
    if (!listing.report.code.isEmpty()) codes_.insert(listing.report.code, id);
    tables_.insert(id, std::move(listing));
    order_.push_back(id);
    if (visible) emit publicChanged();
}

bool TableRegistry::update(const QString& id, const TableReport& report, qint64 nowMs) {
    Listing* l = find(id);
    if (!l) return false;
    l->reportedAtMs = nowMs;
    if (report.seatsTaken + report.watchers > 0) l->occupiedAtMs = nowMs;
    if (l->report == report) return true;
    const bool wasVisible = !l->report.isPrivate;
    if (l->report.code != report.code) {
        codes_.remove(l->report.code);
        if (!report.code.isEmpty()) codes_.insert(report.code, id);
    }
    l->report = report;
    if (wasVisible || !report.isPrivate) emit publicChanged();
    return true;
}

bool TableRegistry::remove(const QString& id) {
    auto it = tables_.find(id);
    if (it == tables_.end()) return false;
    const bool visible = !it->report.isPrivate;
    if (!it->report.code.isEmpty() && codes_.value(it->report.code) == id)
        codes_.remove(it->report.code);
    tables_.erase(it);
    order_.erase(std::remove(order_.begin(), order_.end(), id), order_.end());
    if (visible) emit publicChanged();
    return true;
}

int TableRegistry::countByCreator(const QString& address) const {
    return int(std::count_if(tables_.cbegin(), tables_.cend(),
                             [&](const Listing& l) { return l.creator == address; }));
}

QJsonObject TableRegistry::tableJson(const Listing& l) {
    return QJsonObject{{QStringLiteral("id"), l.id},
                       {QStringLiteral("name"), l.report.name},
                       {QStringLiteral("address"), l.address},
                       {QStringLiteral("port"), int(l.report.port)},
                       {QStringLiteral("seats_taken"), l.report.seatsTaken},
                       {QStringLiteral("seats_free"), l.report.seatsFree},
                       {QStringLiteral("watchers"), l.report.watchers},
                       {QStringLiteral("playing"), l.report.playing},
                       {QStringLiteral("level"), levelName(l.report.level)},
                       {QStringLiteral("private"), l.report.isPrivate}};
}

QJsonArray TableRegistry::publicTables() const {
    QJsonArray list;
    for (const QString& id : order_) {
        const Listing& l = *tables_.constFind(id);
        if (!l.report.isPrivate) list.append(tableJson(l));
    }
    return list;
}

std::vector<QString> TableRegistry::silentSince(qint64 nowMs, qint64 silenceMs) const {
    std::vector<QString> ids;
    for (const Listing& l : tables_)
        if (nowMs - l.reportedAtMs >= silenceMs) ids.push_back(l.id);
    return ids;
}

std::vector<QString> TableRegistry::idleSince(qint64 nowMs, qint64 idleMs) const {
    std::vector<QString> ids;
    for (const Listing& l : tables_)
        if (l.startedHere && nowMs - l.occupiedAtMs >= idleMs) ids.push_back(l.id);
    return ids;
}

std::vector<const Listing*> TableRegistry::all() const {
    std::vector<const Listing*> list;
    for (const Listing& l : tables_) list.push_back(&l);
    return list;
}

std::vector<QString> TableRegistry::startedHere() const {
    std::vector<QString> ids;
    for (const Listing& l : tables_)
        if (l.startedHere) ids.push_back(l.id);
    return ids;
}

} // namespace pelvo::hub
