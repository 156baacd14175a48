#include "hub/RateLimiter.h"

// std
#include <algorithm>

namespace pelvo::hub {

RateLimiter::RateLimiter(double burst, double perSecond) : burst_(burst), perSecond_(perSecond) {
    clock_.start();
}

bool RateLimiter::take(const QString& key) {
    const qint64 now = nowMs();
    if (now - prunedAt_ > 10000) prune(now);
    auto it = buckets_.find(key);
    if (it == buckets_.end()) it = buckets_.insert(key, Bucket{burst_, now});
    Bucket& b = *it;
    b.tokens = std::min(burst_, b.tokens + double(now - b.atMs) * perSecond_ / 1000.0);
    b.atMs = now;
    if (b.tokens < 1.0) return false;
    b.tokens -= 1.0;
    return true;
}

void RateLimiter::prune(qint64 now) {
    prunedAt_ = now;
    for (auto it = buckets_.begin(); it != buckets_.end();) {
        if (it->tokens + double(now - it->atMs) * perSecond_ / 1000.0 >= burst_)
            it = buckets_.erase(it);
        else
            ++it;
    }
}

} // namespace pelvo::hub
