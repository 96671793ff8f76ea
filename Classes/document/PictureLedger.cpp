#include "document/PictureLedger.h"

#include <QFile>

#include <sys/stat.h>

PictureLedger& PictureLedger::shared() {
    static PictureLedger ledger;
    return ledger;
}

bool PictureLedger::stampOf(const QString& path, FileStamp* stamp) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    stamp->device = quint64(st.st_dev);
    stamp->inode = quint64(st.st_ino);
    stamp->size = qint64(st.st_size);
    stamp->modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

void PictureLedger::record(qint64 cacheKey, const QString& path) {
    forget(path);
    FileStamp stamp;
    if (!stampOf(path, &stamp))
        return;
    byPath_.insert(path, Entry{cacheKey, stamp});
    byKey_.insert(cacheKey, path);
}

bool PictureLedger::holds(const QString& path, qint64 cacheKey) const {
    const auto it = byPath_.constFind(path);
    if (it == byPath_.constEnd() || it->cacheKey != cacheKey)
        return false;
    FileStamp now;
    return stampOf(path, &now) && now == it->stamp;
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
