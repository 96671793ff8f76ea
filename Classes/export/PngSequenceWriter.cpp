#include "export/PngSequenceWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

PngSequenceWriter::PngSequenceWriter(QString folder, int frameCount)
    : folder_(std::move(folder)), frameCount_(frameCount) {}

QString PngSequenceWriter::fileName(int index, int frameCount) {
    const int digits = std::max(4, int(QString::number(frameCount).size()));
    return QStringLiteral("frame-%1.png").arg(index + 1, digits, 10, QLatin1Char('0'));
}

bool PngSequenceWriter::begin(QString*) {
    return true;
}

bool PngSequenceWriter::addFrame(int, int index, const QImage& image, QString* error) {
    // Encoded in memory first: QImageWriter on a file says little about why a write failed.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Frames are opaque: no alpha channel in the files.
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        if (error)
            *error = QStringLiteral("Could not encode frame %1: %2")
                         .arg(index + 1)
                         .arg(writer.errorString());
        return false;
    }
    // Written with the system's calls: a failed write says why (a full disk, say).
    const QString path = QDir(folder_).filePath(fileName(index, frameCount_));
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    qint64 written = 0;
    while (fd >= 0 && written < png.size()) {
        const ssize_t n = ::write(fd, png.constData() + written, size_t(png.size() - written));
        if (n < 0 && errno != EINTR)
            break;
        written += std::max<ssize_t>(n, 0);
    }
    const int writeErrno = errno;
    const bool closed = fd >= 0 && ::close(fd) == 0;
    if (fd < 0 || written < png.size() || !closed) {
        if (error)
            *error = QStringLiteral("Could not write %1: %2")
                         .arg(path, QString::fromLocal8Bit(
                                        std::strerror(written < png.size() ? writeErrno : errno)));
        return false;
    }
    return true;
}

bool PngSequenceWriter::finish(QString*) {
    return true;
}
