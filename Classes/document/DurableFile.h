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

} // namespace durable
