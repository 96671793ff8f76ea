#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace platform {
class SoundSample;
}

// One sound effect of the catalogue, loaded once from its file and played any number of times.
class SoundEffect {
public:
    // The effect of the sound file at `path`; null for a null or empty path and when the file
    // can't be loaded (logged).
    static std::shared_ptr<SoundEffect> soundEffectWithContentsOfFile(const QString& path);
    // A stand-in that plays nothing, for a catalogue sound whose file could not be loaded: the
    // catalogue keeps its place and its file name, so stored indices still line up.
    static std::shared_ptr<SoundEffect> silentEffectNamed(const QString& fileName);

    ~SoundEffect();
    SoundEffect(const SoundEffect&) = delete;
    SoundEffect& operator=(const SoundEffect&) = delete;

    // Starts the sound and returns at once; it may overlap any number of others.
    void play();
    // Called with every effect that is played, silent ones included, so that what plays when
    // can be observed without listening. Null to stop. Main thread.
    using PlayListener = std::function<void(const SoundEffect&)>;
    static void setPlayListener(PlayListener listener);

    // The last component of the path it was loaded from ("Kiss.aif").
    const QString& fileName() const { return fileName_; }
    // False for a silent stand-in.
    bool isLoaded() const { return sound_ != nullptr; }

private:
    SoundEffect();
    bool initWithContentsOfFile(const QString& path);

    std::unique_ptr<platform::SoundSample> sound_;
    QString fileName_;
};
