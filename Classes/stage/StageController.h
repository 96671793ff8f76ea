#pragma once

#include <memory>

class CCSprite;

// What the stage layer asks of the editor that owns it (implemented by the editor screen).
class StageController {
public:
    virtual ~StageController() = default;
    // The current frame gains or loses an item; both mark the animation changed.
    virtual void addSprite(const std::shared_ptr<CCSprite>& item) = 0;
    virtual void removeSprite(CCSprite* item) = 0;
    // Something on the stage changed what a save would store.
    virtual void setDirty(bool dirty) = 0;
};
