#pragma once

#include "export/Exporter.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class Frame;
class SoundEffect;

namespace exporttest {

// An MP4 read back through libavformat and libavcodec, independently of the writer.
struct DecodedMp4 {
    bool opened = false;
    // Video: time base, each frame's presentation time, pictures (RGB32) when asked for.
    int64_t timeBaseNum = 0, timeBaseDen = 1;
    std::vector<int64_t> pts;
    std::vector<QImage> pictures;
    int64_t videoDuration = 0; // in the time base: from the first frame's start to the end
    QString pixelFormat;
    // Sound mixed to one channel.
    int sampleRate = 0;
    std::vector<float> sound; // whole AAC frames: up to 1,024 samples of padding at the end
    double soundSeconds = 0;  // the track's length
    double containerSeconds = 0;
};
DecodedMp4 decodeMp4(const QString& path, bool keepPictures);

// Any sound file decoded to one channel at its own rate.
std::vector<float> decodeSound(const QString& path, int* sampleRate);
// A mono 16-bit AIFF of `samples` at `rate`, written through libavformat.
bool writeAiff(const QString& path, const std::vector<float>& samples, int rate);

// The frame drawn the way the editor shows it: its items and background on the director's
// scene, rendered off-screen. The items return to no parent afterwards.
QImage engineRendering(Frame& frame, QSize pixels);

double psnr(const QImage& a, const QImage& b);

// A picture like a user's photo: gradients and soft shapes.
QImage photo(int seed);
// A frame with a figure, a prop and a bubble moved by `seed`, on a background.
std::shared_ptr<Frame> busyFrame(int seed, int background);
// Three busy frames (a blank, a picture and a custom background) and the engine's drawing of
// each at 960 × 640.
struct BusyFrames {
    std::vector<std::shared_ptr<Frame>> frames;
    std::vector<QImage> expected;
};
BusyFrames threeBusyFrames();
// An empty frame carrying the sounds.
std::shared_ptr<Frame> soundFrame(std::vector<std::shared_ptr<SoundEffect>> sounds = {});

// Runs an export to the end.
bool exportFrames(const std::vector<std::shared_ptr<Frame>>& frames, double speed,
                  const ExportOptions& options, QString* error = nullptr,
                  const Exporter::SoundLocator& sounds = {});

} // namespace exporttest
