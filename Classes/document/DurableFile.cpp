#include "document/DurableFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace durable {

namespace {

bool fail(QString* error, int err) {
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(err));
    return false;
}

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

int openRetrying(const QByteArray& path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path.constData(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool syncPath(const QString& path, int flags, QString* error) {
    const int fd = openRetrying(nativePath(path), flags);
    if (fd < 0)
        return fail(error, errno);
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc < 0 && errno == EINTR);
    const int err = errno;
    ::close(fd);
    return rc == 0 || fail(error, err);
}

} // namespace

bool writeNewFile(const QString& path, const char* data, qint64 size, QString* error) {
    const QByteArray native = nativePath(path);
    const int fd = openRetrying(native, O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0)
        return fail(error, errno);
    const char* p = data;
    qint64 left = size;
    int err = 0;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(std::min<qint64>(left, 1 << 30)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            break;
        }
        if (n == 0) {
            err = ENOSPC;
            break;
        }
        p += n;
        left -= n;
    }
    // Starts writing the data out now, so that the flush before the commit finds little left
    // to do; errors, if any, surface there.
    if (!err)
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    // Delayed allocation can report a full disk only when the file is closed.
    if (::close(fd) != 0 && !err && errno != EINTR)
        err = errno;
    if (err) {
        ::unlink(native.constData());
        return fail(error, err);
    }
    return true;
}

bool syncFile(const QString& path, QString* error) {
    return syncPath(path, O_RDONLY, error);
}

bool syncFolder(const QString& folder, QString* error) {
    return syncPath(folder, O_RDONLY | O_DIRECTORY, error);
}

bool moveInto(const QString& from, const QString& to, QString* error) {
    const QByteArray source = nativePath(from);
    if (::rename(source.constData(), nativePath(to).constData()) != 0)
        return fail(error, errno);
    // Two names of one file: rename leaves both, and `from` must go all the same.
    struct stat st;
    if (::lstat(source.constData(), &st) == 0 && ::unlink(source.constData()) != 0)
        return fail(error, errno);
    return true;
}

bool removeFile(const QString& path, QString* error) {
    if (::unlink(nativePath(path).constData()) != 0 && errno != ENOENT)
        return fail(error, errno);
    return true;
}

bool linkNewFile(const QString& from, const QString& to, QString* error) {
    if (::link(nativePath(from).constData(), nativePath(to).constData()) == 0)
        return true;
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return fail(error, errno ? errno : EIO);
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return fail(error, EIO);
    return writeNewFile(to, bytes, error);
}

namespace {

FileStamp stampFrom(const struct stat& st) {
    return FileStamp{quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                     qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

} // namespace

bool stampOf(const QString& path, FileStamp* stamp) {
    struct stat st;
    if (::stat(nativePath(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    *stamp = stampFrom(st);
    return true;
}

bool readUnchanged(const QString& path, const FileStamp& stamp, QByteArray* bytes, QString* error) {
    const int fd = openRetrying(nativePath(path), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return fail(error, errno);
    struct stat st;
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (!S_ISREG(st.st_mode) || stampFrom(st) != stamp)
        err = ESTALE;
    if (!err) {
        *bytes = QByteArray(qsizetype(st.st_size), Qt::Uninitialized);
        qint64 done = 0;
        while (done < st.st_size) {
            const ssize_t n = ::read(fd, bytes->data() + done, size_t(st.st_size - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                err = n < 0 ? errno : ESTALE; // shorter than it was: changed meanwhile
                break;
            }
            done += n;
        }
    }
    ::close(fd);
    return !err || fail(error, err);
}

} // namespace durable
