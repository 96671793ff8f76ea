// Drawing a full stage, converting points through a nested tree, one frame of a palette glide.
#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCScrollView.h"
#include "engine/CCSprite.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <random>

namespace {

// A busy stage made of the program's own pictures: a background and 200 sprites of mixed
// rotation, scale, opacity and tint, drawn at scale 2 (960 × 640 pixels). Time is the whole
// process's CPU time, since the painter may hand work to other threads.
void BM_DrawStage200Sprites(benchmark::State& state) {
    CCDirector& d = CCDirector::sharedDirector();
    d.setContentScaleFactor(2);
    auto scene = Scene::node();
    scene->addChild(ColorLayer::layerWithColor(ccColor4B{255, 255, 255, 255}, 480, 320), -2);
    auto bg = Sprite::spriteWithFile("background-castle.jpeg");
    if (!bg) {
        state.SkipWithError("resources missing: build kelvora_resources first");
        return;
    }
    bg->setPosition(Point(240, 160));
    scene->addChild(bg, -1);
    auto stage = Layer::node();
    scene->addChild(stage);
    // Half of the sprites are the limbs of ten figures at the palette's scale 0.3, half are
    // props and weapons at 0.5 to 1.2.
    const char* limbs[] = {"head.png", "body.png", "arm.png", "arm.png", "arm.png",
                           "arm.png",  "hip.png",  "hip.png", "hip.png", "hip.png"};
    const char* items[] = {"box.png",   "tree.png",   "car.png",     "gun-l.png",
                           "knife.png", "expl.png",   "fire.png",    "speech-bubble.png",
                           "chair.png", "door.png",   "rifle-l.png", "blood.png",
                           "mail.png",  "shield.png", "axe.png",     "pistol.png"};
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> x(0, 480), y(0, 320), rot(-180, 180), sc(0.5f, 1.2f);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 200; ++i) {
        const bool limb = i < 100;
        auto s = Sprite::spriteWithFile(limb ? limbs[i % 10] : items[i % 16]);
        s->setPosition(Point(x(rng), y(rng)));
        s->setRotation(i % 3 ? rot(rng) : 0);
        s->setScale(limb ? 0.3f : sc(rng));
        if (i % 2)
            s->setOpacity(uint8_t(byte(rng)));
        if (limb)
            s->setColor(ccBLACK);
        else if (i % 5 == 0)
            s->setColor(ccColor3B{uint8_t(byte(rng)), uint8_t(byte(rng)), uint8_t(byte(rng))});
        stage->addChild(s);
    }
    d.replaceScene(scene);
    QImage target(960, 640, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&target);
        d.drawScene(p, 2.0);
        p.end();
        benchmark::DoNotOptimize(target.constBits());
    }
    d.end();
    d.setContentScaleFactor(1);
}
BENCHMARK(BM_DrawStage200Sprites)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_ConvertToNodeSpaceFourDeep(benchmark::State& state) {
    auto a = CCNode::node(), b = CCNode::node(), c = CCNode::node(), e = CCNode::node();
    a->setPosition(Point(10, 20));
    a->setRotation(30);
    b->setScale(1.5f);
    b->setPosition(Point(-4, 8));
    c->setRotation(-70);
    c->setContentSize(Size(20, 20));
    c->setAnchorPoint(Point(0.5f, 0.5f));
    e->setPosition(Point(3, 3));
    e->setScaleX(0.5f);
    a->addChild(b);
    b->addChild(c);
    c->addChild(e);
    Point p(100, 100);
    for (auto _ : state) {
        p = e->convertToNodeSpace(p);
        benchmark::DoNotOptimize(p);
        p.x = 100;
        p.y = 100;
    }
}
BENCHMARK(BM_ConvertToNodeSpaceFourDeep);

// One frame of a palette's glide: a 480 × 64 strip holding the 41 pictures of the objects
// palette, in a running scene, mid-way along its content with a velocity that keeps it gliding.
// Each round also puts the content back where it was, so it measures slightly more than a tick.
void BM_ScrollViewGlideTick41Entries(benchmark::State& state) {
    CCDirector& d = CCDirector::sharedDirector();
    auto scene = Scene::node();
    auto scroll = CCScrollView::scrollViewWithViewSize(Size(480, 64));
    scroll->setDirection(CCScrollViewDirectionHorizontal);
    const char* pictures[] = {"box.png",      "tree-btn.png", "car-btn.png", "chair.png",
                              "door-btn.png", "mail.png",     "blood.png",   "expl-btn.png",
                              "fire.png",     "shield.png"};
    float x = 60;
    for (int i = 0; i < 41; ++i) {
        auto s = Sprite::spriteWithFile(pictures[i % 10]);
        if (!s) {
            state.SkipWithError("resources missing: build kelvora_resources first");
            return;
        }
        s->setPosition(Point(x, 32));
        scroll->addChild(s);
        x += s->contentSize().width + 30;
    }
    scroll->setContentSize(Size(x + 20, 64));
    scroll->setPosition(Point(0, 256));
    scroll->setIsTouchEnabled(true);
    scene->addChild(scroll);
    d.replaceScene(scene);
    const Point middle(-x / 2, 0);
    for (auto _ : state) {
        scroll->setContentOffset(middle);
        scroll->setScrollDistance(Point(-30, 0));
        scroll->deaccelerateScrolling(1.0f / 60);
        benchmark::DoNotOptimize(scroll->contentOffset());
    }
    d.end();
}
BENCHMARK(BM_ScrollViewGlideTick41Entries);

} // namespace
