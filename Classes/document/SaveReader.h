#pragma once

#include "document/PictureLedger.h"
#include "document/SaveFiles.h"
#include "engine/CCSprite.h"
#include "sounds/SoundManager.h"

#include "platform/Paths.h"

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Frame;

// Reads save N back: frames with their backgrounds, items and sounds, pack by pack. Save files
// are untrusted: whatever they hold, reading neither throws, crashes nor hangs, its time and
// memory follow the files that exist (never a number written in them), and it returns what it
// could read together with counts of what it could not.
//
// Only regular files that lie inside the folder (links followed) are read, never blocking;
// pictures are decoded only as PNG or JPEG, by their content. What the items of a save would
// take in memory is reckoned from the files before any item is built: a save beyond the budget
// is refused whole.
//
// Items are made on the calling (main) thread; the next packs' files are read and parsed on
// two worker threads meanwhile.
class SaveReader {
public:
    explicit SaveReader(int saveId, QString folder = platform::documentsFolder(),
                        PictureLedger& ledger = PictureLedger::shared(),
                        const SoundManager& sounds = SoundManager::sharedSoundMgr());

    struct LoadedFrame {
        int background = 0;
        QImage backgroundImage;      // null when none / unreadable
        QString backgroundImageFile; // the file the picture came from ("" when none)
        std::vector<std::shared_ptr<CCSprite>> items;
        std::vector<std::shared_ptr<SoundEffect>> sounds;

        // A frame of the animation holding these backgrounds, items and sounds.
        std::shared_ptr<Frame> toFrame() const;
    };

    struct Result {
        bool indexExists = false;   // the index file is there
        bool indexReadable = false; // and parsed as a dictionary
        int versionFormat = 0;
        int background = 0;      // meta "background"
        QImage animationPicture; // bg-N.jpg for version 3 or less with code 999999, else null
        bool hasAnimationSpeed = false;
        double animationSpeed = 0; // meta "animationSpeed" as stored (the editor clamps it)
        int totalPacks = 0;        // meta "totalPacks", 0 when missing or negative
        QString saveName;          // meta "saveName", null when missing (older saves)
        std::vector<LoadedFrame> frames;

        // The save was not loaded at all: its items would take more memory than a load may
        // use. frames is empty; refusal says so in words for the user.
        bool refused = false;
        // The frame sink stopped the read.
        bool stopped = false;
        QString refusal;
        qint64 estimatedBytes = 0; // what the items were reckoned to take

        // What could not be read.
        int unreadablePacks = 0;    // packs named by totalPacks whose file is missing or unreadable
        int skippedFrames = 0;      // frame records that are not arrays, or beyond a pack's limit
        int skippedItems = 0;       // unknown class, picture that cannot load, not a dictionary...
        int skippedSounds = 0;      // sound records naming no sound of the catalogue
        int unreadablePictures = 0; // background pictures named but not readable

        // What could not be read, as the parts of the sentence the editor shows ("1 file of
        // frames (up to 20 frames)", "3 frames", "2 items or sounds", "1 background picture");
        // empty when everything was read.
        QStringList problems() const;

        bool complete() const {
            return unreadablePacks == 0 && skippedFrames == 0 && skippedItems == 0 &&
                   skippedSounds == 0 && unreadablePictures == 0;
        }
    };

    // Takes each frame as soon as it is read (then not kept in Result::frames), with what was
    // read so far of the rest (meta, counts); false stops the read there.
    using FrameSink = std::function<bool(LoadedFrame& frame, const Result& sofar)>;

    // Reads save N. `pump` is called before each pack and each frame.
    Result read(const std::function<void()>& pump, FrameSink sink = nullptr);

    // What the saves list shows: the frame count without building any item.
    struct Summary {
        bool indexExists = false;
        bool indexReadable = false;
        int versionFormat = 0;
        int totalPacks = 0;
        int frames = 0;
        int unreadablePacks = 0;
        QString saveName; // meta "saveName", null when missing
    };
    Summary summarize();
    // The same from a listing of the folder made once for many saves.
    Summary summarize(const savefiles::FolderListing& listing);

    // Limits beyond which files are not ones this program wrote. A pack of 20 frames of 20
    // items is under 1 MB.
    static constexpr qint64 kMaxPackFileBytes = 8 * 1024 * 1024;
    static constexpr int kMaxFramesPerPack = 1000;
    static constexpr qint64 kMaxPictureFileBytes = 16 * 1024 * 1024;
    static constexpr int kMaxPictureMegabytes = 32;                // decoded, per picture
    static constexpr qint64 kMaxPictureBytesPerLoad = 512ll << 20; // decoded, all pictures

    // What building an item takes in memory. Measured (bench/document, BM_ItemMemory) on the
    // heap: a figure (ten limbs with their twenty joints and links) 4.7 KB, a weapon 0.5 KB, a
    // prop 0.3 KB, a speech bubble 0.8 KB and 2 bytes a character of its text; the figures here
    // double that for what the allocator and the pages around it add (a whole process loading
    // 1,000 frames of ten figures and ten props grows by under 7 KB an item).
    static constexpr qint64 kFigureBytes = 10 * 1024;
    static constexpr qint64 kItemBytes = 1024;
    static constexpr qint64 kBubbleTextBytesPerChar = 4;
    // The memory the items of one load may take: over 100,000 figures, nine times what an
    // animation of 1,000 frames of ten figures and ten props needs.
    static constexpr qint64 kDefaultMemoryBudget = 1ll << 30;
    void setMemoryBudget(qint64 bytes) { memoryBudget_ = bytes; }

private:
    struct Pack {
        int number;
        QString path;
    };
    QString pathOf(const QString& fileName) const;
    void findPendingMoves();
    // The pack files 1 .. packCount - 1 that exist, in order; from the listing when given.
    std::vector<Pack> existingPacks(int packCount,
                                    const savefiles::FolderListing* listing = nullptr) const;
    Summary summarize(const savefiles::FolderListing* listing);
    // What the items of the save would take, reckoned before any is built: a cheap bound from
    // the bytes of the files, and only when that is past the budget, the exact sum over the
    // parsed records.
    qint64 estimateMemory(const QVariantMap& index, const QByteArray& indexBytes,
                          const std::vector<Pack>& packs, const std::function<void()>& pump);
    // Safe to call from any thread; buffer holds the file's bytes meanwhile.
    std::optional<QVariantMap> readPack(const QString& path, QByteArray& buffer) const;
    QImage readPicture(const QString& fileName, Result& r);
    // The frames of one pack; the index's version and background decide how frame
    // backgrounds are read.
    void readFrames(const QVariantMap& pack, int version, int background, Result& r,
                    const std::function<void()>& pump);
    void readRecords(const QVariantList& records, LoadedFrame& frame, Result& r) const;

    int saveId_;
    QString folder_;
    PictureLedger& ledger_;
    const SoundManager& sounds_;
    qint64 memoryBudget_ = kDefaultMemoryBudget;
    FrameSink frameSink_;
    QHash<QString, QString> pending_; // final name -> temporary name of an unfinished save
    QHash<QString, QImage> pictures_; // file name -> picture, null when unreadable
    qint64 pictureBytes_ = 0;
};
