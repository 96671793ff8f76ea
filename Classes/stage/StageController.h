#pragma once

#include "base/Types.h"

#include <memory>

class Animation;
class CCSprite;
class QUndoCommand;
class SpeechBubble;

// What the stage layer asks of the editor that owns it (implemented by the editor screen).
class StageController {
public:
    virtual ~StageController() = default;
    // The animation the stage shows; the stage's edits are commands on its undo stack.
    virtual Animation& animation() = 0;
    virtual void pushCommand(QUndoCommand* command) = 0;
    // The current frame gains or loses an item, as undoable edits.
    virtual void addSprite(const std::shared_ptr<CCSprite>& item) = 0;
    virtual void removeSprite(CCSprite* item) = 0;
    // Unchanged: what is there now counts as saved; changed: as not saved.
    virtual void setDirty(bool dirty) = 0;

    // The basket, where a dropped item is deleted: whether it is shown, and whether a screen
    // point (origin bottom-left, whatever the camera shows) lies on it.
    virtual bool basketVisible() const = 0;
    virtual bool basketContainsScreenPoint(Point screen) const = 0;
    // A shown palette covers the screen point: touches that begin there are the palette's.
    virtual bool shownPaletteContains(Point screen) const = 0;

    // Presents the text screen of a bubble on the stage, stopping the stage's drawing while it
    // is up (the screen restarts it however it closes). False when it cannot be presented; the
    // stage then keeps drawing.
    virtual bool presentSpeechBubbleEditor(const std::shared_ptr<SpeechBubble>& bubble) = 0;
    // Takes the bubble text screen away without changing the bubble.
    virtual void dismissSpeechBubbleEditor() = 0;

    // Shooting mode on or off (the fire button's action).
    virtual void switchFire() {}
    // Asks "Collision detected" / "Continue firing sequence?" with the buttons "Continue"
    // (index 0) and "Stop" (1); the answer goes to the stage's alertViewClickedButtonAtIndex.
    // The stage asks again only once the last question has been answered.
    virtual void askToContinueFiring() {}
    // A shot started or ended, or the mode changed: what the editor allows may change.
    virtual void shootingStateChanged() {}
    // Playback is running: the frames shown are not the one being edited.
    virtual bool isPlaying() const { return false; }
    // Pose editing began or ended: the editor swaps its controls.
    virtual void beginEditingHuman() {}
    virtual void endEditingHuman() {}
};
