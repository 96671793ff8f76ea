#pragma once

#include "document/DurableFile.h"

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

// Which picture (QImage::cacheKey) was last written to or read from which file, with the file's
// size and modification time then. A save asks it whether a picture is already on disk as it
// is, so that unchanged pictures are not encoded and written again, without comparing pixels.
// One ledger for the whole program; main thread only.
class PictureLedger {
public:
    static PictureLedger& shared();

    // The picture with this key is now what the file at path holds (as the file is now).
    void record(qint64 cacheKey, const QString& path);
    // Whether the file at path still holds the picture with this key: the ledger names that
    // picture for it and the file's size and time are as they were then.
    bool holds(const QString& path, qint64 cacheKey) const;
    // The files the ledger names for this picture, whether or not they still hold it.
    QStringList filesOf(qint64 cacheKey) const;
    // The file is gone or holds something else now.
    void forget(const QString& path);
    void clear();

private:
    struct Entry {
        qint64 cacheKey = 0;
        durable::FileStamp stamp;
    };
    QHash<QString, Entry> byPath_;
    QMultiHash<qint64, QString> byKey_;
};
