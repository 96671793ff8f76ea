#include "document/SaveReader.h"

#include "document/Frame.h"
#include "document/SaveFormat.h"
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
#include <cstring>
#include <deque>
#include <future>
#include <limits>
#include <system_error>

using namespace savefiles;
using namespace saveformat;
using namespace dictvalues;

namespace {

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
    m.version = dictInt(*meta, kVersionFormatKey);
    m.background = dictInt(*meta, kBackground);
    m.totalPacks = std::max(0, dictInt(*meta, kTotalPacks));
    return m;
}

// The picture format its first bytes announce: only PNG and JPEG are pictures of a save (other
// formats may refer to files elsewhere, as SVG does).
const char* pictureFormatOf(const QByteArray& bytes) {
    static const char png[] = "\x89PNG\r\n\x1a\n";
    if (bytes.startsWith(QByteArrayView(png, 8)))
        return "png";
    if (bytes.size() >= 3 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xD8 &&
        uchar(bytes[2]) == 0xFF)
        return "jpeg";
    return nullptr;
}

// How many dictionaries a property list can hold at most: every one starts with "<dict", and
// the parser makes no dictionary from anything else (it expands no entity into markup).
qint64 dictionariesAtMost(const QByteArray& bytes) {
    qint64 n = 0;
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    while (p < end) {
        const void* hit = std::memchr(p, '<', size_t(end - p));
        if (!hit)
            break;
        p = static_cast<const char*>(hit) + 1;
        if (end - p >= 4 && std::memcmp(p, "dict", 4) == 0)
            ++n;
    }
    return n;
}

// What the items of one pack's frames take once built, counted as reading builds them.
qint64 itemBytesOf(const QVariantMap& pack) {
    const QVariantList* frames = asList(at(pack, kFrames));
    if (!frames)
        return 0;
    qint64 bytes = 0;
    const qsizetype frameCount = std::min<qsizetype>(frames->size(), SaveReader::kMaxFramesPerPack);
    for (qsizetype k = 0; k < frameCount; ++k) {
        const QVariantList* records = asList(frames->at(k));
        if (!records)
            continue;
        int items = 0;
        for (const QVariant& value : *records) {
            const QVariantMap* record = asMap(value);
            if (!record)
                continue;
            const QString className = dictString(*record, kClassName);
            if (className == kSoundClass || ++items > kMaxItemsPerFrame)
                continue;
            if (className == kFigureClass) {
                bytes += SaveReader::kFigureBytes;
                continue;
            }
            bytes += SaveReader::kItemBytes;
            if (className == kBubbleClass)
                bytes +=
                    SaveReader::kBubbleTextBytesPerChar *
                    std::min<qint64>(dictString(*record, kBubbleText).size(), kMaxBubbleTextLength);
        }
    }
    return bytes;
}

// At least what itemBytesOf gives for the pack these bytes parse to.
qint64 itemBytesAtMost(const QByteArray& bytes) {
    // A character of text takes at least one byte of the file.
    return dictionariesAtMost(bytes) * std::max(SaveReader::kFigureBytes, SaveReader::kItemBytes) +
           qint64(bytes.size()) * SaveReader::kBubbleTextBytesPerChar;
}

QString inWords(qint64 bytes) {
    if (bytes >= (1ll << 30))
        return QStringLiteral("%1 GB").arg(double(bytes) / double(1ll << 30), 0, 'f', 1);
    return QStringLiteral("%1 MB").arg((bytes + (1 << 20) - 1) >> 20);
}

} // namespace

SaveReader::SaveReader(int saveId, QString folder, PictureLedger& ledger,
                       const SoundManager& sounds)
    : saveId_(saveId), folder_(QDir(folder).absolutePath()), ledger_(ledger), sounds_(sounds) {}

QString SaveReader::pathOf(const QString& fileName) const {
    const auto it = pending_.constFind(fileName);
    return folder_ + QLatin1Char('/') + (it != pending_.constEnd() ? *it : fileName);
}

void SaveReader::findPendingMoves() {
    pending_ = pendingMoves(saveId_, folder_);
}

std::vector<SaveReader::Pack>
SaveReader::existingPacks(int packCount, const savefiles::FolderListing* listing) const {
    // Only the files that are there are looked at, so the cost follows the folder, not the
    // count a file claims.
    std::vector<Pack> packs;
    auto add = [&](int p) {
        if (p >= 1 && p < packCount)
            packs.push_back(Pack{p, pathOf(packFileName(saveId_, p))});
    };
    if (listing) {
        const auto it = listing->saves.constFind(saveId_);
        if (it != listing->saves.constEnd())
            for (int p : it->packs)
                add(p);
    } else {
        const QString pattern = QStringLiteral("save-%1-pack-*.plist").arg(saveId_);
        for (const QString& name : QDir(folder_).entryList({pattern}, QDir::Files | QDir::System))
            add(packNumber(saveId_, name));
    }
    for (auto it = pending_.constBegin(); it != pending_.constEnd(); ++it)
        add(packNumber(saveId_, it.key()));
    std::sort(packs.begin(), packs.end(),
              [](const Pack& a, const Pack& b) { return a.number < b.number; });
    packs.erase(std::unique(packs.begin(), packs.end(),
                            [](const Pack& a, const Pack& b) { return a.number == b.number; }),
                packs.end());
    return packs;
}

std::optional<QVariantMap> SaveReader::readPack(const QString& path, QByteArray& buffer) const {
    if (!platform::readRegularFile(path, kMaxPackFileBytes, buffer, folder_))
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
    auto bytes = platform::readRegularFile(path, kMaxPictureFileBytes, folder_);
    if (const char* format = bytes ? pictureFormatOf(*bytes) : nullptr) {
        QBuffer buffer(&*bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, format);
        reader.setAutoDetectImageFormat(false);
        reader.setDecideFormatFromContent(false);
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
        ledger_.record(image.cacheKey(), path);
    pictures_.insert(fileName, image);
    return image;
}

std::shared_ptr<Frame> SaveReader::LoadedFrame::toFrame() const {
    auto f = std::make_shared<Frame>();
    f->setBackground(background);
    f->setBackgroundImage(backgroundImage);
    for (const auto& item : items)
        f->addSprite(item);
    f->setSounds(sounds);
    return f;
}

void SaveReader::readRecords(const QVariantList& records, LoadedFrame& frame, Result& r) const {
    int items = 0;
    int sounds = 0;
    for (const QVariant& value : records) {
        const QVariantMap* record = asMap(value);
        if (!record) {
            ++r.skippedItems;
            continue;
        }
        if (dictString(*record, kClassName) == kSoundClass) {
            if (++sounds > kMaxSoundsPerFrame) {
                ++r.skippedSounds;
                continue;
            }
            auto sound = sounds_.soundForRecord(*record);
            if (!sound)
                ++r.skippedSounds;
            else if (std::find(frame.sounds.begin(), frame.sounds.end(), sound) ==
                     frame.sounds.end())
                frame.sounds.push_back(std::move(sound));
            continue;
        }
        if (++items > kMaxItemsPerFrame) {
            ++r.skippedItems;
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
        if (text.typeId() == QMetaType::QString && text.toString().size() > kMaxBubbleTextLength) {
            shortened = *record;
            shortened->insert(kBubbleText, text.toString().left(kMaxBubbleTextLength));
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
        if (r.stopped)
            return;
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
        if (!frameSink_) {
            r.frames.push_back(std::move(frame));
        } else if (!frameSink_(frame, r)) {
            r.stopped = true;
            return;
        }
    }
}

qint64 SaveReader::estimateMemory(const QVariantMap& index, const QByteArray& indexBytes,
                                  const std::vector<Pack>& packs,
                                  const std::function<void()>& pump) {
    qint64 bound = itemBytesAtMost(indexBytes);
    QByteArray buffer;
    for (const Pack& pack : packs) {
        if (pump)
            pump();
        if (platform::readRegularFile(pack.path, kMaxPackFileBytes, buffer, folder_))
            bound += itemBytesAtMost(buffer);
    }
    if (bound <= memoryBudget_)
        return bound;
    // Past the budget by the bound: the exact sum decides, from the parsed records. Parsing
    // takes memory that follows the files' size, never their items.
    qint64 exact = itemBytesOf(index);
    for (const Pack& pack : packs) {
        if (exact > memoryBudget_)
            break;
        if (pump)
            pump();
        if (const auto contents = readPack(pack.path, buffer))
            exact += itemBytesOf(*contents);
    }
    return exact;
}

namespace {

// The index's meta, also given in the result.
Meta readMeta(const QVariantMap& index, SaveReader::Result& r) {
    const Meta meta = metaOf(index);
    r.versionFormat = meta.version;
    r.background = meta.background;
    r.totalPacks = meta.totalPacks;
    if (const QVariantMap* m = asMap(at(index, kMeta))) {
        double speed = 0;
        r.hasAnimationSpeed = numberValue(m->value(kAnimationSpeed), &speed);
        r.animationSpeed = r.hasAnimationSpeed ? speed : 0;
        r.saveName = dictString(*m, kSaveName);
    }
    return meta;
}

} // namespace

SaveReader::Result SaveReader::read(const std::function<void()>& pump, FrameSink sink) {
    frameSink_ = std::move(sink);
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

    // The next packs are read and parsed on two workers while this one's items are made, which
    // only the main thread may do. Each worker frees what it parsed and reuses its file buffer.
    // Without threads to be had, each pack is read here when its turn comes.
    constexpr size_t kAhead = 2;
    QByteArray indexBytes;
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
    // The index is as large as a pack: it is parsed on a worker too, the event loop running.
    std::optional<QVariantMap> index;
    if (workers) {
        auto parsed = (*workers)[0].submit([&] { return parse(indexPath, indexBytes); });
        waitPumping(parsed, pump);
        index = parsed.get();
    } else {
        index = parse(indexPath, indexBytes);
    }
    r.indexReadable = index.has_value();
    const QVariantMap emptyIndex;
    const Meta meta = readMeta(index ? *index : emptyIndex, r);

    const int packCount = std::max(meta.totalPacks, 1);
    const std::vector<Pack> packs = existingPacks(packCount);
    r.estimatedBytes = estimateMemory(index ? *index : emptyIndex, indexBytes, packs, pump);
    indexBytes = QByteArray();
    if (r.estimatedBytes > memoryBudget_) {
        r.refused = true;
        r.refusal = QStringLiteral("The animation would need more than %1 of memory to open, "
                                   "more than the %2 an animation may take. Nothing was loaded.")
                        .arg(inWords(r.estimatedBytes), inWords(memoryBudget_));
        return r;
    }

    if (meta.version <= 3 && meta.background == kCustomBackground)
        r.animationPicture = readPicture(animationPictureFileName(saveId_), r);
    r.unreadablePacks = int((qint64(packCount) - 1) - qint64(packs.size()));

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

    for (size_t i = 0; i < packs.size() && !r.stopped; ++i) {
        if (pump)
            pump();
        // Each pack's dictionary lives only while its frames are made.
        std::optional<QVariantMap> contents;
        if (workers) {
            std::future<std::optional<QVariantMap>>& next = ahead.front();
            waitPumping(next, pump);
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
    // The workers may still be freeing the last packs they parsed; the event loop runs until
    // they are done.
    if (workers)
        for (Worker& worker : *workers)
            waitPumping(worker.submit([] {}), pump);
    pictures_.clear();
    return r;
}

QStringList SaveReader::Result::problems() const {
    QStringList parts;
    auto count = [&parts](int n, const char* one, const char* many) {
        if (n > 0)
            parts.append(n == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(n));
    };
    if (unreadablePacks == 1)
        parts.append(QStringLiteral("1 file of frames (up to %1 frames)").arg(kFramesPerPack));
    else if (unreadablePacks > 1)
        parts.append(QStringLiteral("%1 files of frames (up to %2 frames)")
                         .arg(unreadablePacks)
                         .arg(qint64(unreadablePacks) * kFramesPerPack));
    count(skippedFrames, "1 frame", "%1 frames");
    count(skippedItems + skippedSounds, "1 item or sound", "%1 items or sounds");
    count(unreadablePictures, "1 background picture", "%1 background pictures");
    return parts;
}

SaveReader::Summary SaveReader::summarize() {
    return summarize(nullptr);
}

SaveReader::Summary SaveReader::summarize(const savefiles::FolderListing& listing) {
    return summarize(&listing);
}

SaveReader::Summary SaveReader::summarize(const savefiles::FolderListing* listing) {
    Summary s;
    if (saveId_ < 1)
        return s;
    if (listing && !listing->saves.value(saveId_).hasCommit)
        pending_.clear();
    else
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
    if (index)
        if (const QVariantMap* m = asMap(at(*index, kMeta)))
            s.saveName = dictString(*m, kSaveName);

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
    const std::vector<Pack> packs = existingPacks(packCount, listing);
    s.unreadablePacks = int((qint64(packCount) - 1) - qint64(packs.size()));
    countFrames(index);
    for (const Pack& pack : packs)
        countFrames(readPack(pack.path, buffer));
    return s;
}
