#pragma once

#include <memory>

class Animation;
class CCSprite;
class QUndoCommand;

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
};
