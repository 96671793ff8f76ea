#include "export/PngSequenceWriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>

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
    QFile file(QDir(folder_).filePath(fileName(index, frameCount_)));
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.flush()) {
        if (error)
            *error =
                QStringLiteral("Could not write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error =
                QStringLiteral("Could not write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

bool PngSequenceWriter::finish(QString*) {
    return true;
}
