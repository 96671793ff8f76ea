// One step of a running shot with 50 items on the stage: a new frame of copies put on the stage,
// the bullet placed and turned on the path, and the bullet tested against every item that can
// be hit. Steps run 60 times a second, so one must stay well under a millisecond.
#include "editor/Catalogue.h"
#include "editor/GameViewController.h"
#include "engine/CCTouchDispatcher.h"
#include "items/Hmn.h"
#include "items/Weapon.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int kItems = 50;
constexpr int kPathMoves = 80;

// Fills the stage: figures and props that collide in two rows above and below the path, so
// every step tests them all and none is hit; the gun fires along y = 160.
std::shared_ptr<Weapon> fillStage(GameViewController& gvc) {
    for (int i = 0; i < kItems - 1; ++i) {
        std::shared_ptr<CCSprite> item;
        if (i % 5 == 0)
            item = Catalogue::makeFigure();
        else
            item = Catalogue::makeObject(1 + i % 6);
        item->setScale(0.3f);
        item->setPosition(Point(float(20 + (i % 25) * 18), i < 25 ? 275.f : 45.f));
        gvc.addSprite(item);
    }
    auto gun = Catalogue::makeWeapon(3);
    gun->setPosition(Point(20, 156));
    gvc.addSprite(gun);
    return gun;
}

// A finger from the firing point along the path and up: the shot starts.
void startShot(GameViewController& gvc, const Weapon& gun) {
    CCTouchDispatcher& dispatcher = CCTouchDispatcher::sharedDispatcher();
    const Point f = gun.shootingStartPoint();
    const Point at(std::round(f.x), 320 - std::round(f.y));
    auto finger = std::make_shared<Touch>(at, 1);
    TouchSet touches{finger};
    TouchEvent event(touches);
    gvc.switchFire();
    finger->setPhase(TouchPhase::Began);
    dispatcher.touchesBegan(touches, &event);
    finger->setPhase(TouchPhase::Moved);
    for (int k = 1; k <= kPathMoves; ++k) {
        finger->moveTo(Point(at.x + float(5 * k), at.y));
        dispatcher.touchesMoved(touches, &event);
    }
    finger->setPhase(TouchPhase::Ended);
    dispatcher.touchesEnded(touches, &event);
}

void BM_ShootingStep(benchmark::State& state) {
    GameViewController gvc;
    gvc.view();
    gvc.startScene();
    FrameLayer& stage = *gvc.frameLayer();
    auto gun = fillStage(gvc);
    int steps = 0;
    for (auto _ : state) {
        if (!stage.isShooting()) {
            state.PauseTiming();
            // The last shot's frames go again; the next one starts from the same frame.
            if (stage.shootingMode())
                gvc.switchFire();
            if (gvc.animation().frameCount() > 1)
                gvc.undo();
            startShot(gvc, *gun);
            state.ResumeTiming();
            if (!stage.isShooting()) {
                state.SkipWithError("the shot did not start");
                return;
            }
        }
        stage.shootingStep();
        ++steps;
    }
    if (stage.pendingCollisionQuestions() > 0)
        state.SkipWithError("a step hit an item");
    state.counters["items"] = double(gvc.animation().currentFrame()->sprites().size());
}
BENCHMARK(BM_ShootingStep)->Unit(benchmark::kMicrosecond)->Repetitions(3);

} // namespace
