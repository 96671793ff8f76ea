#pragma once

#include "engine/CCSprite.h"

#include "platform/Paths.h"

#include <QHash>
#include <QImage>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SoundEffect;

// Reads save N back: frames with their backgrounds, items and sounds, pack by pack. Save files
// are untrusted: whatever they hold, reading neither throws, crashes nor hangs, its time and
// memory follow the files that exist (never a number written in them), and it returns what it
// could read together with counts of what it could not.
//
// Items are made on the calling (main) thread; the next packs' files are read and parsed on
// two worker threads meanwhile.
class SaveReader {
public:
    explicit SaveReader(int saveId, QString folder = platform::documentsFolder());

    struct LoadedFrame {
        int background = 0;
        QImage backgroundImage;      // null when none / unreadable
        QString backgroundImageFile; // the file the picture came from ("" when none)
        std::vector<std::shared_ptr<CCSprite>> items;
        std::vector<std::shared_ptr<SoundEffect>> sounds;
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
        std::vector<LoadedFrame> frames;

        // What could not be read.
        int unreadablePacks = 0;    // packs named by totalPacks whose file is missing or unreadable
        int skippedFrames = 0;      // frame records that are not arrays, or beyond a pack's limit
        int skippedItems = 0;       // unknown class, picture that cannot load, not a dictionary...
        int skippedSounds = 0;      // sound records naming no sound of the catalogue
        int unreadablePictures = 0; // background pictures named but not readable

        // What could not be read, in words for the user ("2 items and 1 sound could not be
        // read."); empty when everything was read.
        QString problems() const;

        bool complete() const {
            return unreadablePacks == 0 && skippedFrames == 0 && skippedItems == 0 &&
                   skippedSounds == 0 && unreadablePictures == 0;
        }
    };

    // Reads save N. `pump` is called before each pack and each frame.
    Result read(const std::function<void()>& pump);

    // What the saves list shows: the frame count without building any item.
    struct Summary {
        bool indexExists = false;
        bool indexReadable = false;
        int versionFormat = 0;
        int totalPacks = 0;
        int frames = 0;
        int unreadablePacks = 0;
    };
    Summary summarize();

    // Limits beyond which files are not ones this program wrote. A pack of 20 frames of 20
    // items is under 1 MB.
    static constexpr qint64 kMaxPackFileBytes = 8 * 1024 * 1024;
    static constexpr int kMaxFramesPerPack = 1000;
    static constexpr int kMaxRecordsPerFrame = 1000;
    static constexpr int kMaxBubbleText = 10000; // characters; longer texts are cut
    static constexpr qint64 kMaxPictureFileBytes = 16 * 1024 * 1024;
    static constexpr int kMaxPictureMegabytes = 32;                // decoded, per picture
    static constexpr qint64 kMaxPictureBytesPerLoad = 512ll << 20; // decoded, all pictures

private:
    struct Pack {
        int number;
        QString path;
    };
    QString pathOf(const QString& fileName) const;
    void findPendingMoves();
    // The pack files 1 .. packCount - 1 that exist, in order.
    std::vector<Pack> existingPacks(int packCount) const;
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
    QHash<QString, QString> pending_; // final name -> temporary name of an unfinished save
    QHash<QString, QImage> pictures_; // file name -> picture, null when unreadable
    qint64 pictureBytes_ = 0;
};
