#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <vector>

// The sound of an export: every frame sound decoded from its file, resampled to 44.1 kHz
// stereo and added in at its frame's first sample. Sums beyond full scale are clipped (not
// wrapped, not compressed): a single sound passes unchanged and loud overlaps stay loud.
class SoundTrack {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;

    struct Cue {
        QString path;        // the sound's file
        int64_t startSample; // where it starts, in samples at kSampleRate
    };

    // Interleaved stereo samples of a sound file at kSampleRate; false with a reason when the
    // file cannot be decoded.
    static bool decode(const QString& path, std::vector<float>& samples, QString* error);

    // Mixes the cues into a track of at least minSamples samples per channel (longer when a
    // sound runs past it). Each file is decoded once. Stops early, returning false, when
    // `cancelled` becomes true.
    bool mix(const std::vector<Cue>& cues, int64_t minSamples, QString* error,
             const std::atomic<bool>* cancelled = nullptr);

    // Samples per channel.
    int64_t length() const { return int64_t(samples_.size()) / kChannels; }
    const std::vector<float>& samples() const { return samples_; }

private:
    std::vector<float> samples_;
};
