#pragma once

#include "engine/CCAction.h"
#include "engine/CCNode.h"
#include "engine/CCTouchDispatcher.h"

// A full-window node positioned by its lower-left corner that can receive touches.
class CCLayer : public CCNode, public CCStandardTouchDelegate {
public:
    CCLayer();
    ~CCLayer() override;
    static std::shared_ptr<CCLayer> node();

    bool isTouchEnabled() const { return isTouchEnabled_; }
    // While the layer is in a running scene it is registered with the touch dispatcher.
    void setIsTouchEnabled(bool enabled);
    virtual void registerWithTouchDispatcher();

    void onEnter() override;
    void onExit() override;

protected:
    bool isTouchEnabled_ = false;
};

class Layer : public CCLayer {
public:
    static std::shared_ptr<Layer> node();
};

// A layer filled with one colour; alpha 0 shows only its children.
class CCLayerColor : public CCLayer, public CCRGBAProtocol {
public:
    static std::shared_ptr<CCLayerColor> layerWithColor(ccColor4B color, float width, float height);
    static std::shared_ptr<CCLayerColor> layerWithColor(ccColor4B color);
    virtual bool initWithColor(ccColor4B color, float width, float height);
    bool initWithColor(ccColor4B color);

    ccColor3B color() const override { return color_; }
    void setColor(ccColor3B c) override { color_ = c; }
    uint8_t opacity() const override { return opacity_; }
    void setOpacity(uint8_t o) override { opacity_ = o; }
    void changeWidth(float w);
    void changeHeight(float h);

    void draw(Renderer& r) override;

protected:
    ccColor3B color_ = ccBLACK;
    uint8_t opacity_ = 0;
};

class CCColorLayer : public CCLayerColor {};

class ColorLayer : public CCColorLayer {
public:
    static std::shared_ptr<ColorLayer> layerWithColor(ccColor4B color, float width, float height);
};
