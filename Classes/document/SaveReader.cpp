#include "document/SaveReader.h"

#include "document/DurableFile.h"
#include "document/Frame.h"
#include "document/PictureLedger.h"
#include "document/SaveFiles.h"
#include "document/Worker.h"
#include "items/DictionaryValues.h"
#include "items/ItemRegistry.h"
#include "sounds/SoundManager.h"

#include "platform/PropertyList.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QVariantList>

#include <algorithm>
#include <array>
#include <chrono>
#include <deque>
#include <future>
#include <limits>
#include <system_error>

using namespace savefiles;
using namespace dictvalues;

namespace {

const QString kFrames = QStringLiteral("frames");
const QString kFramesBackground = QStringLiteral("framesBackground");
const QString kMeta = QStringLiteral("meta");
const QString kBackground = QStringLiteral("background");
const QString kBackgroundImageFile = QStringLiteral("backgroundImageFile");
const QString kClassName = QStringLiteral("className");
const QString kTextureName = QStringLiteral("textureName");
const QString kSound = QStringLiteral("Sound");
const QString kBubbleText = QStringLiteral("bubbleText");

// The stored value itself (not a copy), or an invalid value when the key is missing.
const QVariant& at(const QVariantMap& d, const QString& key) {
    static const QVariant missing;
    const auto it = d.constFind(key);
    return it != d.constEnd() ? *it : missing;
}

// The value when it holds the type asked for; a value of another type counts as missing.
const QVariantMap* asMap(const QVariant& v) {
    return v.typeId() == QMetaType::QVariantMap ? static_cast<const QVariantMap*>(v.constData())
                                                : nullptr;
}
const QVariantList* asList(const QVariant& v) {
    return v.typeId() == QMetaType::QVariantList ? static_cast<const QVariantList*>(v.constData())
                                                 : nullptr;
}
// The results point into the value: never of a temporary.
const QVariantMap* asMap(QVariant&&) = delete;
const QVariantList* asList(QVariant&&) = delete;

// Item pictures are looked up by name in the program's resources: a stored name may not lead
// anywhere else (an absolute path, a parent folder, a device).
bool isPlainPictureName(const QString& name) {
    if (name.isEmpty() || name.size() > 255 || name == QLatin1String(".") ||
        name == QLatin1String(".."))
        return false;
    return std::none_of(name.begin(), name.end(), [](QChar c) {
        return c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20;
    });
}

struct Meta {
    int version = 0;
    int background = 0;
    int totalPacks = 0;
};

Meta metaOf(const QVariantMap& index) {
    Meta m;
    const QVariantMap* meta = asMap(at(index, kMeta));
    if (!meta)
        return m;
    m.version = dictInt(*meta, QStringLiteral("versionFormat"));
    m.background = dictInt(*meta, kBackground);
    m.totalPacks = std::max(0, dictInt(*meta, QStringLiteral("totalPacks")));
    return m;
}

} // namespace

SaveReader::SaveReader(int saveId, QString folder)
    : saveId_(saveId), folder_(QDir(folder).absolutePath()) {}

QString SaveReader::pathOf(const QString& fileName) const {
    const auto it = pending_.constFind(fileName);
    return folder_ + QLatin1Char('/') + (it != pending_.constEnd() ? *it : fileName);
}

void SaveReader::findPendingMoves() {
    pending_ = pendingMoves(saveId_, folder_);
}

std::vector<SaveReader::Pack> SaveReader::existingPacks(int packCount) const {
    // Only the files that are there are looked at, so the cost follows the folder, not the
    // count a file claims.
    std::vector<Pack> packs;
    const QString pattern = QStringLiteral("save-%1-pack-*.plist").arg(saveId_);
    QStringList names = QDir(folder_).entryList({pattern}, QDir::Files | QDir::System);
    for (auto it = pending_.constBegin(); it != pending_.constEnd(); ++it)
        names.append(it.key());
    for (const QString& name : std::as_const(names)) {
        const int p = packNumber(saveId_, name);
        if (p >= 1 && p < packCount)
            packs.push_back(Pack{p, pathOf(name)});
    }
    std::sort(packs.begin(), packs.end(),
              [](const Pack& a, const Pack& b) { return a.number < b.number; });
    packs.erase(std::unique(packs.begin(), packs.end(),
                            [](const Pack& a, const Pack& b) { return a.number == b.number; }),
                packs.end());
    return packs;
}

std::optional<QVariantMap> SaveReader::readPack(const QString& path, QByteArray& buffer) const {
    if (!durable::readRegularFile(path, kMaxPackFileBytes, buffer))
        return std::nullopt;
    return platform::parsePropertyList(buffer, kMaxPackFileBytes);
}

QImage SaveReader::readPicture(const QString& fileName, Result& r) {
    const auto cached = pictures_.constFind(fileName);
    if (cached != pictures_.constEnd()) {
        if (cached->isNull())
            ++r.unreadablePictures;
        return *cached;
    }
    QImage image;
    const QString path = pathOf(fileName);
    if (auto bytes = durable::readRegularFile(path, kMaxPictureFileBytes)) {
        QBuffer buffer(&*bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAllocationLimit(kMaxPictureMegabytes);
        const QSize size = reader.size();
        const qint64 decoded = size.isValid() ? qint64(size.width()) * size.height() * 4 : 0;
        if (decoded > 0 && pictureBytes_ + decoded <= kMaxPictureBytesPerLoad) {
            image = reader.read();
            if (!image.isNull())
                pictureBytes_ += image.sizeInBytes();
        }
    }
    if (image.isNull())
        ++r.unreadablePictures;
    else if (!pending_.contains(fileName))
        PictureLedger::shared().record(image.cacheKey(), path);
    pictures_.insert(fileName, image);
    return image;
}

void SaveReader::readRecords(const QVariantList& records, LoadedFrame& frame, Result& r) const {
    const SoundManager& sounds = SoundManager::sharedSoundMgr();
    int count = 0;
    for (const QVariant& value : records) {
        if (++count > kMaxRecordsPerFrame) {
            ++r.skippedItems;
            continue;
        }
        const QVariantMap* record = asMap(value);
        if (!record) {
            ++r.skippedItems;
            continue;
        }
        if (dictString(*record, kClassName) == kSound) {
            auto sound = sounds.soundForRecord(*record);
            if (!sound)
                ++r.skippedSounds;
            else if (std::find(frame.sounds.begin(), frame.sounds.end(), sound) ==
                     frame.sounds.end())
                frame.sounds.push_back(std::move(sound));
            continue;
        }
        const QVariant picture = record->value(kTextureName);
        if (picture.typeId() == QMetaType::QString && !isPlainPictureName(picture.toString())) {
            ++r.skippedItems;
            continue;
        }
        // Laying out megabytes of text would stall the load; a bubble shows a few lines.
        const QVariant text = record->value(kBubbleText);
        std::optional<QVariantMap> shortened;
        if (text.typeId() == QMetaType::QString && text.toString().size() > kMaxBubbleText) {
            shortened = *record;
            shortened->insert(kBubbleText, text.toString().left(kMaxBubbleText));
        }
        std::shared_ptr<CCSprite> item;
        try {
            item = ItemRegistry::unserialize(shortened ? *shortened : *record);
        } catch (const std::exception&) {
            item = nullptr; // a record the item classes refuse is skipped like any other
        }
        if (item)
            frame.items.push_back(std::move(item));
        else
            ++r.skippedItems;
    }
}

void SaveReader::readFrames(const QVariantMap& pack, int version, int background, Result& r,
                            const std::function<void()>& pump) {
    const QVariantList* frames = asList(at(pack, kFrames));
    if (!frames) {
        ++r.unreadablePacks;
        return;
    }
    static const QVariantList none;
    const QVariantList* backgrounds = asList(at(pack, kFramesBackground));
    if (!backgrounds)
        backgrounds = &none;
    for (qsizetype k = 0; k < frames->size(); ++k) {
        if (k >= kMaxFramesPerPack) {
            r.skippedFrames += int(frames->size() - k);
            break;
        }
        if (pump)
            pump();
        const QVariantList* records = asList(frames->at(k));
        if (!records) {
            ++r.skippedFrames;
            continue;
        }
        LoadedFrame frame;
        if (version >= 4) {
            const QVariantMap* entry =
                k < backgrounds->size() ? asMap(backgrounds->at(k)) : nullptr;
            frame.background = entry ? dictInt(*entry, kBackground) : 0;
            if (frame.background == kCustomBackground) {
                const QVariant named = entry->value(kBackgroundImageFile);
                QString file = named.typeId() == QMetaType::QString
                                   ? named.toString()
                                   : framePictureFileName(saveId_, int(k));
                if (!file.isEmpty() && !isFramePictureName(saveId_, file)) {
                    ++r.unreadablePictures;
                    file.clear();
                }
                if (!file.isEmpty()) {
                    frame.backgroundImage = readPicture(file, r);
                    if (!frame.backgroundImage.isNull())
                        frame.backgroundImageFile = file;
                }
            }
        } else {
            frame.background = background;
            if (frame.background == kCustomBackground && !r.animationPicture.isNull()) {
                frame.backgroundImage = r.animationPicture;
                frame.backgroundImageFile = animationPictureFileName(saveId_);
            }
        }
        readRecords(*records, frame, r);
        r.frames.push_back(std::move(frame));
    }
}

SaveReader::Result SaveReader::read(const std::function<void()>& pump) {
    Result r;
    pictures_.clear();
    pictureBytes_ = 0;
    if (saveId_ < 1)
        return r;
    findPendingMoves();
    const QString indexPath = pathOf(indexFileName(saveId_));
    r.indexExists = QFileInfo(indexPath).exists();
    if (!r.indexExists)
        return r;

    QByteArray indexBytes;
    std::optional<QVariantMap> index = readPack(indexPath, indexBytes);
    indexBytes = QByteArray();
    r.indexReadable = index.has_value();
    const QVariantMap emptyIndex;
    const Meta meta = metaOf(index ? *index : emptyIndex);
    r.versionFormat = meta.version;
    r.background = meta.background;
    r.totalPacks = meta.totalPacks;
    if (index) {
        if (const QVariantMap* m = asMap(at(*index, kMeta))) {
            double speed = 0;
            r.hasAnimationSpeed = numberValue(m->value(QStringLiteral("animationSpeed")), &speed);
            r.animationSpeed = r.hasAnimationSpeed ? speed : 0;
        }
    }
    if (meta.version <= 3 && meta.background == kCustomBackground)
        r.animationPicture = readPicture(animationPictureFileName(saveId_), r);

    const int packCount = std::max(meta.totalPacks, 1);
    const std::vector<Pack> packs = existingPacks(packCount);
    r.unreadablePacks = int((qint64(packCount) - 1) - qint64(packs.size()));

    // The next packs are read and parsed on two workers while this one's items are made, which
    // only the main thread may do. Each worker frees what it parsed and reuses its file buffer.
    // Without threads to be had, each pack is read here when its turn comes.
    constexpr size_t kAhead = 2;
    std::array<QByteArray, kAhead> buffers;
    auto parse = [this](const QString& path, QByteArray& buffer) {
        try {
            return readPack(path, buffer);
        } catch (const std::exception&) {
            return std::optional<QVariantMap>();
        }
    };
    // After what their jobs use: whatever happens, they are done before it goes.
    std::optional<std::array<Worker, kAhead>> workers;
    try {
        workers.emplace();
    } catch (const std::system_error&) {
    }
    std::deque<std::future<std::optional<QVariantMap>>> ahead;
    size_t submitted = 0;
    auto prefetch = [&] {
        for (; workers && submitted < packs.size() && ahead.size() < kAhead; ++submitted) {
            QByteArray* buffer = &buffers[submitted % kAhead];
            ahead.push_back((*workers)[submitted % kAhead].submit(
                [&parse, path = packs[submitted].path, buffer] { return parse(path, *buffer); }));
        }
    };
    prefetch();

    if (pump)
        pump();
    if (index) {
        readFrames(*index, meta.version, meta.background, r, pump);
        index.reset();
    } else {
        ++r.unreadablePacks;
    }

    for (size_t i = 0; i < packs.size(); ++i) {
        if (pump)
            pump();
        // Each pack's dictionary lives only while its frames are made.
        std::optional<QVariantMap> contents;
        if (workers) {
            std::future<std::optional<QVariantMap>>& next = ahead.front();
            while (pump && next.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready)
                pump();
            contents = next.get();
            ahead.pop_front();
            prefetch();
        } else {
            contents = parse(packs[i].path, buffers[0]);
        }
        if (contents)
            readFrames(*contents, meta.version, meta.background, r, pump);
        else
            ++r.unreadablePacks;
        if (workers)
            (*workers)[i % kAhead].submit([done = std::move(contents)]() mutable { done.reset(); });
    }
    pictures_.clear();
    return r;
}

QString SaveReader::Result::problems() const {
    QStringList parts;
    auto add = [&parts](qint64 n, const char* one, const char* many) {
        if (n > 0)
            parts.append(QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many)));
    };
    add(unreadablePacks, "pack of up to 20 frames", "packs of up to 20 frames each");
    add(skippedFrames, "frame", "frames");
    add(skippedItems, "item", "items");
    add(skippedSounds, "sound", "sounds");
    add(unreadablePictures, "background picture", "background pictures");
    if (parts.isEmpty())
        return QString();
    const QString last = parts.takeLast();
    const QString list =
        parts.isEmpty() ? last : parts.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
    return list + QStringLiteral(" could not be read.");
}

SaveReader::Summary SaveReader::summarize() {
    Summary s;
    if (saveId_ < 1)
        return s;
    findPendingMoves();
    const QString indexPath = pathOf(indexFileName(saveId_));
    s.indexExists = QFileInfo(indexPath).exists();
    if (!s.indexExists)
        return s;
    QByteArray buffer;
    const std::optional<QVariantMap> index = readPack(indexPath, buffer);
    s.indexReadable = index.has_value();
    const QVariantMap emptyIndex;
    const Meta meta = metaOf(index ? *index : emptyIndex);
    s.versionFormat = meta.version;
    s.totalPacks = meta.totalPacks;

    auto countFrames = [&s](const std::optional<QVariantMap>& pack) {
        const QVariantList* frames = pack ? asList(at(*pack, kFrames)) : nullptr;
        if (!frames) {
            ++s.unreadablePacks;
            return;
        }
        const qsizetype n = std::min<qsizetype>(frames->size(), kMaxFramesPerPack);
        for (qsizetype k = 0; k < n; ++k)
            s.frames += asList(frames->at(k)) ? 1 : 0;
    };
    const int packCount = std::max(meta.totalPacks, 1);
    const std::vector<Pack> packs = existingPacks(packCount);
    s.unreadablePacks = int((qint64(packCount) - 1) - qint64(packs.size()));
    countFrames(index);
    for (const Pack& pack : packs)
        countFrames(readPack(pack.path, buffer));
    return s;
}
