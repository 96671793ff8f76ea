#include "platform/Paths.h"

#include "platform/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Where Qt puts an application named "Kelvora" of the organisation "Kelvora".
const QString kAppFolder = QStringLiteral("Kelvora/Kelvora");

QString ensureFolder(const QString& path) {
    if (!QDir().mkpath(path))
        qCWarning(lcKelvora, "Cannot create folder %s", qPrintable(path));
    return path;
}

// The program's folder in a standard location. Fixed rather than taken from the application's
// name, so that the command-line tools find the editor's files.
QString standardLocation(QStandardPaths::StandardLocation genericLocation) {
    const QString base = QStandardPaths::writableLocation(genericLocation);
    if (base.isEmpty())
        return QDir::homePath() + QStringLiteral("/.") + kAppFolder;
    return base + QLatin1Char('/') + kAppFolder;
}

// The folder with every link resolved, ending in '/'; empty when it cannot be resolved.
QByteArray resolvedFolderPrefix(const QString& folder) {
    char resolved[PATH_MAX];
    if (!::realpath(QFile::encodeName(folder).constData(), resolved))
        return QByteArray();
    QByteArray prefix(resolved);
    if (!prefix.endsWith('/'))
        prefix.append('/');
    return prefix;
}

// Where an open file descriptor leads, links resolved (as the kernel opened it).
QByteArray pathOfDescriptor(int fd) {
    char target[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
    return n > 0 ? QByteArray(target, n) : QByteArray();
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
    return ensureFolder(standardLocation(QStandardPaths::GenericDataLocation) +
                        QStringLiteral("/Documents"));
}

QString preferencesFolder() {
    const QString home = homeOverride();
    if (!home.isEmpty())
        return ensureFolder(home + QStringLiteral("/Preferences"));
    return ensureFolder(standardLocation(QStandardPaths::GenericConfigLocation));
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

bool readRegularFile(const QString& path, qint64 maxBytes, QByteArray& buffer,
                     const QString& within) {
    // Looked at before it is opened for reading: opening a pipe would wait for a writer for
    // ever, and opening a device may do something.
    int handle;
    do {
        handle = ::open(QFile::encodeName(path).constData(), O_PATH | O_CLOEXEC);
    } while (handle < 0 && errno == EINTR);
    if (handle < 0)
        return false;
    struct Closer {
        int fd;
        ~Closer() {
            if (fd >= 0)
                ::close(fd);
        }
    } closeHandle{handle};
    struct stat st;
    if (::fstat(handle, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxBytes)
        return false;
    // Checked on what was opened, so a link swapped meanwhile changes nothing.
    if (!within.isEmpty()) {
        const QByteArray prefix = resolvedFolderPrefix(within);
        if (prefix.isEmpty() || !pathOfDescriptor(handle).startsWith(prefix))
            return false;
    }
    int fd;
    const QByteArray opened = "/proc/self/fd/" + QByteArray::number(handle);
    do {
        fd = ::open(opened.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    Closer closeFile{fd};
    struct stat reopened;
    if (::fstat(fd, &reopened) != 0 || reopened.st_ino != st.st_ino ||
        reopened.st_dev != st.st_dev || !S_ISREG(reopened.st_mode))
        return false;
    buffer.resize(qsizetype(st.st_size));
    qsizetype done = 0;
    while (done < buffer.size()) {
        const ssize_t n = ::read(fd, buffer.data() + done, size_t(buffer.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break; // the file shrank meanwhile
        done += n;
    }
    buffer.resize(done);
    return true;
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes,
                                          const QString& within) {
    QByteArray bytes;
    if (!readRegularFile(path, maxBytes, bytes, within))
        return std::nullopt;
    return bytes;
}

} // namespace platform
