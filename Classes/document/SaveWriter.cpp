#include "document/SaveWriter.h"

#include "document/DurableFile.h"
#include "document/Frame.h"
#include "document/PackXml.h"
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

// One frame of a pack to write: its record, to be formatted, or where a file of the last save
// holds its XML already.
struct FramePiece {
    QVariantList record;
    QString file;             // the earlier pack file ("" when the record is to be formatted)
    durable::FileStamp stamp; // as that file must still be
    qint64 offset = 0;
    qint64 size = 0;
};

// A pack file to write: its frames, backgrounds and meta, and where its frames' XML lands.
struct PackJob {
    QString path;      // the temporary file
    QString finalPath; // the pack's file: an identical one is linked, not written again
    std::vector<FramePiece> frames;
    QVariantList backgrounds;
    QVariantMap meta;
    int pack = 0;
    bool whole = false;                       // formatted as one property list, frames not placed
    SavedState::FramePlace* places = nullptr; // one per frame, filled in by the job
};

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
    template <class Job> void submit(Job&& job, std::unique_ptr<PackJob> data = nullptr) {
        Slot& s = slots_[next_];
        next_ = (next_ + 1) % slots_.size();
        wait(s);
        s.data = std::move(data);
        s.job = s.worker.submit(
            [job = std::forward<Job>(job), data = s.data.get()]() mutable { return job(data); });
    }

    // Waits for every job; the first failure is thrown.
    void finish() {
        for (size_t i = 0; i < slots_.size(); ++i)
            wait(slots_[(next_ + i) % slots_.size()]);
    }

    // Once every job is done, runs this one on a worker and gives its result (or throws what it
    // threw), the event loop running meanwhile.
    template <class Job> auto await(Job&& job) {
        finish();
        auto done = slots_[0].worker.submit(std::forward<Job>(job));
        waitPumping(done, pump_);
        return done.get();
    }

private:
    struct Slot {
        Worker worker;
        std::future<QString> job;
        std::unique_ptr<PackJob> data;
    };

    void wait(Slot& s) {
        if (!s.job.valid())
            return;
        waitPumping(s.job, pump_);
        const QString why = s.job.get();
        s.data.reset();
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
    // file is in place under its own name. Runs on a worker: it touches nothing but the set.
    bool commit() {
        // Pictures first, the index last: a reader that knows nothing of commit records sees
        // new packs only once their pictures are there, and the new index only at the end.
        std::stable_sort(moves_.begin(), moves_.end(),
                         [this](const Move& a, const Move& b) { return rank(a) < rank(b); });
        QString why;
        QVariantList records;
        for (const Move& m : moves_)
            records.append(QVariantMap{{kMoveFrom, m.tempName}, {kMoveTo, m.finalName}});
        const QString recordName = commitRecordFileName(saveId_);
        QString encodeError;
        QVariantMap contents{{kMoves, records}};
        if (!removes_.isEmpty())
            contents.insert(kRemoves, QVariant(removes_));
        const QByteArray record = platform::serializePropertyList(contents, &encodeError);
        if (record.isEmpty())
            fail(recordName, encodeError);
        // The record is written before the files are flushed, so that the first flush takes it
        // to the disk with them and the record's own flush has little left to do: each flush
        // that finds something new costs the file system a journal commit.
        step(QStringLiteral("write ") + recordName);
        const QString recordTemp = temporaryFileName(recordName, token_);
        if (!durable::writeNewFile(path(recordTemp), record, &why))
            fail(recordName, why);
        moves_.push_back({recordTemp, recordName}); // removed with the others on failure
        for (const Move& m : moves_)
            if (!durable::syncFile(path(m.tempName), &why))
                fail(m.finalName, why);
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
        for (const QString& name : std::as_const(removes_)) {
            step(QStringLiteral("remove ") + name);
            if (!durable::removeFile(path(name), &why)) {
                qCWarning(platform::lcKelvora, "Cannot remove %s: %s", qPrintable(name),
                          qPrintable(why));
                allMoved = false;
            }
        }
        step(QStringLiteral("finish"));
        if (allMoved && durable::syncFolder(folder_, &why))
            durable::removeFile(path(recordName), &why);
        return allMoved;
    }

    // A file of the previous save that the new one does not name: removed once the moves are
    // made, as the commit record says.
    void remove(const QString& finalName) { removes_.append(finalName); }
    const QStringList& removals() const { return removes_; }

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
    QStringList removes_;
    State state_ = State::Open;
};

// The picture files a save of this animation names, each with the picture it holds, and the
// file of each frame. They follow from the animation alone, so an incremental save lands on the
// files a full save would write: frames showing one picture share the file of the first of them
// at its own place ("bg-N-P-K.png"); "bg-N-K.png" holds the picture of the first frame at
// position K that has one; "bg-N.jpg" the animation's own picture.
struct PictureTarget {
    QString file;
    QImage image;
    const char* format;
    int quality;
};
struct PicturePlan {
    std::vector<QString> fileOfFrame; // "backgroundImageFile" per frame ("" for none)
    std::vector<PictureTarget> targets;
};

PicturePlan planPictures(const SaveSnapshot& snapshot, int saveId) {
    PicturePlan plan;
    plan.fileOfFrame.resize(snapshot.frames.size());
    if (snapshot.background == kCustomBackground && !snapshot.customBackgroundImage.isNull())
        plan.targets.push_back(
            {animationPictureFileName(saveId), snapshot.customBackgroundImage, "jpg", 75});
    QHash<qint64, QString> fileOfPicture;
    std::array<bool, kFramesPerPack> positionTaken{};
    for (size_t i = 0; i < snapshot.frames.size(); ++i) {
        const auto& f = snapshot.frames[i];
        if (f.background != kCustomBackground || f.backgroundImage.isNull())
            continue;
        const qint64 key = f.backgroundImage.cacheKey();
        auto it = fileOfPicture.constFind(key);
        if (it == fileOfPicture.constEnd()) {
            const QString own =
                framePictureFileName(saveId, int(i / kFramesPerPack), int(i % kFramesPerPack));
            it = fileOfPicture.insert(key, own);
            plan.targets.push_back({own, f.backgroundImage, "png", -1});
        }
        plan.fileOfFrame[i] = *it;
        if (bool& taken = positionTaken[i % kFramesPerPack]; !taken) {
            taken = true;
            plan.targets.push_back({framePictureFileName(saveId, int(i % kFramesPerPack)),
                                    f.backgroundImage, "png", -1});
        }
    }
    return plan;
}

// A picture already on disk elsewhere in the folder, as the ledger knows it: the new file is
// made from it without encoding the picture again.
QString fileHolding(const PictureLedger& ledger, const QString& folder, qint64 key,
                    const QString& suffix) {
    for (const QString& path : ledger.filesOf(key)) {
        const QFileInfo info(path);
        if (info.absolutePath() == folder && info.suffix() == suffix && ledger.holds(path, key))
            return path;
    }
    return QString();
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

QString itemNotStored(const QString& why) {
    return QStringLiteral("An item could not be stored: %1").arg(why);
}

// A pack formatted as one property list, for when its frames cannot be put together.
QString writeWholePack(const PackJob& job) {
    QVariantList frames;
    frames.reserve(qsizetype(job.frames.size()));
    for (const FramePiece& f : job.frames)
        frames.append(QVariant(f.record)); // one element, not its items
    const QVariantMap pack{
        {kFrames, frames}, {kFramesBackground, job.backgrounds}, {kMeta, job.meta}};
    QString why;
    const platform::PropertyListXml xml = platform::propertyListXml(pack, &why);
    if (!xml)
        return itemNotStored(why);
    return writeFile(job.path, xml.data(), xml.size());
}

// What a pack job does after the pictures: the frames' XML, formatted or taken from the files of
// the last save, put together into the pack's file. A pack that comes out as the file already
// is becomes a second name of that file.
QString writePack(PackJob* job) {
    if (job->whole)
        return writeWholePack(*job);
    QString why;
    std::vector<QByteArray> formatted(job->frames.size());
    QHash<QString, QByteArray> earlier; // file -> its bytes
    for (size_t i = 0; i < job->frames.size(); ++i) {
        const FramePiece& f = job->frames[i];
        if (f.file.isEmpty()) {
            formatted[i] = packxml::frameXml(f.record, &why);
            if (formatted[i].isEmpty())
                return itemNotStored(why);
        } else if (!earlier.contains(f.file)) {
            QByteArray bytes;
            if (!durable::readUnchanged(f.file, f.stamp, &bytes, &why))
                return QStringLiteral("The last save changed while saving (%1)").arg(why);
            earlier.insert(f.file, bytes);
        }
    }
    std::vector<QByteArrayView> frames;
    frames.reserve(job->frames.size());
    for (size_t i = 0; i < job->frames.size(); ++i) {
        const FramePiece& f = job->frames[i];
        if (f.file.isEmpty()) {
            frames.emplace_back(formatted[i]);
            continue;
        }
        const QByteArray& bytes = *earlier.constFind(f.file);
        const QByteArrayView piece =
            f.offset >= 0 && f.size > 0 && f.offset + f.size <= bytes.size()
                ? QByteArrayView(bytes).sliced(f.offset, f.size)
                : QByteArrayView();
        if (!piece.startsWith("\t\t<array"))
            return QStringLiteral("The last save changed while saving");
        frames.push_back(piece);
    }
    std::vector<qint64> offsets;
    const QByteArray xml = packxml::packXml(frames, job->backgrounds, job->meta, &offsets, &why);
    if (xml.isEmpty())
        return itemNotStored(why);
    for (size_t i = 0; i < frames.size(); ++i)
        job->places[i] = {job->pack, offsets[i], frames[i].size()};
    if (const auto same = earlier.constFind(job->finalPath);
        same != earlier.constEnd() && *same == xml) {
        if (durable::linkNewFile(job->finalPath, job->path, &why))
            return QString();
        return why.isEmpty() ? QStringLiteral("A pack could not be copied") : why;
    }
    return writeFile(job->path, xml.constData(), xml.size());
}

// What this folder holds of the last save, when it is of this animation; else none.
const SavedState* previousSave(const SaveSnapshot& snapshot, int saveId, const QString& folder) {
    const SavedState* previous = snapshot.previous.get();
    if (previous && (previous->saveId != saveId || previous->folder != folder))
        return nullptr;
    return previous;
}

// The XML of the last save's frames, by frame stamp, in the pack files that are still as that
// save left them: an unchanged frame is copied from there, wherever it has moved since.
class EarlierFrames {
public:
    EarlierFrames(const SavedState* previous, int saveId, QString folder)
        : previous_(previous && packxml::piecesFit() ? previous : nullptr), saveId_(saveId),
          folder_(std::move(folder)) {}

    // Where the frame with this stamp is, or false.
    bool find(quint64 stamp, FramePiece* piece) {
        if (!previous_ || stamp == 0)
            return false;
        if (!indexed_) {
            indexed_ = true;
            const size_t n = std::min(previous_->frameStamps.size(), previous_->framePlaces.size());
            positions_.reserve(qsizetype(n));
            for (size_t i = 0; i < n; ++i)
                if (previous_->frameStamps[i] != 0 && previous_->framePlaces[i].pack >= 0)
                    positions_.insert(previous_->frameStamps[i], i);
            intact_.assign(previous_->packStamps.size(), Unknown);
        }
        const auto it = positions_.constFind(stamp);
        if (it == positions_.constEnd())
            return false;
        const SavedState::FramePlace& place = previous_->framePlaces[*it];
        if (size_t(place.pack) >= intact_.size())
            return false;
        const QString file = folder_ + QLatin1Char('/') + packFileName(saveId_, place.pack);
        const durable::FileStamp& stamped = previous_->packStamps[size_t(place.pack)];
        if (intact_[size_t(place.pack)] == Unknown) {
            durable::FileStamp now;
            intact_[size_t(place.pack)] =
                durable::stampOf(file, &now) && now == stamped ? Intact : Changed;
        }
        if (intact_[size_t(place.pack)] != Intact)
            return false;
        *piece = FramePiece{QVariantList(), file, stamped, place.offset, place.size};
        return true;
    }

private:
    enum State : char { Unknown, Intact, Changed };
    const SavedState* previous_;
    int saveId_;
    QString folder_;
    bool indexed_ = false;
    QHash<quint64, size_t> positions_;
    std::vector<State> intact_;
};

// A pack of the last save that holds the same frames, unchanged, with the same picture files,
// and is on disk as that save left it, is left as it is. The first pack is always written.
bool packUnchanged(const SaveSnapshot& snapshot, const SavedState* previous,
                   const PicturePlan& plan, const QString& packPath, int pack) {
    if (!previous || pack == 0 || size_t(pack) >= previous->packStamps.size())
        return false;
    const size_t first = size_t(pack) * kFramesPerPack;
    const size_t end = std::min(snapshot.frames.size(), first + kFramesPerPack);
    if (end != std::min(previous->frameStamps.size(), first + kFramesPerPack))
        return false;
    for (size_t i = first; i < end; ++i) {
        if (snapshot.frames[i].stamp == 0 || snapshot.frames[i].stamp != previous->frameStamps[i] ||
            plan.fileOfFrame[i] != previous->pictureFiles[i])
            return false;
    }
    durable::FileStamp now;
    return durable::stampOf(packPath, &now) && now == previous->packStamps[size_t(pack)];
}

// Each picture file not on disk as it should be is made from a file that holds its picture
// already, or else encoded (once for every file that needs it). Returns the pictures written,
// to enter in the ledger once the save is in place.
std::vector<std::pair<QString, qint64>> submitPictures(const PicturePlan& plan, SaveSet& set,
                                                       Pipeline& pipeline,
                                                       const PictureLedger& ledger,
                                                       const QString& folder) {
    std::vector<std::pair<QString, qint64>> newPictures;
    std::vector<PictureWrite> encodes;
    std::vector<std::pair<QString, QString>> links; // from, to
    for (const PictureTarget& t : plan.targets) {
        const qint64 key = t.image.cacheKey();
        if (ledger.holds(set.path(t.file), key))
            continue;
        const QString suffix = QFileInfo(t.file).suffix();
        const QString source = fileHolding(ledger, folder, key, suffix);
        const QString temp = set.reserve(t.file);
        newPictures.emplace_back(t.file, key);
        if (!source.isEmpty()) {
            links.emplace_back(source, temp);
            continue;
        }
        auto same = std::find_if(encodes.begin(), encodes.end(), [&](const PictureWrite& p) {
            return p.image.cacheKey() == key && p.format == t.format;
        });
        if (same != encodes.end())
            same->paths.append(temp);
        else
            encodes.push_back({t.image, t.format, t.quality, {temp}});
    }
    if (!links.empty())
        pipeline.submit([links = std::move(links)](PackJob*) {
            QString why;
            for (const auto& [from, to] : links)
                if (!durable::linkNewFile(from, to, &why))
                    return why.isEmpty() ? QStringLiteral("A picture could not be copied") : why;
            return QString();
        });
    for (PictureWrite& p : encodes)
        pipeline.submit([pictures = std::vector<PictureWrite>{std::move(p)}](PackJob*) {
            return writePictures(pictures);
        });
    return newPictures;
}

// The contents of one pack file: its frames (serialized here unless a file of the last save holds
// them), their backgrounds and the meta.
std::unique_ptr<PackJob> packContents(const SaveSnapshot& snapshot, const PicturePlan& plan,
                                      const SoundManager& sounds, const QVariantMap& meta, int pack,
                                      EarlierFrames& earlier, const std::function<void()>& run) {
    auto job = std::make_unique<PackJob>();
    job->pack = pack;
    job->meta = meta;
    QVariantList& backgrounds = job->backgrounds;
    const size_t first = size_t(pack) * kFramesPerPack;
    const size_t end = std::min(snapshot.frames.size(), first + kFramesPerPack);
    job->whole = first == end || !packxml::piecesFit();
    job->frames.resize(end - first);
    for (size_t i = first; i < end; ++i) {
        const SaveSnapshot::FrameEntry& frame = snapshot.frames[i];
        FramePiece& piece = job->frames[i - first];
        if (job->whole || !earlier.find(frame.stamp, &piece)) {
            run();
            piece.record = frameRecord(frame, sounds);
        }
        if (frame.background != kCustomBackground)
            backgrounds.append(QVariantMap{{kBackground, frame.background}});
        else
            // Named even when empty, so that a frame without a picture does not pick up the
            // older shared file of its position.
            backgrounds.append(QVariantMap{{kBackground, frame.background},
                                           {kBackgroundImageFile, plan.fileOfFrame[i]}});
    }
    return job;
}

// What the new save does not name goes in the same commit: packs past its last one, pictures
// no frame shows.
void removeStaleFiles(SaveSet& set, const QString& folder, int saveId, int packFiles,
                      const PicturePlan& plan) {
    QSet<QString> pictureFiles;
    for (const PictureTarget& t : plan.targets)
        pictureFiles.insert(t.file);
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::System)) {
        const bool stalePack = packNumber(saveId, name) >= packFiles;
        const bool stalePicture =
            (isFramePictureName(saveId, name) || name == animationPictureFileName(saveId)) &&
            !pictureFiles.contains(name);
        if (stalePack || stalePicture)
            set.remove(name);
    }
}

// What the save left on disk, for the next save to compare with; none when a pack's stamp
// cannot be read.
std::shared_ptr<SavedState> savedStateOf(const SaveSnapshot& snapshot, const PicturePlan& plan,
                                         const SaveSet& set, int saveId, const QString& folder,
                                         const QVariantMap& meta, int packFiles,
                                         std::vector<SavedState::FramePlace> places) {
    auto state = std::make_shared<SavedState>();
    state->saveId = saveId;
    state->folder = folder;
    state->meta = meta;
    state->frameStamps.reserve(snapshot.frames.size());
    for (const auto& f : snapshot.frames)
        state->frameStamps.push_back(f.stamp);
    state->pictureFiles = plan.fileOfFrame;
    state->framePlaces = std::move(places);
    state->packStamps.resize(size_t(packFiles));
    for (int pack = 0; pack < packFiles; ++pack)
        if (!durable::stampOf(set.path(packFileName(saveId, pack)),
                              &state->packStamps[size_t(pack)]))
            return nullptr;
    return state;
}

} // namespace

SaveWriter::SaveWriter(int saveId, QString folder, PictureLedger& ledger,
                       const SoundManager& sounds)
    : saveId_(saveId), folder_(QDir(folder).absolutePath()), ledger_(ledger), sounds_(sounds) {}

bool SaveWriter::write(const SaveSnapshot& snapshot, const std::function<void()>& pump,
                       QString* error) {
    written_.clear();
    removed_.clear();
    savedState_.reset();
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

    const std::function<void()> run = [&] {
        if (pump)
            pump();
    };
    try {
        SaveSet set(folder_, saveId_, stepHook_);
        const size_t frameCount = snapshot.frames.size();
        const int totalPacks = int((frameCount + kFramesPerPack - 1) / kFramesPerPack);
        const int packFiles = std::max(totalPacks, 1);
        const PicturePlan plan = planPictures(snapshot, saveId_);

        QVariantMap meta{{kAnimationSpeed, snapshot.animationSpeed},
                         {kBackground, snapshot.background},
                         {kTotalPacks, totalPacks},
                         {kVersionFormatKey, kVersionFormat}};
        // Lets a damaged saves index be rebuilt with the animations' names.
        if (!snapshot.name.isEmpty())
            meta.insert(kSaveName, snapshot.name);
        // Frames are copied from any file of the last save; packs are left as they are only when
        // the meta in them is the same too.
        const SavedState* earlierSave = previousSave(snapshot, saveId_, folder_);
        const SavedState* previous =
            earlierSave && earlierSave->meta == meta ? earlierSave : nullptr;
        EarlierFrames earlier(earlierSave, saveId_, folder_);
        // Written by the pack jobs, read once they are done.
        std::vector<SavedState::FramePlace> places(frameCount);

        // Declared after the set: destroyed first, so no job outlives the set's cleanup.
        Pipeline pipeline(pump);
        const auto newPictures = submitPictures(plan, set, pipeline, ledger_, folder_);
        for (int pack = 0; pack < packFiles; ++pack) {
            run();
            const QString name = packFileName(saveId_, pack);
            const size_t first = size_t(pack) * kFramesPerPack;
            const size_t end = std::min(frameCount, first + kFramesPerPack);
            if (packUnchanged(snapshot, previous, plan, set.path(name), pack)) {
                if (previous->framePlaces.size() >= end)
                    std::copy(previous->framePlaces.begin() + qsizetype(first),
                              previous->framePlaces.begin() + qsizetype(end),
                              places.begin() + qsizetype(first));
                continue;
            }
            auto job = packContents(snapshot, plan, sounds_, meta, pack, earlier, run);
            job->path = set.reserve(name);
            job->finalPath = set.path(name);
            job->places = places.data() + first;
            pipeline.submit(writePack, std::move(job));
        }
        pipeline.finish();
        removeStaleFiles(set, folder_, saveId_, packFiles, plan);

        // Flushes can each take tens of milliseconds on a busy disk: the commit runs on a worker
        // while the event loop runs here. Until every file is in place the ledger has nothing
        // true to say about them.
        const bool inPlace = pipeline.await([&set] { return set.commit(); });
        for (const QString& name : set.removals())
            ledger_.forget(set.path(name));
        if (inPlace) {
            for (const auto& [name, key] : newPictures)
                ledger_.record(key, set.path(name));
            savedState_ = savedStateOf(snapshot, plan, set, saveId_, folder_, meta, packFiles,
                                       std::move(places));
        }
        written_ = set.finalNames();
        removed_ = set.removals();
        return true;
    } catch (const WriteFailure& f) {
        return failed(f.reason);
    } catch (const std::exception& e) {
        return failed(QString::fromLocal8Bit(e.what()));
    }
}
