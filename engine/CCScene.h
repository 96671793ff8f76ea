#pragma once

#include "engine/CCNode.h"

// The root of a tree that the director runs.
class CCScene : public CCNode {
public:
    CCScene();
    static std::shared_ptr<CCScene> node();
};

class Scene : public CCScene {
public:
    static std::shared_ptr<Scene> node();
};
