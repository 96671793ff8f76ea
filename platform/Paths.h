#pragma once

#include <QString>

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

} // namespace platform
