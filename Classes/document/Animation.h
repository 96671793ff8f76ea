#pragma once

#include "document/Frame.h"
#include "document/SaveSnapshot.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QUndoStack>

#include <memory>
#include <vector>

class QUndoCommand;

// The animation being edited: its frames and which one is current, its own background, its
// playback speed, where it is saved and whether it changed since. Every edit of what a save
// stores is a command on its undo stack (see document/Commands.h); the screens and the stage
// observe the notifications below and never change frames behind its back.
class Animation : public QObject {
    Q_OBJECT
public:
    // Steps kept on the undo stack.
    static constexpr int kUndoLimit = 100;

    explicit Animation(QObject* parent = nullptr);
    ~Animation() override;

    // ---- frames ----
    const std::vector<std::shared_ptr<Frame>>& frames() const { return frames_; }
    int frameCount() const { return int(frames_.size()); }
    Frame* frameAt(int index) const;
    // -1 when the frame is not part of the animation.
    int indexOf(const Frame* frame) const;
    Frame* currentFrame() const { return currentFrame_; }
    int currentFrameIndex() const { return currentFrameIndex_; }
    // Makes frame `index` current (nothing happens for an index out of range).
    void setCurrentFrameAtIndex(int index);
    void setCurrentFrame(const Frame* frame) { setCurrentFrameAtIndex(indexOf(frame)); }
    // Playback's one exception to "the current frame is the frame at the current index": it
    // sets -1 while the last frame stays on the stage, so that its first step shows frame 0.
    // Changes the index alone and tells nobody.
    void setCurrentFrameIndexOnly(int index) { currentFrameIndex_ = index; }

    // Structural changes, used by the commands and by set-up (not undoable by themselves).
    void insertFrame(int index, std::shared_ptr<Frame> frame);
    std::shared_ptr<Frame> takeFrame(int index);
    // A copy of `source`'s items (not its sounds) with its background code and picture.
    static std::shared_ptr<Frame> copyOfFrame(const Frame& source);
    // Replaces every frame; `current` is made current (clamped). Empties the undo stack and
    // leaves the animation unchanged: loading and starting anew are not edits.
    void resetFrames(std::vector<std::shared_ptr<Frame>> frames, int current = 0);
    // One empty frame (background code 0), unchanged, empty undo stack.
    void clear();

    // Tell the observers that a frame's contents changed under them.
    void notifyItemsChanged(Frame* frame) { emit frameItemsChanged(frame); }
    void notifySoundsChanged(Frame* frame) { emit frameSoundsChanged(frame); }
    void notifyBackgroundChanged(Frame* frame) { emit frameBackgroundChanged(frame); }

    // ---- the animation's own background (what the last background shown was) ----
    int background() const { return background_; }
    const QImage& customBackgroundImage() const { return customBackgroundImage_; }
    void setBackground(int code) { background_ = code; }
    void setCustomBackgroundImage(const QImage& picture) { customBackgroundImage_ = picture; }

    double animationSpeed() const { return animationSpeed_; }
    void setAnimationSpeed(double speed) { animationSpeed_ = speed; }

    // ---- where it is saved ----
    int currentSaveId() const { return currentSaveId_; }
    void setCurrentSaveId(int id) { currentSaveId_ = id; }
    int autoSaveId() const { return autoSaveId_; }
    void setAutoSaveId(int id) { autoSaveId_ = id; }
    // The name it is listed under, which a save also keeps in its own files ("" for none yet).
    const QString& name() const { return name_; }
    void setName(const QString& name) { name_ = name; }

    // ---- edits and the changed state ----
    QUndoStack& undoStack() { return undoStack_; }
    const QUndoStack& undoStack() const { return undoStack_; }
    // Pushes an edit (running it unless the command says it already ran).
    void push(QUndoCommand* command);
    // Unsaved changes exist: the undo stack is not where the last successful save left it.
    bool isDirty() const { return !undoStack_.isClean(); }
    // The animation as a save would write it now; from here on it counts as saved, so edits
    // made while the write runs leave it changed.
    SaveSnapshot snapshotForSave();
    // The save of the last snapshot went through and left the folder as `state` says (null:
    // as nobody knows); the next save to the same place writes only what differs from it.
    void saveSucceeded(std::shared_ptr<const SavedState> state) { savedState_ = std::move(state); }
    // The save of the last snapshot failed: the animation is changed until the next save, and
    // what the folder holds is no longer known, so that save writes everything.
    void saveFailed();
    // Changed since the last save, without a command (a gesture under way).
    void markDirty() { undoStack_.resetClean(); }
    const std::shared_ptr<const SavedState>& savedState() const { return savedState_; }
    // For loading and starting: what is there now counts as saved, and nothing can be undone.
    // The next save writes everything: what the folder holds is not known.
    void markUnchanged();

signals:
    void framesChanged();
    void currentFrameChanged();
    void frameItemsChanged(Frame* frame);
    void frameSoundsChanged(Frame* frame);
    void frameBackgroundChanged(Frame* frame);
    void dirtyChanged(bool dirty);

private:
    std::vector<std::shared_ptr<Frame>> frames_;
    Frame* currentFrame_ = nullptr;
    int currentFrameIndex_ = -1;
    int background_ = 0;
    QImage customBackgroundImage_;
    double animationSpeed_ = 1;
    int currentSaveId_ = -1;
    int autoSaveId_ = -1;
    QString name_;
    QUndoStack undoStack_;
    std::shared_ptr<const SavedState> savedState_;
};
