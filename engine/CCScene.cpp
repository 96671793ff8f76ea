#include "engine/CCScene.h"

#include "engine/CCDirector.h"

CCScene::CCScene() {
    setIsRelativeAnchorPoint(false);
    setAnchorPoint(Point(0.5f, 0.5f));
    setContentSize(CCDirector::sharedDirector().winSize());
}

std::shared_ptr<CCScene> CCScene::node() {
    return std::make_shared<CCScene>();
}

std::shared_ptr<Scene> Scene::node() {
    return std::make_shared<Scene>();
}
