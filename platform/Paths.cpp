#include "platform/Paths.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {

namespace {

const QString kAppFolder = QStringLiteral("kelvora");

QString ensureFolder(const QString& path) {
    if (!QDir().mkpath(path))
        qCWarning(lcKelvora, "Cannot create folder %s", qPrintable(path));
    return path;
}

// A standard per-application location. Without an application name (no application object, or
// main() has not named it yet) Qt would hand out the generic folder shared by every program, so
// the program's own sub-folder is appended then.
QString standardLocation(QStandardPaths::StandardLocation appLocation,
                         QStandardPaths::StandardLocation genericLocation) {
    if (!QCoreApplication::applicationName().isEmpty()) {
        const QString path = QStandardPaths::writableLocation(appLocation);
        if (!path.isEmpty())
            return path;
    }
    const QString base = QStandardPaths::writableLocation(genericLocation);
    if (base.isEmpty())
        return QDir::homePath() + QStringLiteral("/.") + kAppFolder;
    return base + QLatin1Char('/') + kAppFolder;
}

QString executableFolder() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return exe.isEmpty() ? QDir::currentPath() : QFileInfo(exe).absolutePath();
}

} // namespace

QString homeOverride() {
    return qEnvironmentVariable("KELVORA_HOME");
}

QString documentsFolder() {
    const QString home = homeOverride();
    if (!home.isEmpty())
        return ensureFolder(home + QStringLiteral("/Documents"));
    return ensureFolder(
        standardLocation(QStandardPaths::AppDataLocation, QStandardPaths::GenericDataLocation) +
        QStringLiteral("/Documents"));
}

QString preferencesFolder() {
    const QString home = homeOverride();
    if (!home.isEmpty())
        return ensureFolder(home + QStringLiteral("/Preferences"));
    return ensureFolder(
        standardLocation(QStandardPaths::AppConfigLocation, QStandardPaths::GenericConfigLocation));
}

QString documentPath(const QString& fileName) {
    return documentsFolder() + QLatin1Char('/') + fileName;
}

QString resourceFolder() {
    const QString override = qEnvironmentVariable("KELVORA_RESOURCES");
    if (!override.isEmpty())
        return override;
    const QString exeDir = executableFolder();
    const QString beside = exeDir + QStringLiteral("/resources");
    if (QFileInfo(beside).isDir())
        return beside;
    return QDir::cleanPath(exeDir + QStringLiteral("/../share/kelvora"));
}

QString resourcePath(const QString& fileName) {
    return resourceFolder() + QLatin1Char('/') + fileName;
}

} // namespace platform
