#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

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

// The contents of a regular file of at most maxBytes; nothing for anything else (missing, a
// folder, a device or pipe, larger, unreadable). Never blocks on a pipe.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes);
// The same into buffer, whose memory is reused from one file to the next. False for anything
// but a regular file of at most maxBytes.
bool readRegularFile(const QString& path, qint64 maxBytes, QByteArray& buffer);

} // namespace durable
