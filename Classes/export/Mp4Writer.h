#pragma once

#include "export/ExportSink.h"
#include "export/ExportTiming.h"
#include "export/LibavSupport.h"
#include "export/SoundTrack.h"

#include <QSize>

#include <vector>

// H.264 video (libx264, yuv420p) and AAC sound in an MP4 file.
//
// Video timestamps count ticks of 1/(num × k) seconds, k chosen so that the track's clock runs
// at 10 kHz or more: frame i starts at exactly i × den × k ticks and every frame, the last
// included, lasts den × k ticks. The sound track is mixed whole when the file is begun and
// encoded alongside the pictures, as far as each frame reaches, so the two stay interleaved.
// It is at least as long as the pictures; an animation without sounds gets a silent track.
class Mp4Writer : public ExportSink {
public:
    // Same settings as `ffmpeg -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p`.
    static constexpr const char* kPreset = "veryfast";
    static constexpr int kCrf = 18;
    static constexpr int kAudioBitRate = 160000;

    Mp4Writer(QString path, QSize size, FrameRate rate, int frameCount,
              std::vector<SoundTrack::Cue> sounds);
    ~Mp4Writer() override;

    bool begin(QString* error) override;
    bool addFrame(int pass, int index, const QImage& image, QString* error) override;
    bool finish(QString* error) override;

    // The video track's ticks per second for a frame rate.
    static int64_t videoTimescale(const FrameRate& rate);

private:
    bool openVideo(QString* error);
    bool openAudio(QString* error);
    // Sends a frame (null to flush) and writes what the encoder gives back.
    bool encode(AVCodecContext* encoder, AVStream* stream, AVFrame* frame, QString* error);
    // Encodes the sound up to sample `until` (all of it when past the end).
    bool encodeAudioUntil(int64_t until, QString* error);
    bool fail(QString* error, const QString& what, int code);

    QString path_;
    QSize size_;
    FrameRate rate_;
    int frameCount_;
    std::vector<SoundTrack::Cue> cues_;
    SoundTrack track_;
    int64_t videoTicksPerFrame_ = 0;

    AVFormatContext* output_ = nullptr;
    bool headerWritten_ = false;
    libav::CodecPtr video_;
    libav::CodecPtr audio_;
    AVStream* videoStream_ = nullptr;
    AVStream* audioStream_ = nullptr;
    libav::SwsPtr sws_;
    libav::FramePtr picture_;
    libav::FramePtr sound_;
    libav::PacketPtr packet_;
    int64_t audioWritten_ = 0; // samples per channel sent to the encoder
};
