#include "sounds/SoundEffect.h"

#include "platform/Log.h"
#include "platform/Sound.h"

#include <QFileInfo>

namespace {
SoundEffect::PlayListener& playListener() {
    static SoundEffect::PlayListener listener;
    return listener;
}
} // namespace

SoundEffect::SoundEffect() = default;
SoundEffect::~SoundEffect() = default;

std::shared_ptr<SoundEffect> SoundEffect::soundEffectWithContentsOfFile(const QString& path) {
    if (path.isEmpty())
        return nullptr;
    std::shared_ptr<SoundEffect> effect(new SoundEffect);
    if (!effect->initWithContentsOfFile(path))
        return nullptr;
    return effect;
}

std::shared_ptr<SoundEffect> SoundEffect::silentEffectNamed(const QString& fileName) {
    std::shared_ptr<SoundEffect> effect(new SoundEffect);
    effect->fileName_ = fileName;
    return effect;
}

bool SoundEffect::initWithContentsOfFile(const QString& path) {
    const QFileInfo info(path);
    fileName_ = info.fileName();
    // A file URL names a file: nothing for an empty path or a folder.
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')) || info.isDir()) {
        qCWarning(platform::lcKelvora, "NSURL is nil for path: %s", qUtf8Printable(path));
        return false;
    }
    int status = platform::SoundOK;
    sound_ = platform::SoundSample::load(path, &status);
    if (!sound_) {
        qCWarning(platform::lcKelvora, "Error %d loading sound at path: %s", status,
                  qUtf8Printable(path));
        return false;
    }
    return true;
}

void SoundEffect::play() {
    if (playListener())
        playListener()(*this);
    if (sound_)
        sound_->play();
}

void SoundEffect::setPlayListener(PlayListener listener) {
    playListener() = std::move(listener);
}
