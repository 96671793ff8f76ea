// A finger dragging a joint while a figure is posed: one touch move, from the touch dispatcher
// through the figure's chain kinematics to the animation marked unsaved, on a zoomed stage of
// figures and props. Moves arrive up to 120 times a second: a few microseconds, and nothing
// allocated after the first move (the pose command waits for the finger to lift).
#include "editor/Catalogue.h"
#include "editor/GameViewController.h"
#include "engine/CCTouchDispatcher.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/Joint.h"
#include "platform/Timer.h"

#include "AllocationCount.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>

namespace {

// A view point (origin top-left) of a stage point, as the camera and scale show it.
Point viewPointOf(const FrameLayer& stage, Point p) {
    const Point c = stage.cameraPosition();
    const float s = stage.stageScale();
    return Point((p.x - c.x) * s, 320 - (p.y - c.y) * s);
}

void BM_TouchMoveDraggingAJoint(benchmark::State& state) {
    GameViewController gvc;
    gvc.view();
    gvc.startScene();
    FrameLayer& stage = *gvc.frameLayer();
    const char* props[] = {"box.png", "chair.png", "blood.png", "fire.png", "mail.png"};
    for (int i = 0; i < 20; ++i) {
        std::shared_ptr<CCSprite> item;
        if (i % 4 == 0)
            item = Catalogue::makeFigure();
        else
            item = BoundingSprite::spriteWithFile(props[i % 5]);
        // Round the posed figure, clear of it.
        const double a = i * 2 * std::numbers::pi / 20;
        item->setPosition(Point(float(240 + 200 * std::cos(a)), float(160 + 130 * std::sin(a))));
        gvc.addSprite(item);
    }
    auto figure = Catalogue::makeFigure();
    figure->setPosition(Point(240, 160));
    gvc.addSprite(figure);

    CCTouchDispatcher& dispatcher = CCTouchDispatcher::sharedDispatcher();
    auto send = [&dispatcher](const std::shared_ptr<Touch>& finger, bool lift) {
        TouchSet touches{finger};
        TouchEvent event(touches);
        finger->setPhase(TouchPhase::Began);
        dispatcher.touchesBegan(touches, &event);
        if (lift) {
            finger->setPhase(TouchPhase::Ended);
            dispatcher.touchesEnded(touches, &event);
        }
    };
    // A double tap on the figure's body, then the zoom to its end.
    const Point body = viewPointOf(stage, figure->body()->position());
    send(std::make_shared<Touch>(body, 1), true);
    send(std::make_shared<Touch>(body, 2), true);
    while (platform::Timer* t = stage.editHumanTimer())
        t->fire();
    Joint* hand = figure->leftArm()->headJoint()->connectedJoints().empty()
                      ? figure->leftArm()->headJoint()
                      : figure->leftArm()->tailJoint();
    const Point at = viewPointOf(stage, hand->position());
    auto finger = std::make_shared<Touch>(at, 1);
    send(finger, false);
    if (stage.editingHuman() != figure.get()) {
        state.SkipWithError("the figure was not posed");
        return;
    }
    if (stage.movingJoint() != hand) {
        state.SkipWithError("the hand was not grabbed");
        return;
    }
    TouchSet touches{finger};
    TouchEvent event(touches);
    finger->setPhase(TouchPhase::Moved);
    finger->moveTo(Point(at.x + 1, at.y));
    dispatcher.touchesMoved(touches, &event);
    int step = 0;
    long allocated = 0;
    for (auto _ : state) {
        // Back and forth over 40 screen points.
        const float dx = float(step++ % 40) - 20;
        const long before = allocationCount();
        finger->moveTo(Point(at.x + dx, at.y + dx / 2));
        dispatcher.touchesMoved(touches, &event);
        allocated += allocationCount() - before;
        benchmark::DoNotOptimize(hand->position());
    }
    state.counters["allocations"] = double(allocated);
    if (allocated != 0)
        state.SkipWithError("a touch move allocated");
    if (!gvc.isDirty())
        state.SkipWithError("the drag left the animation marked saved");
    finger->setPhase(TouchPhase::Ended);
    dispatcher.touchesEnded(touches, &event);
}
BENCHMARK(BM_TouchMoveDraggingAJoint)->Unit(benchmark::kMicrosecond)->Repetitions(5);

} // namespace
