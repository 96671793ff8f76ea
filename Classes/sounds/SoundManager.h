#pragma once

#include "sounds/SoundEffect.h"

#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <vector>

// The catalogue of sound effects: 59 titles in a fixed order, each with the effect loaded from
// "<title>.aif". A sound's index in the catalogue is part of the stored form of frame sounds.
//
// The program has one catalogue, sharedSoundMgr(), built from the resource folder; building a
// second one while it lives is a contract failure. A catalogue built from another folder
// (catalogueInFolder) is a separate object outside that rule, for tests and tools.
class SoundManager {
public:
    // The program's catalogue, built on first use (from any thread; creation is serialised).
    static SoundManager& sharedSoundMgr();

    // Builds the program's catalogue from the resource folder. Throws ContractFailure
    // ("Attempted to allocate a second instance of a singleton.") while another lives; use
    // sharedSoundMgr() rather than this.
    SoundManager();
    // A catalogue of the same titles loaded from `folder`, independent of the program's.
    static std::unique_ptr<SoundManager> catalogueInFolder(const QString& folder);
    ~SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    const QStringList& soundTitles() const { return soundTitles_; }
    const std::vector<std::shared_ptr<SoundEffect>>& sounds() const { return sounds_; }

    // The first effect whose file name is exactly `fileName`, or null.
    std::shared_ptr<SoundEffect> soundWithFilename(const QString& fileName) const;
    // The catalogue index of `effect`, or -1 when it is not one of this catalogue's.
    int indexOfSound(const SoundEffect* effect) const;
    // The effect a stored sound record names: by its "soundFileName" when it has one, otherwise
    // by its "soundIndex". Null when the name is unknown or the index is not a valid catalogue
    // index; a value of the wrong type counts as missing.
    std::shared_ptr<SoundEffect> soundForRecord(const QVariantMap& record) const;

    // Catalogue order: compared character by character with case folded away.
    static bool titleLessThan(const QString& a, const QString& b);
    // The 59 titles in catalogue order.
    static QStringList catalogueTitles();

private:
    struct InFolder {};
    SoundManager(InFolder, const QString& folder);
    void load(const QString& folder);

    QStringList soundTitles_;
    std::vector<std::shared_ptr<SoundEffect>> sounds_;
    bool program_ = false;
};
