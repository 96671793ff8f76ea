#pragma once

#include <QImage>
#include <QString>

#include <atomic>

// What turns the rendered frames into a file (or a folder of files). Runs on the export's
// worker thread: begin, the frames of each pass in order, then finish. The export writes under
// a temporary name and moves the result into place itself; a sink only writes where it is told.
class ExportSink {
public:
    virtual ~ExportSink() = default;

    // How often the frames are handed over (a GIF's palette needs every frame first).
    virtual int passes() const { return 1; }
    // Each returns false with a reason in *error when it fails; nothing is called after that
    // but the destructor, which lets go of everything (the export removes what was written).
    virtual bool begin(QString* error) = 0;
    virtual bool addFrame(int pass, int index, const QImage& image, QString* error) = 0;
    virtual bool finish(QString* error) = 0;

    // Set by the export when it is cancelled; long steps look at it.
    void setCancelFlag(const std::atomic<bool>* cancelled) { cancelled_ = cancelled; }

protected:
    bool isCancelled() const { return cancelled_ && cancelled_->load(); }
    const std::atomic<bool>* cancelFlag() const { return cancelled_; }

private:
    const std::atomic<bool>* cancelled_ = nullptr;
};
