// Item costs on the paths the editor repeats: a joint drag on every touch move, copying a frame
// on every snapshot, storing and reading a figure on every save and load.
#include "items/BoundingSprite.h"
#include "items/Bullet.h"
#include "items/Car.h"
#include "items/CopyingSprite.h"
#include "items/Gun.h"
#include "items/Hmn.h"
#include "items/Knife.h"
#include "items/Pistol.h"
#include "items/Rifle.h"
#include "items/Shuriken.h"
#include "items/SpeechBubble.h"
#include "items/Tank.h"
#include "items/Tree.h"

#include <QByteArray>

#include "AllocationCount.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

// The test pictures, whose sizes are fixed; the program's own art may change.
void useFixturePictures() {
    qputenv("KELVORA_RESOURCES", QByteArray(KELVORA_BENCH_FIXTURES "/items"));
}

std::shared_ptr<Hmn> posedFigure(float x) {
    auto h = Hmn::node();
    h->setScale(0.3f);
    h->setPosition(Point(x, 160));
    h->leftArm()->tailJoint()->moveTo(Point(x - 30, 170), true);
    h->rightLeg()->tailJoint()->moveTo(Point(x + 12, 120), true);
    return h;
}

void BM_JointDrag(benchmark::State& state) {
    useFixturePictures();
    auto h = posedFigure(240);
    Joint* hand = h->leftArm()->tailJoint();
    const Point a = hand->position() + Point(-30, 10);
    const Point b = hand->position() + Point(25, -15);
    bool flip = false;
    long allocated = 0;
    for (auto _ : state) {
        const long before = allocationCount();
        hand->moveTo(flip ? a : b, true);
        allocated += allocationCount() - before;
        flip = !flip;
        benchmark::ClobberMemory();
    }
    state.counters["allocations"] = double(allocated);
    if (allocated != 0)
        state.SkipWithError("a joint drag allocated");
}
BENCHMARK(BM_JointDrag)->Repetitions(9)->ReportAggregatesOnly(true);

// A busy frame: figures, weapons with their bullets, bullets in flight, props, a tree, a car, a
// speech bubble and plain sprites from older files.
std::vector<std::shared_ptr<CCSprite>> frameOfFiftyItems() {
    std::vector<std::shared_ptr<CCSprite>> items;
    for (int i = 0; i < 8; ++i)
        items.push_back(posedFigure(40.0f + 50 * i));
    for (int i = 0; i < 3; ++i) {
        items.push_back(Gun::gunWithOrientation(1 + i % 2));
        items.push_back(Rifle::rifleWithOrientation(2));
        items.push_back(Pistol::pistolWithOrientation(1));
        items.push_back(Tank::tankWithOrientation(2));
    }
    for (int i = 0; i < 2; ++i) {
        items.push_back(Knife::knifeWithOrientation(1));
        items.push_back(Shuriken::shurikenWithOrientation(2));
    }
    for (int i = 0; i < 5; ++i)
        items.push_back(Bullet::spriteWithFile(QStringLiteral("bullet.png")));
    for (int i = 0; i < 12; ++i)
        items.push_back(
            BoundingSprite::spriteWithFile(i % 2 ? QStringLiteral("box.png") : "blood.png"));
    items.push_back(Tree::tree());
    items.push_back(Tree::tree());
    items.push_back(Car::car());
    items.push_back(Car::car());
    auto bubble = SpeechBubble::spriteWithFile(QStringLiteral("speech-bubble.png"));
    bubble->setText(QStringLiteral("Double tap to change text"));
    items.push_back(bubble);
    for (int i = 0; i < 4; ++i)
        items.push_back(Sprite::spriteWithFile(QStringLiteral("box.png")));
    float x = 10;
    for (auto& item : items) {
        if (!dynamic_cast<Hmn*>(item.get()))
            item->setPosition(Point(x, 100));
        x += 9;
    }
    return items;
}

void BM_CopyFrameOfFiftyItems(benchmark::State& state) {
    useFixturePictures();
    const auto items = frameOfFiftyItems();
    if (items.size() != 50 || std::find(items.begin(), items.end(), nullptr) != items.end()) {
        state.SkipWithError("the frame is not 50 items");
        return;
    }
    std::vector<std::shared_ptr<CCSprite>> copies;
    copies.reserve(items.size());
    for (auto _ : state) {
        for (const auto& item : items)
            copies.push_back(copySprite(*item));
        benchmark::DoNotOptimize(copies.data());
        state.PauseTiming();
        copies.clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CopyFrameOfFiftyItems)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

void BM_FigureStoreAndLoad(benchmark::State& state) {
    useFixturePictures();
    auto h = posedFigure(240);
    for (auto _ : state) {
        const QVariantMap d = h->serialize();
        auto back = Hmn::unserialize(d);
        benchmark::DoNotOptimize(back.get());
    }
}
BENCHMARK(BM_FigureStoreAndLoad)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

} // namespace
