#include "document/Commands.h"

#include "items/SpeechBubble.h"
#include "sounds/SoundEffect.h"

#include <algorithm>

void AnimationCommand::showItemsOf(Frame* frame) {
    // Its items changed (every caller changes them): the next save writes the frame's pack.
    if (frame)
        frame->markChanged();
    if (frame && animation_.currentFrame() != frame)
        animation_.setCurrentFrame(frame);
    animation_.notifyItemsChanged(frame);
}

// ---------------------------------------------------------------- frames

TakeFrameCommand::TakeFrameCommand(Animation& animation, std::shared_ptr<Frame> frame, int index)
    : AnimationCommand(animation, QStringLiteral("New frame")), frame_(std::move(frame)),
      index_(index) {}

void TakeFrameCommand::redo() {
    animation_.insertFrame(index_, frame_);
    animation_.setCurrentFrame(frame_.get());
}

void TakeFrameCommand::undo() {
    animation_.takeFrame(animation_.indexOf(frame_.get()));
    animation_.setCurrentFrameAtIndex(std::max(0, index_ - 1));
}

DeleteFrameCommand::DeleteFrameCommand(Animation& animation, int index)
    : AnimationCommand(animation, QStringLiteral("Delete frame")), index_(index) {}

void DeleteFrameCommand::redo() {
    removed_ = animation_.takeFrame(index_);
    if (animation_.frameCount() == 0) {
        if (!placeholder_)
            placeholder_ = std::make_shared<Frame>();
        animation_.insertFrame(0, placeholder_);
    }
    animation_.setCurrentFrameAtIndex(std::min(index_, animation_.frameCount() - 1));
}

void DeleteFrameCommand::undo() {
    if (placeholder_)
        animation_.takeFrame(animation_.indexOf(placeholder_.get()));
    animation_.insertFrame(index_, removed_);
    animation_.setCurrentFrame(removed_.get());
}

ShotCommand::ShotCommand(Animation& animation, std::vector<std::shared_ptr<Frame>> frames,
                         int firstIndex, std::shared_ptr<Frame> startFrame,
                         std::vector<std::shared_ptr<CCSprite>> startItems)
    : AnimationCommand(animation, QStringLiteral("Shot")), frames_(std::move(frames)),
      firstIndex_(firstIndex), startFrame_(std::move(startFrame)),
      startItems_(std::move(startItems)) {}

void ShotCommand::redo() {
    if (!applied_) {
        if (startFrame_)
            for (const auto& item : startItems_)
                startFrame_->addSprite(item);
        for (size_t i = 0; i < frames_.size(); ++i)
            animation_.insertFrame(firstIndex_ + int(i), frames_[i]);
    }
    applied_ = true;
    if (!frames_.empty())
        animation_.setCurrentFrame(frames_.back().get());
    else
        showItemsOf(startFrame_.get());
}

void ShotCommand::undo() {
    for (const auto& frame : frames_)
        animation_.takeFrame(animation_.indexOf(frame.get()));
    applied_ = false;
    if (startFrame_) {
        for (const auto& item : startItems_)
            startFrame_->removeSprite(item.get());
        animation_.setCurrentFrame(startFrame_.get());
        showItemsOf(startFrame_.get());
        return;
    }
    animation_.setCurrentFrameAtIndex(std::max(0, firstIndex_ - 1));
}

ClearFrameCommand::ClearFrameCommand(Animation& animation, Frame* frame)
    : AnimationCommand(animation, QStringLiteral("Clear frame")), frame_(frame),
      items_(frame->sprites()), sounds_(frame->sounds()) {}

void ClearFrameCommand::redo() {
    frame_->removeAllSprites();
    frame_->removeAllSounds();
    showItemsOf(frame_);
    animation_.notifySoundsChanged(frame_);
}

void ClearFrameCommand::undo() {
    for (const auto& item : items_)
        frame_->addSprite(item);
    frame_->setSounds(sounds_);
    showItemsOf(frame_);
    animation_.notifySoundsChanged(frame_);
}

FrameSoundsCommand::FrameSoundsCommand(Animation& animation, Frame* frame,
                                       std::vector<std::shared_ptr<SoundEffect>> sounds)
    : AnimationCommand(animation, QStringLiteral("Frame sounds")), frame_(frame),
      before_(frame->sounds()), after_(std::move(sounds)) {}

void FrameSoundsCommand::redo() {
    frame_->setSounds(after_);
    animation_.setCurrentFrame(frame_);
    animation_.notifySoundsChanged(frame_);
}

void FrameSoundsCommand::undo() {
    frame_->setSounds(before_);
    animation_.setCurrentFrame(frame_);
    animation_.notifySoundsChanged(frame_);
}

BackgroundCommand::BackgroundCommand(Animation& animation, Frame* frame, const Background& after)
    : AnimationCommand(animation, QStringLiteral("Background")), frame_(frame),
      before_(of(animation, *frame)), after_(after) {}

BackgroundCommand::Background BackgroundCommand::of(const Animation& animation,
                                                    const Frame& frame) {
    return Background{frame.background(), frame.backgroundImage(), animation.background(),
                      animation.customBackgroundImage()};
}

void BackgroundCommand::apply(const Background& b) {
    frame_->setBackground(b.frameCode);
    frame_->setBackgroundImage(b.framePicture);
    animation_.setBackground(b.animationCode);
    animation_.setCustomBackgroundImage(b.animationPicture);
    animation_.setCurrentFrame(frame_);
    animation_.notifyBackgroundChanged(frame_);
}

void BackgroundCommand::redo() {
    apply(after_);
}

void BackgroundCommand::undo() {
    apply(before_);
}

// ---------------------------------------------------------------- items

AddItemCommand::AddItemCommand(Animation& animation, Frame* frame, std::shared_ptr<CCSprite> item,
                               int position)
    : AnimationCommand(animation, QStringLiteral("Add item")), frame_(frame),
      item_(std::move(item)), position_(position) {}

void AddItemCommand::redo() {
    if (position_ < 0)
        frame_->addSprite(item_);
    else
        frame_->insertSprite(position_, item_);
    showItemsOf(frame_);
}

void AddItemCommand::undo() {
    frame_->removeSprite(item_.get());
    showItemsOf(frame_);
}

RemoveItemCommand::RemoveItemCommand(Animation& animation, Frame* frame,
                                     std::shared_ptr<CCSprite> item)
    : AnimationCommand(animation, QStringLiteral("Delete item")), frame_(frame),
      item_(std::move(item)), position_(frame->indexOfSprite(item_.get())) {}

void RemoveItemCommand::redo() {
    frame_->removeSprite(item_.get());
    showItemsOf(frame_);
}

void RemoveItemCommand::undo() {
    frame_->insertSprite(position_, item_);
    showItemsOf(frame_);
}

ItemPlacement ItemPlacement::of(const CCSprite& item) {
    ItemPlacement p{item.position(), item.rotation(), item.scaleX(), item.scaleY(), std::nullopt};
    if (const auto* figure = dynamic_cast<const Hmn*>(&item))
        p.pose = figure->pose();
    return p;
}

void ItemPlacement::applyTo(CCSprite& item) const {
    if (auto* figure = dynamic_cast<Hmn*>(&item); figure && pose) {
        figure->setPose(*pose);
        return;
    }
    item.setPosition(position);
    item.setRotation(rotation);
    if (scaleX == scaleY) {
        item.setScale(scaleX);
    } else {
        item.setScaleX(scaleX);
        item.setScaleY(scaleY);
    }
}

ItemPlacementCommand::ItemPlacementCommand(Animation& animation, Frame* frame,
                                           std::shared_ptr<CCSprite> item,
                                           const ItemPlacement& before, const ItemPlacement& after,
                                           int gesture)
    : AnimationCommand(animation, QStringLiteral("Move item")), frame_(frame),
      item_(std::move(item)), before_(before), after_(after), gesture_(gesture) {}

void ItemPlacementCommand::redo() {
    after_.applyTo(*item_);
    showItemsOf(frame_);
}

void ItemPlacementCommand::undo() {
    before_.applyTo(*item_);
    showItemsOf(frame_);
}

bool ItemPlacementCommand::mergeWith(const QUndoCommand* other) {
    const auto* o = static_cast<const ItemPlacementCommand*>(other);
    if (gesture_ == 0 || o->gesture_ != gesture_ || o->item_ != item_)
        return false;
    after_ = o->after_;
    return true;
}

PoseCommand::PoseCommand(Animation& animation, Frame* frame, std::shared_ptr<Hmn> figure,
                         const Hmn::Pose& before, const Hmn::Pose& after)
    : AnimationCommand(animation, QStringLiteral("Pose figure")), frame_(frame),
      figure_(std::move(figure)), before_(before), after_(after) {}

void PoseCommand::redo() {
    figure_->setPose(after_);
    showItemsOf(frame_);
}

void PoseCommand::undo() {
    figure_->setPose(before_);
    showItemsOf(frame_);
}

FigureColorCommand::FigureColorCommand(Animation& animation, Frame* frame,
                                       std::shared_ptr<Hmn> figure, hmnColor color)
    : AnimationCommand(animation, QStringLiteral("Figure colour")), frame_(frame),
      figure_(std::move(figure)), before_(figure_->hmnColor()), after_(color) {}

void FigureColorCommand::redo() {
    figure_->setColorWithHmnColor(after_);
    showItemsOf(frame_);
}

void FigureColorCommand::undo() {
    figure_->setColorWithHmnColor(before_);
    showItemsOf(frame_);
}

BubbleTextCommand::BubbleTextCommand(Animation& animation, Frame* frame,
                                     std::shared_ptr<SpeechBubble> bubble, const QString& text)
    : AnimationCommand(animation, QStringLiteral("Bubble text")), frame_(frame),
      bubble_(std::move(bubble)), before_(bubble_->text()), after_(text) {}

void BubbleTextCommand::redo() {
    bubble_->setText(after_);
    showItemsOf(frame_);
}

void BubbleTextCommand::undo() {
    bubble_->setText(before_);
    showItemsOf(frame_);
}
