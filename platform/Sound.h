#pragma once

#include <QString>

#include <memory>

struct Mix_Chunk;

namespace platform {

// Why a sound could not be loaded; 0 is success. Reported as the status of a failed load.
enum SoundStatus : int {
    SoundOK = 0,
    // Missing, a directory, or not readable.
    SoundFileUnreadable = -1,
    // Readable, but not a sound the mixer decodes (an unknown format, a damaged file, an AIFF
    // with a sample size other than 8 or 16 bits).
    SoundDataUnsupported = -2,
    // The sound service has been shut down (the program is ending).
    SoundServiceClosed = -3,
};

// A short sound loaded once and started any number of times, overlapping itself and others.
//
// The mixer is opened on the first load with kSoundChannels voices. A machine whose audio device
// cannot be opened gets SDL's "dummy" driver instead: everything works and nothing is heard. If
// even that fails, samples are still checked for a readable file but carry no audio.
// The service closes itself when the application object is destroyed (or at exit).
class SoundSample {
public:
    // Reads and decodes the file. Null, with *status (when given) set to a SoundStatus, when the
    // file is missing, unreadable or not a supported sound; *status is SoundOK otherwise.
    static std::unique_ptr<SoundSample> load(const QString& path, int* status = nullptr);

    ~SoundSample();
    SoundSample(const SoundSample&) = delete;
    SoundSample& operator=(const SoundSample&) = delete;

    // Starts the sound and returns at once. When every voice is busy, the voice that started
    // longest ago is cut off and reused. Returns the voice (channel) used, or -1 when nothing can
    // sound (no audio at all, or the service has shut down).
    int play();

    // Whether decoded audio is held (false only when no audio driver could be opened at all).
    bool hasAudio() const { return chunk_ != nullptr; }

private:
    explicit SoundSample(Mix_Chunk* chunk) : chunk_(chunk) {}
    Mix_Chunk* chunk_;
};

// Voices the mixer is opened with: enough for a frame's sounds plus those still ringing from the
// frames before it.
inline constexpr int kSoundChannels = 32;

// The audio driver in use ("dummy" when silent), or empty before the first load and after
// shutdown.
QString soundDriverName();

// Closes the mixer. Loaded samples stay safe to destroy; afterwards loads fail with
// SoundServiceClosed and play() does nothing. Runs by itself when the application ends.
void shutDownSound();

} // namespace platform
