#include "document/PictureLedger.h"

PictureLedger& PictureLedger::shared() {
    static PictureLedger ledger;
    return ledger;
}

void PictureLedger::record(qint64 cacheKey, const QString& path) {
    forget(path);
    durable::FileStamp stamp;
    if (!durable::stampOf(path, &stamp))
        return;
    byPath_.insert(path, Entry{cacheKey, stamp});
    byKey_.insert(cacheKey, path);
}

bool PictureLedger::holds(const QString& path, qint64 cacheKey) const {
    const auto it = byPath_.constFind(path);
    if (it == byPath_.constEnd() || it->cacheKey != cacheKey)
        return false;
    durable::FileStamp now;
    return durable::stampOf(path, &now) && now == it->stamp;
}

QStringList PictureLedger::filesOf(qint64 cacheKey) const {
    return byKey_.values(cacheKey);
}

void PictureLedger::forget(const QString& path) {
    const auto it = byPath_.find(path);
    if (it == byPath_.end())
        return;
    byKey_.remove(it->cacheKey, path);
    byPath_.erase(it);
}

void PictureLedger::clear() {
    byPath_.clear();
    byKey_.clear();
}
