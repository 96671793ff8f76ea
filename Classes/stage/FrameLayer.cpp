#include "stage/FrameLayer.h"

#include "items/Hmn.h"

std::shared_ptr<FrameLayer> FrameLayer::layerWithColor(ccColor4B color, float width, float height) {
    auto l = std::make_shared<FrameLayer>();
    l->initWithColor(color, width, height);
    return l;
}

void FrameLayer::frameSwitched() {
    movingSprite_.reset();
}
