#pragma once

#include "engine/CCLayer.h"
#include "engine/CCSprite.h"

#include <memory>

class Hmn;
class StageController;

// The stage: a transparent colour layer whose children are the items of the current frame. It
// carries the state of figure posing and shooting, and moves the background and onion-skin
// layers along with its camera and scale.
class FrameLayer : public ColorLayer {
public:
    static std::shared_ptr<FrameLayer> layerWithColor(ccColor4B color, float width, float height);

    // A frame switch drops the touch in progress and the item being moved, and hides the
    // rotation control.
    void frameSwitched();

    // The figure being posed (tag 111), or none.
    Hmn* editingHuman() const { return editingHuman_.get(); }
    void setEditingHuman(const std::shared_ptr<Hmn>& figure) { editingHuman_ = figure; }
    // The item a finger is moving, or none.
    CCSprite* movingSprite() const { return movingSprite_.get(); }

    CCNode* backgroundLayer() const { return backgroundLayer_; }
    void setBackgroundLayer(CCNode* layer) { backgroundLayer_ = layer; }
    CCNode* shadowLayer() const { return shadowLayer_; }
    void setShadowLayer(CCNode* layer) { shadowLayer_ = layer; }
    StageController* gameController() const { return gameController_; }
    void setGameController(StageController* c) { gameController_ = c; }

protected:
    std::shared_ptr<Hmn> editingHuman_;
    std::shared_ptr<CCSprite> movingSprite_;
    CCNode* backgroundLayer_ = nullptr;
    CCNode* shadowLayer_ = nullptr;
    StageController* gameController_ = nullptr;
};
