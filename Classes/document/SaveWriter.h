#pragma once

#include "document/PictureLedger.h"
#include "document/SaveSnapshot.h"
#include "sounds/SoundManager.h"

#include "platform/Paths.h"

#include <QString>
#include <QStringList>

#include <functional>

// Writes save N: the index file, the pack files and the pictures, as one set. Every new or
// changed file is first written under a temporary name and flushed; a commit record then lists
// the moves that put them in place (the index last), so an interruption at any point leaves
// either the previous save or the new one complete (see SaveFiles.h). When a file cannot be
// written, nothing of the previous save is touched and no temporary file is left behind.
//
// Items are serialized on the calling (main) thread, frame by frame; turning the serialized
// packs into XML, encoding pictures and writing files happen on two worker threads meanwhile,
// and so does the final step of flushes and moves. A frame the last save wrote and that has
// not changed since is not serialized again: its XML is copied from the pack file it is in.
class SaveWriter {
public:
    explicit SaveWriter(int saveId, QString folder = platform::documentsFolder(),
                        PictureLedger& ledger = PictureLedger::shared(),
                        const SoundManager& sounds = SoundManager::sharedSoundMgr());

    // Writes the save set, the snapshot's name in its meta. With the snapshot's previous save
    // (of this animation, to this folder and identifier) only the index, the packs whose frames
    // changed and the pictures not on disk yet are written, and what the new save no longer
    // names is removed in the same commit; the folder then holds what a save of everything
    // would leave there. Before it, whatever an interrupted save of any animation left in the
    // folder is finished or removed. `pump` runs before each pack and each frame, and every few
    // milliseconds while the workers are busy, so that the event loop keeps running; items are
    // serialized when their frame is written. False with a readable reason ("Permission
    // denied", "No space left on device") in *error when any file could not be written. The
    // step hook (below) may be called on a worker thread, while this one waits.
    bool write(const SaveSnapshot& snapshot, const std::function<void()>& pump, QString* error);

    // The final names of the files the last successful write put in place, and those it
    // removed.
    const QStringList& writtenFiles() const { return written_; }
    const QStringList& removedFiles() const { return removed_; }
    // What the last successful write left in the folder, for the next save's snapshot (null
    // when it could not tell: the next save then writes everything).
    const std::shared_ptr<const SavedState>& savedState() const { return savedState_; }

    // For tests: called with a step's name before each change to the folder ("write <file>",
    // "commit", "move <file>", "finish"); returning false stops the write there as if the
    // program had been killed, leaving the folder as it is.
    using StepHook = std::function<bool(const QString& step)>;
    void setStepHook(StepHook hook) { stepHook_ = std::move(hook); }

private:
    int saveId_;
    QString folder_;
    PictureLedger& ledger_;
    const SoundManager& sounds_;
    QStringList written_;
    QStringList removed_;
    std::shared_ptr<const SavedState> savedState_;
    StepHook stepHook_;
};
