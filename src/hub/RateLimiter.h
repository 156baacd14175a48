#pragma once
// A token bucket per key (an address, a table, a connection): each key may spend `burst` at
// once and earns `perSecond` back over time. Keys that have filled up again are forgotten, so the
// table stays as small as the set of busy keys.

// Qt
#include <QElapsedTimer>
#include <QHash>
#include <QString>

namespace pelvo::hub {

class RateLimiter {
public:
    RateLimiter(double burst, double perSecond);

    // Spends one token of `key`; false (and nothing spent) when it has none left.
    bool take(const QString& key);
    // For tests: as if `ms` milliseconds had passed.
    void advance(qint64 ms) { offsetMs_ += ms; }
    qsizetype keys() const { return buckets_.size(); }

private:
    struct Bucket {
        double tokens;
        qint64 atMs;
    };
    qint64 nowMs() const { return clock_.elapsed() + offsetMs_; }
    void prune(qint64 now);

    double burst_;
    double perSecond_;
    QElapsedTimer clock_;
    qint64 offsetMs_ = 0;
    qint64 prunedAt_ = 0;
    QHash<QString, Bucket> buckets_;
};

} // namespace pelvo::hub
