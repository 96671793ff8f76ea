#include "sounds/SoundManager.h"

#include "base/Exception.h"
#include "platform/Paths.h"

#include <QDir>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

// Every sound shipped with the program, grouped by kind; the catalogue order comes from sorting.
const char* const kTitles[] = {
    // hits and blows
    "Body Hit Weapon", "Body Kick Combo", "Fat punch", "Kick Body Hit", "Punch - Big",
    "Punch Face Hit", "Pie Hit Whistle In", "Splat", "Splat 2", "Bonk Twang", "Glass Breaking",
    "Knife sticking", "Sword Hit", "Sword Shing", "Sword Swish", "Swish", "Shovel Dirt",
    // weapons
    "Gun Shot 357 Magnum", "Gun Shot 44 Magnum", "Gun Shot Rifle", "Rifle shot", "Shotgun blast",
    "Machine Gun", "Laser", "Paintball multi-shot", "Paintball single-shot", "Rocket launcher",
    "Explosion Grenade Blast", "Explosion Space", "Tank Firing",
    // machines
    "Car Horn", "Car Tire Screech", "Tank Moving", "Helicopter", "Brakedrum Sprong", "Zip",
    // voices and bodies
    "Burp", "Burp2", "Fart", "Kiss", "Evil Laugh", "Wild Laugh", "Female Scream", "Male Scream",
    "Male Scream2", "Heart Beats", "Your Done",
    // animals
    "Cuckoo", "Horse - Whinnie", "Wolf Howl",
    // music and cartoon effects
    "Boing", "Gong Boing", "Drum Roll", "Female Singers", "Male Singers", "Guitar lick",
    "Guitar Loop", "Music Beat", "Wah Wah Wah"};

const QString kExtension = QStringLiteral(".aif");

// Guards the creation of the shared catalogue and the record of the live program catalogue.
std::recursive_mutex& classLock() {
    static std::recursive_mutex lock;
    return lock;
}
const SoundManager* liveProgramCatalogue = nullptr;

// The catalogue index a stored value names, or -1: integers, and reals with an integral value,
// within range; anything else (strings, booleans, NaN, fractions) names none.
int catalogueIndex(const QVariant& v, qsizetype count) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::LongLong: {
        const qint64 i = v.toLongLong();
        return i >= 0 && i < count ? int(i) : -1;
    }
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::UShort:
    case QMetaType::ULongLong: {
        const quint64 u = v.toULongLong();
        return u < quint64(count) ? int(u) : -1;
    }
    case QMetaType::Float:
    case QMetaType::Double: {
        const double d = v.toDouble();
        if (!(d >= 0 && d < double(count)) || d != std::floor(d))
            return -1;
        return int(d);
    }
    default:
        return -1;
    }
}

} // namespace

SoundManager& SoundManager::sharedSoundMgr() {
    std::lock_guard guard(classLock());
    static std::unique_ptr<SoundManager> shared;
    if (!shared)
        shared.reset(new SoundManager());
    return *shared;
}

SoundManager::SoundManager() {
    {
        std::lock_guard guard(classLock());
        if (liveProgramCatalogue)
            throw ContractFailure("Attempted to allocate a second instance of a singleton.");
        liveProgramCatalogue = this;
        program_ = true;
    }
    load(platform::resourceFolder());
}

SoundManager::SoundManager(InFolder, const QString& folder) {
    load(folder);
}

std::unique_ptr<SoundManager> SoundManager::catalogueInFolder(const QString& folder) {
    return std::unique_ptr<SoundManager>(new SoundManager(InFolder{}, folder));
}

SoundManager::~SoundManager() {
    if (program_) {
        std::lock_guard guard(classLock());
        liveProgramCatalogue = nullptr;
    }
}

void SoundManager::load(const QString& folder) {
    soundTitles_ = catalogueTitles();
    sounds_.reserve(soundTitles_.size());
    const QDir dir(folder);
    for (const QString& title : std::as_const(soundTitles_)) {
        const QString fileName = title + kExtension;
        auto effect = SoundEffect::soundEffectWithContentsOfFile(dir.filePath(fileName));
        // A file that fails to load has been logged; a silent stand-in keeps the indices of the
        // sounds after it, which stored animations rely on.
        if (!effect)
            effect = SoundEffect::silentEffectNamed(fileName);
        sounds_.push_back(std::move(effect));
    }
}

std::shared_ptr<SoundEffect> SoundManager::soundWithFilename(const QString& fileName) const {
    for (const auto& effect : sounds_) {
        if (effect->fileName() == fileName)
            return effect;
    }
    return nullptr;
}

int SoundManager::indexOfSound(const SoundEffect* effect) const {
    for (size_t i = 0; i < sounds_.size(); ++i) {
        if (sounds_[i].get() == effect)
            return int(i);
    }
    return -1;
}

std::shared_ptr<SoundEffect> SoundManager::soundForRecord(const QVariantMap& record) const {
    const QVariant name = record.value(QStringLiteral("soundFileName"));
    if (name.typeId() == QMetaType::QString)
        return soundWithFilename(name.toString());
    // Records written before the file name was stored have the index only.
    const int index =
        catalogueIndex(record.value(QStringLiteral("soundIndex")), qsizetype(sounds_.size()));
    return index < 0 ? nullptr : sounds_[size_t(index)];
}

bool SoundManager::titleLessThan(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    // Titles differing only in case still get a fixed order.
    return folded != 0 ? folded < 0 : a < b;
}

QStringList SoundManager::catalogueTitles() {
    QStringList titles;
    for (const char* title : kTitles)
        titles.append(QString::fromUtf8(title));
    std::sort(titles.begin(), titles.end(), titleLessThan);
    return titles;
}
