#pragma once

#include "CCScene.h"

// A small scene of pictures and a label shown until the editor screen exists.
std::shared_ptr<CCScene> makeDemoScene();
