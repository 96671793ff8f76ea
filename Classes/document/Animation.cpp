#include "document/Animation.h"

#include "items/CopyingSprite.h"

#include <QUndoCommand>

#include <algorithm>

Animation::Animation(QObject* parent) : QObject(parent) {
    undoStack_.setUndoLimit(kUndoLimit);
    connect(&undoStack_, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit dirtyChanged(!clean); });
}

Animation::~Animation() {
    // Commands may hold frames and items; they go first, then the frames (figures unlink their
    // joints as the last owner lets them go).
    undoStack_.clear();
}

Frame* Animation::frameAt(int index) const {
    if (index < 0 || index >= frameCount())
        return nullptr;
    return frames_[size_t(index)].get();
}

int Animation::indexOf(const Frame* frame) const {
    for (size_t i = 0; i < frames_.size(); ++i)
        if (frames_[i].get() == frame)
            return int(i);
    return -1;
}

void Animation::setCurrentFrameAtIndex(int index) {
    Frame* frame = frameAt(index);
    if (!frame)
        return;
    currentFrameIndex_ = index;
    currentFrame_ = frame;
    emit currentFrameChanged();
}

void Animation::insertFrame(int index, std::shared_ptr<Frame> frame) {
    index = std::clamp(index, 0, frameCount());
    frames_.insert(frames_.begin() + index, std::move(frame));
    // The current frame keeps being current; its index may have moved.
    if (currentFrame_)
        currentFrameIndex_ = indexOf(currentFrame_);
    emit framesChanged();
}

std::shared_ptr<Frame> Animation::takeFrame(int index) {
    if (index < 0 || index >= frameCount())
        return nullptr;
    std::shared_ptr<Frame> frame = std::move(frames_[size_t(index)]);
    frames_.erase(frames_.begin() + index);
    if (frame.get() == currentFrame_) {
        currentFrame_ = nullptr;
        currentFrameIndex_ = -1;
    } else if (currentFrame_) {
        currentFrameIndex_ = indexOf(currentFrame_);
    }
    emit framesChanged();
    return frame;
}

std::shared_ptr<Frame> Animation::copyOfFrame(const Frame& source) {
    auto frame = std::make_shared<Frame>();
    for (const auto& item : source.sprites())
        if (auto copy = copySprite(*item))
            frame->addSprite(copy);
    frame->setBackground(source.background());
    frame->setBackgroundImage(source.backgroundImage());
    return frame;
}

void Animation::resetFrames(std::vector<std::shared_ptr<Frame>> frames, int current) {
    undoStack_.clear();
    frames_ = std::move(frames);
    currentFrame_ = nullptr;
    currentFrameIndex_ = -1;
    emit framesChanged();
    if (!frames_.empty())
        setCurrentFrameAtIndex(std::clamp(current, 0, frameCount() - 1));
    markUnchanged();
}

void Animation::clear() {
    std::vector<std::shared_ptr<Frame>> one;
    one.push_back(std::make_shared<Frame>());
    resetFrames(std::move(one));
}

void Animation::push(QUndoCommand* command) {
    undoStack_.push(command);
}

SaveSnapshot Animation::snapshotForSave() {
    SaveSnapshot s = SaveSnapshot::fromFrames(frames_, background_, customBackgroundImage_,
                                              animationSpeed_, name_);
    s.previous = savedState_;
    undoStack_.setClean();
    return s;
}

void Animation::saveFailed() {
    undoStack_.resetClean();
    savedState_.reset();
}

void Animation::markUnchanged() {
    undoStack_.clear();
    undoStack_.setClean();
    savedState_.reset();
}
