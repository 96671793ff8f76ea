#include "SoundTestFiles.h"

#include "SoundTitles.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <mutex>
#include <numbers>

namespace soundtest {

const QStringList& kCatalogueOrder = testsupport::kSoundTitles;

namespace {

void putBigEndian(QByteArray& out, quint64 value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xff));
}

void putChunk(QByteArray& out, const char* id, const QByteArray& body) {
    out.append(id, 4);
    putBigEndian(out, quint64(body.size()), 4);
    out.append(body);
}

} // namespace

QString writeAiff(const QString& path, double seconds, int bitsPerSample) {
    constexpr quint32 kRate = 22050;
    const int bytes = bitsPerSample / 8;
    const quint32 frames = quint32(seconds * kRate);

    QByteArray comm;
    putBigEndian(comm, 1, 2); // channels
    putBigEndian(comm, frames, 4);
    putBigEndian(comm, quint64(bitsPerSample), 2);
    // The rate as an 80-bit extended real: 22050 = 1.x * 2^14.
    putBigEndian(comm, 16383 + 14, 2);
    putBigEndian(comm, quint64(kRate) << (63 - 14), 8);

    QByteArray ssnd;
    putBigEndian(ssnd, 0, 4); // offset
    putBigEndian(ssnd, 0, 4); // block size
    const double peak = std::ldexp(0.1, bitsPerSample - 1);
    for (quint32 i = 0; i < frames; ++i) {
        const auto sample = qint64(peak * std::sin(2 * std::numbers::pi * 440 * i / kRate));
        putBigEndian(ssnd, quint64(sample), bytes);
    }

    QByteArray form("AIFF");
    putChunk(form, "COMM", comm);
    putChunk(form, "SSND", ssnd);
    QByteArray file;
    putChunk(file, "FORM", form);

    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString makeCatalogueFolder(const QStringList& leaveOut) {
    const QString folder = testsupport::makeTempDir();
    for (const QString& title : kCatalogueOrder) {
        if (!leaveOut.contains(title))
            writeAiff(QDir(folder).filePath(title + ".aif"), 0.05);
    }
    return folder;
}

namespace {

std::mutex captureLock;
QStringList* captured = nullptr;
QtMessageHandler previousHandler = nullptr;

void capture(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const bool ours = qstrcmp(context.category, "kelvora") == 0;
    if (ours && (type == QtWarningMsg || type == QtCriticalMsg)) {
        std::lock_guard guard(captureLock);
        captured->append(message);
    } else if (!(ours && type == QtDebugMsg) && previousHandler) {
        previousHandler(type, context, message);
    }
}

} // namespace

LogCapture::LogCapture() {
    captured = new QStringList;
    previousHandler = qInstallMessageHandler(capture);
}

LogCapture::~LogCapture() {
    qInstallMessageHandler(previousHandler);
    delete captured;
    captured = nullptr;
}

QStringList LogCapture::warnings() const {
    std::lock_guard guard(captureLock);
    return *captured;
}

} // namespace soundtest
