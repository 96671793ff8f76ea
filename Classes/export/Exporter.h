#pragma once

#include "export/ExportOptions.h"
#include "export/ExportTiming.h"

#include <QImage>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class ExportSink;
class Frame;
class FrameRenderer;

// One export of an animation: frames rendered on the calling (main) thread, encoded and
// written on a worker thread, so that a caller with an event loop can render a slice at a time
// (pump) and stay responsive; run() does it all at once.
//
// The result is written under a temporary name beside the target and moved into place only
// when it is complete: a cancelled or failed export leaves nothing behind, and error() says
// why it failed. An MP4 or GIF replaces a file of the same name; the folder of pictures must
// be new.
class Exporter {
public:
    enum class State { Ready, Running, Done, Failed, Cancelled };

    // Where a frame sound's file is, by its file name ("Kiss.aif"); the resource folder's
    // unless told otherwise.
    using SoundLocator = std::function<QString(const QString& fileName)>;

    Exporter(std::vector<std::shared_ptr<Frame>> frames, double speed, ExportOptions options);
    ~Exporter(); // cancels an export still running
    Exporter(const Exporter&) = delete;
    Exporter& operator=(const Exporter&) = delete;

    void setSoundLocator(SoundLocator locator) { soundLocator_ = std::move(locator); }

    // Checks the options, makes the temporary target and starts the worker. False (Failed,
    // with error()) when the export cannot begin.
    bool start();
    // Renders frames for about budgetMs (fewer while the worker is behind) and finishes the
    // export once the worker is done. True while there is more to do.
    bool pump(int budgetMs);
    // start() when not started, then everything; progress is told done and total work.
    bool run(const std::function<void(int done, int total)>& progress = {});
    // Stops, removes what was written; the state becomes Cancelled. Nothing once finished.
    void cancel();

    State state() const { return state_; }
    bool isRunning() const { return state_ == State::Running; }
    QString error() const { return error_; }
    const ExportOptions& options() const { return options_; }
    FrameRate frameRate() const { return rate_; }
    int frameCount() const { return int(frames_.size()); }
    // Work done and in all: every frame once per pass (twice for a GIF) written.
    int progressDone() const { return written_.load(); }
    int progressTotal() const { return total_; }

private:
    struct Job {
        int pass = 0;
        int index = 0;
        QImage image; // null: the end
    };

    std::unique_ptr<ExportSink> makeSink();
    std::vector<std::pair<QString, int64_t>> soundCues() const;
    void work();
    bool queueFull();
    void push(Job job);
    void stopWorker();
    void removeTemporary();
    // The worker finished: move the result into place, or report its failure.
    void conclude();
    void failWith(const QString& why);

    std::vector<std::shared_ptr<Frame>> frames_;
    FrameRate rate_;
    ExportOptions options_;
    SoundLocator soundLocator_;
    State state_ = State::Ready;
    QString error_;
    QString temporary_; // file or folder written, moved to options_.output at the end
    int total_ = 0;
    int rendered_ = 0;
    bool endQueued_ = false;
    std::unique_ptr<FrameRenderer> renderer_;
    std::unique_ptr<ExportSink> sink_;

    // Shared with the worker.
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    bool workerDone_ = false;
    bool workerOk_ = false;
    QString workerError_;
    std::atomic<bool> cancelled_{false};
    std::atomic<int> written_{0};
};
