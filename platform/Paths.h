#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// $KELVORA_HOME, or empty when it is not set.
QString homeOverride();

// The documents folder: $KELVORA_HOME/Documents, else "Documents" in the user's application-data
// folder. Created when first asked for.
QString documentsFolder();

// Where the user defaults live: $KELVORA_HOME/Preferences, else the user's application
// configuration folder. Created when first asked for.
QString preferencesFolder();

// documentsFolder()/fileName.
QString documentPath(const QString& fileName);

// $KELVORA_RESOURCES, else "resources" beside the executable (build tree), else
// ../share/kelvora relative to it (installed).
QString resourceFolder();

// resourceFolder()/fileName.
QString resourcePath(const QString& fileName);

// The contents of a regular file of at most maxBytes into buffer (its memory reused from one
// file to the next); false for anything else: missing, a folder, a pipe or device, larger,
// unreadable. Never blocks, whatever the file is. With `within` (a folder) given, also false
// when the file, once every link is followed, does not lie inside that folder (the folder
// itself may be reached through a link).
bool readRegularFile(const QString& path, qint64 maxBytes, QByteArray& buffer,
                     const QString& within = QString());
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes,
                                          const QString& within = QString());

} // namespace platform
