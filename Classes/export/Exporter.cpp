#include "export/Exporter.h"

#include "document/Frame.h"
#include "export/ExportSink.h"
#include "export/FrameRenderer.h"
#include "export/GifWriter.h"
#include "export/Mp4Writer.h"
#include "export/PngSequenceWriter.h"
#include "export/SoundTrack.h"
#include "sounds/SoundEffect.h"

#include "platform/Paths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavutil/log.h>
}

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Frames rendered ahead of the worker: enough to keep it busy, few enough to bound memory.
constexpr size_t kQueueLimit = 4;

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// What the files the program makes get: everything the user's umask allows.
mode_t permittedMode(mode_t wanted) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return wanted & ~mask;
}

} // namespace

Exporter::Exporter(std::vector<std::shared_ptr<Frame>> frames, double speed, ExportOptions options)
    : frames_(std::move(frames)), rate_(FrameRate::forSpeed(speed)), options_(std::move(options)),
      soundLocator_(&platform::resourcePath) {}

Exporter::~Exporter() {
    cancel();
}

void Exporter::failWith(const QString& why) {
    state_ = State::Failed;
    error_ = why;
}

std::unique_ptr<ExportSink> Exporter::makeSink() {
    const int n = frameCount();
    switch (options_.format) {
    case ExportFormat::Mp4: {
        std::vector<SoundTrack::Cue> cues;
        for (int i = 0; i < n; ++i)
            for (const auto& sound : frames_[size_t(i)]->sounds())
                // A catalogue sound whose file could not be loaded plays nothing in the editor
                // either.
                if (sound && sound->isLoaded())
                    cues.push_back({soundLocator_(sound->fileName()),
                                    rate_.startTick(i, SoundTrack::kSampleRate)});
        return std::make_unique<Mp4Writer>(temporary_, options_.size, rate_, n, std::move(cues));
    }
    case ExportFormat::Gif:
        return std::make_unique<GifWriter>(temporary_, options_.size, rate_, n, options_.dither);
    case ExportFormat::Png:
        return std::make_unique<PngSequenceWriter>(temporary_, n);
    }
    return nullptr;
}

bool Exporter::start() {
    if (state_ != State::Ready)
        return state_ == State::Running;
    if (frames_.empty()) {
        failWith(QStringLiteral("The animation has no frames."));
        return false;
    }
    if (!ExportOptions::isSupportedSize(options_.size)) {
        failWith(QStringLiteral("Pictures are 480 × 320 or 960 × 640."));
        return false;
    }
    const QFileInfo target(options_.output);
    if (options_.output.isEmpty() || target.fileName().isEmpty()) {
        failWith(QStringLiteral("No file to write to."));
        return false;
    }
    const QDir folder = target.absoluteDir();
    if (!folder.exists()) {
        failWith(QStringLiteral("The folder %1 does not exist.").arg(folder.path()));
        return false;
    }
    const bool png = options_.format == ExportFormat::Png;
    if (png && target.exists()) {
        failWith(QStringLiteral("%1 already exists; the pictures go into a new folder.")
                     .arg(options_.output));
        return false;
    }
    if (!png && target.isDir()) {
        failWith(QStringLiteral("%1 is a folder.").arg(options_.output));
        return false;
    }
    // The temporary name lies beside the target, so the final move is a rename on one disk.
    QByteArray pattern = QFile::encodeName(
        folder.filePath(QLatin1Char('.') + target.fileName() + QStringLiteral(".XXXXXX")));
    if (png) {
        if (!::mkdtemp(pattern.data())) {
            failWith(QStringLiteral("Could not write in %1: %2").arg(folder.path(), systemError()));
            return false;
        }
        ::chmod(pattern.constData(), permittedMode(0777));
    } else {
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) {
            failWith(QStringLiteral("Could not write in %1: %2").arg(folder.path(), systemError()));
            return false;
        }
        ::fchmod(fd, permittedMode(0666));
        ::close(fd);
    }
    temporary_ = QFile::decodeName(pattern);

    // x264 and the MP4 muxer report statistics at the info level: nothing the user needs.
    av_log_set_level(AV_LOG_ERROR);
    renderer_ = std::make_unique<FrameRenderer>(options_.size);
    sink_ = makeSink();
    sink_->setCancelFlag(&cancelled_);
    total_ = frameCount() * sink_->passes();
    state_ = State::Running;
    worker_ = std::thread(&Exporter::work, this);
    return true;
}

void Exporter::work() {
    QString error;
    bool ok = sink_->begin(&error);
    while (ok) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || cancelled_.load(); });
            if (cancelled_.load()) {
                ok = false;
                error = QStringLiteral("Cancelled");
                break;
            }
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        changed_.notify_all(); // room for the next frame
        if (job.image.isNull()) {
            ok = sink_->finish(&error);
            break;
        }
        ok = sink_->addFrame(job.pass, job.index, job.image, &error);
        if (ok)
            ++written_;
    }
    std::lock_guard lock(mutex_);
    workerDone_ = true;
    workerOk_ = ok;
    workerError_ = error;
    queue_.clear();
    changed_.notify_all();
}

bool Exporter::queueFull() {
    std::lock_guard lock(mutex_);
    return queue_.size() >= kQueueLimit;
}

void Exporter::push(Job job) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(job));
    }
    changed_.notify_all();
}

bool Exporter::pump(int budgetMs) {
    if (state_ != State::Running)
        return false;
    {
        std::unique_lock lock(mutex_);
        if (workerDone_) {
            lock.unlock();
            conclude();
            return false;
        }
    }
    QElapsedTimer clock;
    clock.start();
    const int n = frameCount();
    while (rendered_ < total_ && !queueFull()) {
        const int index = rendered_ % n;
        push(Job{rendered_ / n, index, renderer_->render(*frames_[size_t(index)])});
        ++rendered_;
        if (clock.elapsed() >= budgetMs)
            break;
    }
    if (rendered_ == total_ && !endQueued_) {
        push(Job{});
        endQueued_ = true;
    }
    return true;
}

bool Exporter::run(const std::function<void(int, int)>& progress) {
    if (state_ == State::Ready && !start())
        return false;
    while (pump(100)) {
        if (progress)
            progress(progressDone(), total_);
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(100), [this] {
            return workerDone_ || (rendered_ < total_ && queue_.size() < kQueueLimit);
        });
    }
    if (progress)
        progress(progressDone(), total_);
    return state_ == State::Done;
}

void Exporter::stopWorker() {
    if (worker_.joinable())
        worker_.join();
    // The sink closes its files before they are moved or removed.
    sink_.reset();
    renderer_.reset();
}

void Exporter::removeTemporary() {
    if (temporary_.isEmpty())
        return;
    if (options_.format == ExportFormat::Png)
        QDir(temporary_).removeRecursively();
    else
        QFile::remove(temporary_);
    temporary_.clear();
}

void Exporter::conclude() {
    stopWorker();
    if (!workerOk_) {
        // The user knows the file by the name they gave, not by its temporary one.
        QString why = workerError_;
        why.replace(temporary_, options_.output);
        removeTemporary();
        failWith(why);
        return;
    }
    if (::rename(QFile::encodeName(temporary_).constData(),
                 QFile::encodeName(options_.output).constData()) != 0) {
        const QString why = systemError();
        removeTemporary();
        failWith(QStringLiteral("Could not write %1: %2").arg(options_.output, why));
        return;
    }
    temporary_.clear();
    state_ = State::Done;
}

void Exporter::cancel() {
    if (state_ != State::Running)
        return;
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    changed_.notify_all();
    stopWorker();
    removeTemporary();
    state_ = State::Cancelled;
    error_ = QStringLiteral("Cancelled");
}
