#pragma once

#include "document/Animation.h"
#include "items/Hmn.h"

#include <QImage>
#include <QString>
#include <QUndoCommand>

#include <memory>
#include <optional>
#include <vector>

class CCSprite;
class SoundEffect;
class SpeechBubble;

// The edits of an animation, each undoable. Undo and redo make the edited frame current again,
// so the user sees what changed. A command keeps alive what it took out of the animation
// (frames, items), so undoing a delete gives back the very same objects.
//
// Commands for gestures (moving, posing, shooting) are pushed when the gesture ends, with the
// state before and after; the gesture itself already changed the items, so their first run
// only confirms it.
class AnimationCommand : public QUndoCommand {
public:
    // What kinds of command merge with one another (QUndoCommand::id).
    enum Id { NoMerge = -1, PlacementId = 1 };

protected:
    AnimationCommand(Animation& animation, const QString& text)
        : QUndoCommand(text), animation_(animation) {}
    // Makes the frame current (when it is part of the animation) and tells who shows it.
    void showItemsOf(Frame* frame);

    Animation& animation_;
};

// A new frame at a position (normally right after the current one), made current.
class TakeFrameCommand : public AnimationCommand {
public:
    TakeFrameCommand(Animation& animation, std::shared_ptr<Frame> frame, int index);
    void redo() override;
    void undo() override;

private:
    std::shared_ptr<Frame> frame_;
    int index_;
};

// Deletes the frame at a position. Deleting the only frame leaves one empty frame in its place.
class DeleteFrameCommand : public AnimationCommand {
public:
    DeleteFrameCommand(Animation& animation, int index);
    void redo() override;
    void undo() override;

private:
    int index_;
    std::shared_ptr<Frame> removed_;
    std::shared_ptr<Frame> placeholder_;
};

// A whole shot: the frames it took, one after another from `firstIndex`, and the bullets it
// put into the frame it started on (`startFrame`). All of it is already in the animation when
// the command is pushed.
class ShotCommand : public AnimationCommand {
public:
    ShotCommand(Animation& animation, std::vector<std::shared_ptr<Frame>> frames, int firstIndex,
                std::shared_ptr<Frame> startFrame = nullptr,
                std::vector<std::shared_ptr<CCSprite>> startItems = {});
    void redo() override;
    void undo() override;

private:
    std::vector<std::shared_ptr<Frame>> frames_;
    int firstIndex_;
    std::shared_ptr<Frame> startFrame_;
    std::vector<std::shared_ptr<CCSprite>> startItems_;
    bool applied_ = true;
};

// Empties a frame's items and sounds.
class ClearFrameCommand : public AnimationCommand {
public:
    ClearFrameCommand(Animation& animation, Frame* frame);
    void redo() override;
    void undo() override;

private:
    Frame* frame_;
    std::vector<std::shared_ptr<CCSprite>> items_;
    std::vector<std::shared_ptr<SoundEffect>> sounds_;
};

// A frame's sounds replaced by another list.
class FrameSoundsCommand : public AnimationCommand {
public:
    FrameSoundsCommand(Animation& animation, Frame* frame,
                       std::vector<std::shared_ptr<SoundEffect>> sounds);
    void redo() override;
    void undo() override;

private:
    Frame* frame_;
    std::vector<std::shared_ptr<SoundEffect>> before_;
    std::vector<std::shared_ptr<SoundEffect>> after_;
};

// A frame's background code and picture, and the animation's own background with them.
class BackgroundCommand : public AnimationCommand {
public:
    struct Background {
        int frameCode = 0;
        QImage framePicture;
        int animationCode = 0;
        QImage animationPicture;
    };
    BackgroundCommand(Animation& animation, Frame* frame, const Background& after);
    void redo() override;
    void undo() override;
    static Background of(const Animation& animation, const Frame& frame);

private:
    void apply(const Background& b);
    Frame* frame_;
    Background before_;
    Background after_;
};

// An item added to a frame (at the end unless a position is given).
class AddItemCommand : public AnimationCommand {
public:
    AddItemCommand(Animation& animation, Frame* frame, std::shared_ptr<CCSprite> item,
                   int position = -1);
    void redo() override;
    void undo() override;

private:
    Frame* frame_;
    std::shared_ptr<CCSprite> item_;
    int position_;
};

// An item taken out of a frame; undo puts it back where it was in the drawing order.
class RemoveItemCommand : public AnimationCommand {
public:
    RemoveItemCommand(Animation& animation, Frame* frame, std::shared_ptr<CCSprite> item);
    void redo() override;
    void undo() override;

private:
    Frame* frame_;
    std::shared_ptr<CCSprite> item_;
    int position_;
};

// Where an item stands: position, rotation and scale, and for a figure its whole pose (moving or
// resizing a figure moves every limb).
struct ItemPlacement {
    Point position;
    float rotation = 0;
    float scaleX = 1;
    float scaleY = 1;
    std::optional<Hmn::Pose> pose;
    bool operator==(const ItemPlacement&) const = default;

    static ItemPlacement of(const CCSprite& item);
    void applyTo(CCSprite& item) const;
};

// An item moved, turned or resized. Commands of one gesture (same item, same gesture number
// other than 0) merge into one step.
class ItemPlacementCommand : public AnimationCommand {
public:
    ItemPlacementCommand(Animation& animation, Frame* frame, std::shared_ptr<CCSprite> item,
                         const ItemPlacement& before, const ItemPlacement& after, int gesture = 0);
    void redo() override;
    void undo() override;
    int id() const override { return PlacementId; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    Frame* frame_;
    std::shared_ptr<CCSprite> item_;
    ItemPlacement before_;
    ItemPlacement after_;
    int gesture_;
};

// A figure posed by one joint drag.
class PoseCommand : public AnimationCommand {
public:
    PoseCommand(Animation& animation, Frame* frame, std::shared_ptr<Hmn> figure,
                const Hmn::Pose& before, const Hmn::Pose& after);
    void redo() override;
    void undo() override;

private:
    Frame* frame_;
    std::shared_ptr<Hmn> figure_;
    Hmn::Pose before_;
    Hmn::Pose after_;
};

// A figure's colour.
class FigureColorCommand : public AnimationCommand {
public:
    FigureColorCommand(Animation& animation, Frame* frame, std::shared_ptr<Hmn> figure,
                       hmnColor color);
    void redo() override;
    void undo() override;

private:
    Frame* frame_;
    std::shared_ptr<Hmn> figure_;
    hmnColor before_;
    hmnColor after_;
};

// A speech bubble's text.
class BubbleTextCommand : public AnimationCommand {
public:
    BubbleTextCommand(Animation& animation, Frame* frame, std::shared_ptr<SpeechBubble> bubble,
                      const QString& text);
    void redo() override;
    void undo() override;

private:
    Frame* frame_;
    std::shared_ptr<SpeechBubble> bubble_;
    QString before_;
    QString after_;
};
