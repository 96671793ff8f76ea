#pragma once

#include <QByteArray>
#include <QString>

// File steps a save set is made of, each reporting the system's reason when it fails
// ("Permission denied", "No space left on device").
namespace durable {

// Creates path (which must not exist) and writes all of data to it. On failure nothing is left
// at path.
bool writeNewFile(const QString& path, const char* data, qint64 size, QString* error);
inline bool writeNewFile(const QString& path, const QByteArray& data, QString* error) {
    return writeNewFile(path, data.constData(), data.size(), error);
}
// Flushes the file's contents to the disk.
bool syncFile(const QString& path, QString* error);
// Flushes the folder's entries (made by creating, renaming or removing files) to the disk.
bool syncFolder(const QString& folder, QString* error);
// Atomically replaces `to` by `from`.
bool moveInto(const QString& from, const QString& to, QString* error);
// Removes the file; a missing file is no failure.
bool removeFile(const QString& path, QString* error);
// Creates `to` (which must not exist) holding what `from` holds: a second name of the same file
// where the file system allows it, else a copy. Like writeNewFile, nothing is left on failure.
bool linkNewFile(const QString& from, const QString& to, QString* error);

// What identifies a file's contents without reading them: a file replaced by renaming another
// onto it has a new inode even when size and time agree.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
// False when there is no regular file at path.
bool stampOf(const QString& path, FileStamp* stamp);
// The whole file, read only when it is still as `stamp` says.
bool readUnchanged(const QString& path, const FileStamp& stamp, QByteArray* bytes, QString* error);

} // namespace durable
