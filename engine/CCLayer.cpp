#include "engine/CCLayer.h"

#include "engine/CCDirector.h"
#include "engine/Renderer.h"

CCLayer::CCLayer() {
    setAnchorPoint(Point(0.5f, 0.5f));
    setIsRelativeAnchorPoint(false);
    setContentSize(CCDirector::sharedDirector().winSize());
}

CCLayer::~CCLayer() {
    CCTouchDispatcher::sharedDispatcher().removeDelegate(this);
}

std::shared_ptr<CCLayer> CCLayer::node() {
    return std::make_shared<CCLayer>();
}

std::shared_ptr<Layer> Layer::node() {
    return std::make_shared<Layer>();
}

void CCLayer::registerWithTouchDispatcher() {
    CCTouchDispatcher::sharedDispatcher().addStandardDelegate(this, 0);
}

void CCLayer::setIsTouchEnabled(bool enabled) {
    if (isTouchEnabled_ == enabled)
        return;
    isTouchEnabled_ = enabled;
    if (!isRunning_)
        return;
    if (enabled)
        registerWithTouchDispatcher();
    else
        CCTouchDispatcher::sharedDispatcher().removeDelegate(this);
}

void CCLayer::onEnter() {
    if (isTouchEnabled_)
        registerWithTouchDispatcher();
    CCNode::onEnter();
}

void CCLayer::onExit() {
    if (isTouchEnabled_)
        CCTouchDispatcher::sharedDispatcher().removeDelegate(this);
    CCNode::onExit();
}

std::shared_ptr<CCLayerColor> CCLayerColor::layerWithColor(ccColor4B color, float width,
                                                           float height) {
    auto l = std::make_shared<CCLayerColor>();
    l->initWithColor(color, width, height);
    return l;
}

std::shared_ptr<CCLayerColor> CCLayerColor::layerWithColor(ccColor4B color) {
    auto l = std::make_shared<CCLayerColor>();
    l->initWithColor(color);
    return l;
}

std::shared_ptr<ColorLayer> ColorLayer::layerWithColor(ccColor4B color, float width, float height) {
    auto l = std::make_shared<ColorLayer>();
    l->initWithColor(color, width, height);
    return l;
}

bool CCLayerColor::initWithColor(ccColor4B color, float width, float height) {
    color_ = ccColor3B{color.r, color.g, color.b};
    opacity_ = color.a;
    // Through the virtual setter, so subclasses see their size being set.
    setContentSize(Size(width, height));
    return true;
}

bool CCLayerColor::initWithColor(ccColor4B color) {
    const Size s = CCDirector::sharedDirector().winSize();
    return initWithColor(color, s.width, s.height);
}

void CCLayerColor::changeWidth(float w) {
    setContentSize(Size(w, contentSize_.height));
}

void CCLayerColor::changeHeight(float h) {
    setContentSize(Size(contentSize_.width, h));
}

void CCLayerColor::draw(Renderer& r) {
    r.fillRect(Rect(Point(0, 0), contentSize_), ccColor4B{color_.r, color_.g, color_.b, opacity_});
}
