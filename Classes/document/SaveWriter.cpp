#include "document/SaveWriter.h"

#include "document/DurableFile.h"
#include "document/Frame.h"
#include "document/PictureLedger.h"
#include "document/SaveFiles.h"
#include "document/SaveFormat.h"
#include "document/Worker.h"
#include "items/SerializableSprite.h"
#include "sounds/SoundEffect.h"
#include "sounds/SoundManager.h"

#include "platform/Log.h"
#include "platform/PropertyList.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QSet>
#include <QVariantList>
#include <QVariantMap>

#include <algorithm>
#include <array>
#include <chrono>
#include <exception>
#include <future>

using namespace savefiles;
using namespace saveformat;

namespace {

// Thrown inside the write to stop it, with the reason.
struct WriteFailure {
    QString reason;
};

QByteArray encodePicture(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image))
        throw WriteFailure{
            QStringLiteral("The picture could not be encoded (%1)").arg(writer.errorString())};
    return bytes;
}

// Writes a file of the set at its temporary path; the reason when it cannot.
QString writeFile(const QString& path, const char* data, qint64 size) {
    QString why;
    if (durable::writeNewFile(path, data, size, &why))
        return QString();
    qCWarning(platform::lcKelvora, "Cannot write %s: %s", qPrintable(path), qPrintable(why));
    return why;
}

// Jobs on two workers, one job each at a time: converting, encoding and writing packs overlaps
// serializing the next ones on the main thread, which keeps the event loop running whenever it
// waits for a worker.
class Pipeline {
public:
    explicit Pipeline(const std::function<void()>& pump) : pump_(pump) {}
    ~Pipeline() {
        // Never leave a job writing into a set that is being cleaned up.
        for (Slot& s : slots_)
            if (s.job.valid())
                s.job.wait();
    }
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    // Runs job(data) on the next worker once its previous job is done. A job returns the reason
    // it failed, or an empty string. The data was made on this thread and is released here.
    template <class Job> void submit(Job&& job, QVariantMap data = QVariantMap()) {
        Slot& s = slots_[next_];
        next_ = (next_ + 1) % slots_.size();
        wait(s);
        s.data = std::move(data);
        s.job = s.worker.submit(
            [job = std::forward<Job>(job), data = &s.data]() mutable { return job(*data); });
    }

    // Waits for every job; the first failure is thrown.
    void finish() {
        for (size_t i = 0; i < slots_.size(); ++i)
            wait(slots_[(next_ + i) % slots_.size()]);
    }

private:
    struct Slot {
        Worker worker;
        std::future<QString> job;
        QVariantMap data;
    };

    void wait(Slot& s) {
        if (!s.job.valid())
            return;
        waitPumping(s.job, pump_);
        const QString why = s.job.get();
        s.data = QVariantMap();
        if (!why.isEmpty())
            throw WriteFailure{why};
    }

    const std::function<void()>& pump_;
    std::array<Slot, 2> slots_;
    size_t next_ = 0;
};

// Pictures a pack job encodes and writes: each picture once, to every path that gets it.
struct PictureWrite {
    QImage image;
    QByteArray format;
    int quality = -1;
    QStringList paths;
};

QString writePictures(const std::vector<PictureWrite>& pictures) {
    for (const PictureWrite& p : pictures) {
        QByteArray bytes;
        try {
            bytes = encodePicture(p.image, p.format.constData(), p.quality);
        } catch (const WriteFailure& f) {
            return f.reason;
        }
        for (const QString& path : p.paths) {
            const QString why = writeFile(path, bytes.constData(), bytes.size());
            if (!why.isEmpty())
                return why;
        }
    }
    return QString();
}

// The new files of one save, written under temporary names and moved into place together.
class SaveSet {
public:
    SaveSet(QString folder, int saveId, const SaveWriter::StepHook& hook)
        : folder_(std::move(folder)), saveId_(saveId), hook_(hook),
          token_(QString::number(QRandomGenerator::global()->generate64(), 16)) {}

    ~SaveSet() {
        // A failed write leaves nothing behind; an interrupted one leaves what a kill would.
        if (state_ == State::Open)
            discard();
    }
    SaveSet(const SaveSet&) = delete;
    SaveSet& operator=(const SaveSet&) = delete;

    // Enters a new file of the set and gives the path to write it at, under its temporary
    // name; the job that writes it there reports whether it could.
    QString reserve(const QString& finalName) {
        step(QStringLiteral("write ") + finalName);
        const QString temp = temporaryFileName(finalName, token_);
        moves_.push_back({temp, finalName});
        return path(temp);
    }

    // Flushes every file, writes the commit record and makes the moves. Once the record is in
    // place the new save is the one readers see, so a move that fails after it only delays
    // the moves to the next save (or to readers, which follow the record). True when every
    // file is in place under its own name.
    bool commit(const std::function<void()>& pump) {
        // Pictures first, the index last: a reader that knows nothing of commit records sees
        // new packs only once their pictures are there, and the new index only at the end.
        std::stable_sort(moves_.begin(), moves_.end(),
                         [this](const Move& a, const Move& b) { return rank(a) < rank(b); });
        QString why;
        QVariantList records;
        for (const Move& m : moves_) {
            if (pump)
                pump();
            if (!durable::syncFile(path(m.tempName), &why))
                fail(m.finalName, why);
            records.append(QVariantMap{{kMoveFrom, m.tempName}, {kMoveTo, m.finalName}});
        }
        if (pump)
            pump();
        const QString recordName = commitRecordFileName(saveId_);
        QString encodeError;
        const QByteArray record =
            platform::serializePropertyList(QVariantMap{{kMoves, records}}, &encodeError);
        if (record.isEmpty())
            fail(recordName, encodeError);
        step(QStringLiteral("write ") + recordName);
        const QString recordTemp = temporaryFileName(recordName, token_);
        if (!durable::writeNewFile(path(recordTemp), record, &why))
            fail(recordName, why);
        moves_.push_back({recordTemp, recordName}); // removed with the others on failure
        if (!durable::syncFile(path(recordTemp), &why))
            fail(recordName, why);
        step(QStringLiteral("commit"));
        if (!durable::moveInto(path(recordTemp), path(recordName), &why) ||
            !durable::syncFolder(folder_, &why))
            fail(recordName, why);
        moves_.pop_back();
        state_ = State::Committed;

        bool allMoved = true;
        for (const Move& m : moves_) {
            step(QStringLiteral("move ") + m.finalName);
            if (!durable::moveInto(path(m.tempName), path(m.finalName), &why)) {
                qCWarning(platform::lcKelvora, "Cannot move %s into place: %s",
                          qPrintable(m.finalName), qPrintable(why));
                allMoved = false;
            }
        }
        step(QStringLiteral("finish"));
        if (allMoved && durable::syncFolder(folder_, &why))
            durable::removeFile(path(recordName), &why);
        return allMoved;
    }

    QStringList finalNames() const {
        QStringList names;
        for (const Move& m : moves_)
            names.append(m.finalName);
        return names;
    }

    QString path(const QString& name) const { return folder_ + QLatin1Char('/') + name; }

private:
    struct Move {
        QString tempName;
        QString finalName;
    };
    enum class State { Open, Committed, Interrupted };

    int rank(const Move& m) const {
        if (packNumber(saveId_, m.finalName) > 0)
            return 1;
        if (m.finalName == indexFileName(saveId_))
            return 2;
        if (m.finalName == animationPictureFileName(saveId_))
            return 3; // read only by files of version 3 or less, never by the new index
        return 0;
    }

    void step(const QString& name) {
        if (hook_ && !hook_(name)) {
            state_ = State::Interrupted;
            throw WriteFailure{QStringLiteral("Interrupted at %1").arg(name)};
        }
    }

    [[noreturn]] void fail(const QString& finalName, const QString& why) {
        qCWarning(platform::lcKelvora, "Cannot write %s: %s", qPrintable(path(finalName)),
                  qPrintable(why));
        throw WriteFailure{why};
    }

    void discard() {
        for (const Move& m : moves_)
            durable::removeFile(path(m.tempName), nullptr);
    }

    QString folder_;
    int saveId_;
    const SaveWriter::StepHook& hook_;
    QString token_;
    std::vector<Move> moves_;
    State state_ = State::Open;
};

// Where each frame's picture goes. A picture already on disk as it is (by the ledger) is not
// written again; frames showing the same picture share one file; every other picture is written
// to the file of its first frame's own position. A file this save rewrites is never named for a
// picture it does not hold afterwards.
struct PicturePlan {
    std::vector<QString> fileOfFrame;    // "backgroundImageFile" per frame ("" for none)
    QHash<QString, size_t> toWrite;      // own picture file -> frame whose picture it gets
    QHash<QString, size_t> olderToWrite; // "bg-N-K.png" -> frame, for files not there yet
};

PicturePlan planPictures(const SaveSnapshot& snapshot, int saveId, const SaveSet& set,
                         const PictureLedger& ledger) {
    PicturePlan plan;
    plan.fileOfFrame.resize(snapshot.frames.size());

    struct Group {
        qint64 key;
        std::vector<size_t> frames;
        QString file;
    };
    std::vector<Group> groups;
    QHash<qint64, size_t> groupOfKey;
    auto ownName = [saveId](size_t i) {
        return framePictureFileName(saveId, int(i / kFramesPerPack), int(i % kFramesPerPack));
    };
    for (size_t i = 0; i < snapshot.frames.size(); ++i) {
        const auto& f = snapshot.frames[i];
        if (f.background != kCustomBackground || f.backgroundImage.isNull())
            continue;
        const qint64 key = f.backgroundImage.cacheKey();
        auto it = groupOfKey.constFind(key);
        if (it == groupOfKey.constEnd()) {
            it = groupOfKey.insert(key, groups.size());
            groups.push_back(Group{key, {}, QString()});
        }
        groups[*it].frames.push_back(i);

        const int position = int(i % kFramesPerPack);
        const QString older = framePictureFileName(saveId, position);
        if (!plan.olderToWrite.contains(older) && !QFileInfo::exists(set.path(older)))
            plan.olderToWrite.insert(older, i);
    }

    // A group whose picture one of its frames' own files holds already keeps that file.
    for (Group& g : groups) {
        for (size_t i : g.frames) {
            if (ledger.holds(set.path(ownName(i)), g.key)) {
                g.file = ownName(i);
                break;
            }
        }
    }
    // The others may use another file of this save that holds their picture, as long as this
    // save does not write to it. Only groups left with no such file write their first frame's
    // own file, which in turn rules that file out for the rest; repeated until nothing changes,
    // so that pictures that merely moved (a frame inserted before them) are not written again.
    std::vector<QStringList> candidates(groups.size());
    for (size_t gi = 0; gi < groups.size(); ++gi) {
        const Group& g = groups[gi];
        if (!g.file.isEmpty())
            continue;
        for (const QString& path : ledger.filesOf(g.key)) {
            const QString name = QFileInfo(path).fileName();
            if (path == set.path(name) && isFramePictureName(saveId, name) &&
                ledger.holds(path, g.key))
                candidates[gi].append(name);
        }
    }
    QSet<QString> written;
    std::vector<bool> writes(groups.size(), false);
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t gi = 0; gi < groups.size(); ++gi) {
            if (!groups[gi].file.isEmpty() || writes[gi])
                continue;
            const auto& c = candidates[gi];
            if (std::all_of(c.begin(), c.end(),
                            [&](const QString& n) { return written.contains(n); })) {
                writes[gi] = true;
                written.insert(ownName(groups[gi].frames.front()));
                changed = true;
            }
        }
    }
    for (size_t gi = 0; gi < groups.size(); ++gi) {
        Group& g = groups[gi];
        if (!g.file.isEmpty())
            continue;
        if (writes[gi]) {
            g.file = ownName(g.frames.front());
            plan.toWrite.insert(g.file, g.frames.front());
            continue;
        }
        for (const QString& name : candidates[gi]) {
            if (!written.contains(name)) {
                g.file = name;
                break;
            }
        }
    }
    for (const Group& g : groups) {
        for (size_t i : g.frames)
            plan.fileOfFrame[i] = g.file;
    }
    return plan;
}

// The frame record: the item dictionaries, then a sound record per sound.
QVariantList frameRecord(const SaveSnapshot::FrameEntry& frame, const SoundManager& sounds) {
    QVariantList record;
    record.reserve(qsizetype(frame.items.size() + frame.sounds.size()));
    for (const auto& item : frame.items) {
        if (item)
            record.append(serialize(*item));
    }
    for (const auto& sound : frame.sounds) {
        if (sound)
            record.append(QVariantMap{{kClassName, kSoundClass},
                                      {kSoundFileName, sound->fileName()},
                                      {kSoundIndex, sounds.indexOfSound(sound.get())}});
    }
    return record;
}

// What a pack job does after the pictures: the pack's property list as XML, in its file.
QString writePack(const QVariantMap& pack, const QString& path) {
    QString why;
    const platform::PropertyListXml xml = platform::propertyListXml(pack, &why);
    if (!xml)
        return QStringLiteral("An item could not be stored: %1").arg(why);
    return writeFile(path, xml.data(), xml.size());
}

} // namespace

SaveWriter::SaveWriter(int saveId, QString folder, PictureLedger& ledger,
                       const SoundManager& sounds)
    : saveId_(saveId), folder_(QDir(folder).absolutePath()), ledger_(ledger), sounds_(sounds) {}

bool SaveWriter::write(const SaveSnapshot& snapshot, const std::function<void()>& pump,
                       QString* error) {
    written_.clear();
    auto failed = [&](const QString& why) {
        qCWarning(platform::lcKelvora, "Save %d not written: %s", saveId_, qPrintable(why));
        if (error)
            *error = why;
        return false;
    };
    if (saveId_ < 1)
        return failed(QStringLiteral("The animation has no save identifier"));
    if (!QDir().mkpath(folder_))
        return failed(QStringLiteral("The folder %1 cannot be created").arg(folder_));
    QString why;
    if (!tidyFolder(folder_, &why))
        return failed(why);

    auto run = [&] {
        if (pump)
            pump();
    };
    try {
        SaveSet set(folder_, saveId_, stepHook_);
        PictureLedger& ledger = ledger_;
        const SoundManager& sounds = sounds_;
        const size_t frameCount = snapshot.frames.size();
        const int totalPacks = int((frameCount + kFramesPerPack - 1) / kFramesPerPack);
        const PicturePlan plan = planPictures(snapshot, saveId_, set, ledger);

        // Pictures written by this save, to enter in the ledger once the save is in place.
        std::vector<std::pair<QString, qint64>> newPictures;
        // Declared after the set: destroyed first, so no job outlives the set's cleanup.
        Pipeline pipeline(pump);

        const QString animationPicture = animationPictureFileName(saveId_);
        const QImage& custom = snapshot.customBackgroundImage;
        if (snapshot.background == kCustomBackground && !custom.isNull() &&
            !ledger.holds(set.path(animationPicture), custom.cacheKey())) {
            std::vector<PictureWrite> jpg{{custom, "jpg", 75, {set.reserve(animationPicture)}}};
            pipeline.submit(
                [jpg = std::move(jpg)](const QVariantMap&) { return writePictures(jpg); });
            newPictures.emplace_back(animationPicture, custom.cacheKey());
        }

        QVariantMap meta{{kAnimationSpeed, snapshot.animationSpeed},
                         {kBackground, snapshot.background},
                         {kTotalPacks, totalPacks},
                         {kVersionFormatKey, kVersionFormat}};
        // Lets a damaged saves index be rebuilt with the animations' names.
        if (!snapshot.name.isEmpty())
            meta.insert(kSaveName, snapshot.name);

        for (int pack = 0; pack < std::max(totalPacks, 1); ++pack) {
            run();
            QVariantList frames;
            QVariantList backgrounds;
            std::vector<PictureWrite> pictures;

            const size_t first = size_t(pack) * kFramesPerPack;
            const size_t end = std::min(frameCount, first + kFramesPerPack);
            for (size_t i = first; i < end; ++i) {
                run();
                const SaveSnapshot::FrameEntry& frame = snapshot.frames[i];
                frames.append(QVariant(frameRecord(frame, sounds))); // one element, not its items
                if (frame.background != kCustomBackground) {
                    backgrounds.append(QVariantMap{{kBackground, frame.background}});
                    continue;
                }
                // Named even when empty, so that a frame without a picture does not pick up
                // the older shared file of its position.
                const QString& file = plan.fileOfFrame[i];
                backgrounds.append(
                    QVariantMap{{kBackground, frame.background}, {kBackgroundImageFile, file}});

                QStringList paths;
                const qint64 key = frame.backgroundImage.cacheKey();
                if (plan.toWrite.value(file, size_t(-1)) == i) {
                    paths.append(set.reserve(file));
                    newPictures.emplace_back(file, key);
                }
                const QString older = framePictureFileName(saveId_, int(i % kFramesPerPack));
                if (plan.olderToWrite.value(older, size_t(-1)) == i) {
                    paths.append(set.reserve(older));
                    newPictures.emplace_back(older, key);
                }
                if (paths.isEmpty())
                    continue;
                // Frames sharing a picture mostly follow each other: one encoding serves them.
                if (!pictures.empty() && pictures.back().image.cacheKey() == key)
                    pictures.back().paths += paths;
                else
                    pictures.push_back({frame.backgroundImage, "png", -1, paths});
            }
            const QString packPath = set.reserve(packFileName(saveId_, pack));
            pipeline.submit(
                [pictures = std::move(pictures), packPath](const QVariantMap& contents) {
                    const QString why = writePictures(pictures);
                    return why.isEmpty() ? writePack(contents, packPath) : why;
                },
                QVariantMap{{kFrames, frames}, {kFramesBackground, backgrounds}, {kMeta, meta}});
        }
        pipeline.finish();

        run();
        // Until every file is in place the ledger has nothing true to say about them.
        if (set.commit(pump)) {
            for (const auto& [name, key] : newPictures)
                ledger.record(key, set.path(name));
        }
        written_ = set.finalNames();
        return true;
    } catch (const WriteFailure& f) {
        return failed(f.reason);
    } catch (const std::exception& e) {
        return failed(QString::fromLocal8Bit(e.what()));
    }
}
