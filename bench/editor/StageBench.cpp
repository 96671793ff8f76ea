// A finger dragging an item: one touch move, from the touch dispatcher to the item's new
// position, on a stage of 50 items. Moves arrive up to 120 times a second; this must stay a
// few microseconds (no allocation, no command until the finger lifts).
#include "editor/GameViewController.h"
#include "engine/CCTouchDispatcher.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/Knife.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

void BM_TouchMoveDraggingAnItem(benchmark::State& state) {
    GameViewController gvc;
    gvc.view();
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> x(20, 460), y(20, 300);
    const char* props[] = {"box.png", "chair.png", "blood.png", "fire.png", "mail.png"};
    for (int i = 0; i < 50; ++i) {
        std::shared_ptr<CCSprite> item;
        if (i % 5 == 0) {
            auto h = Hmn::node();
            h->setScale(0.3f);
            item = h;
        } else if (i % 5 == 1) {
            item = Knife::knifeWithOrientation(1);
        } else {
            item = BoundingSprite::spriteWithFile(props[i % 5]);
        }
        item->setPosition(Point(x(rng), y(rng)));
        gvc.addSprite(item);
    }
    // The dragged box is on top of the others, in the middle of the stage.
    auto box = BoundingSprite::spriteWithFile("box.png");
    box->setPosition(Point(240, 160));
    gvc.addSprite(box);
    for (const auto& child : gvc.frameLayer()->children())
        if (child != box)
            if (auto* item = dynamic_cast<LockingSprite*>(child.get()))
                item->setLocked(true);

    CCTouchDispatcher& dispatcher = CCTouchDispatcher::sharedDispatcher();
    auto finger = std::make_shared<Touch>(Point(240, 160), 1);
    TouchSet touches{finger};
    TouchEvent event(touches);
    dispatcher.touchesBegan(touches, &event);
    if (gvc.frameLayer()->movingSprite() != box.get()) {
        state.SkipWithError("the box was not picked");
        return;
    }
    finger->setPhase(TouchPhase::Moved);
    int step = 0;
    for (auto _ : state) {
        // Back and forth over 40 points.
        const float dx = float(step++ % 40) - 20;
        finger->moveTo(Point(240 + dx, 160));
        dispatcher.touchesMoved(touches, &event);
        benchmark::DoNotOptimize(box->position());
    }
    finger->setPhase(TouchPhase::Ended);
    dispatcher.touchesEnded(touches, &event);
}
BENCHMARK(BM_TouchMoveDraggingAnItem)->Unit(benchmark::kMicrosecond);

} // namespace
