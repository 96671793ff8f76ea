// Taking a frame and one playback tick on a stage of 50 items: a shot takes a frame every
// 1/60 s, so both must stay well inside that.
#include "editor/GameViewController.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/Knife.h"
#include "items/Pistol.h"
#include "items/SpeechBubble.h"
#include "items/Tree.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <random>

namespace {

// 10 figures, 10 weapons, 25 props, 3 trees, 2 bubbles.
void fillStage(GameViewController& gvc) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> x(20, 460), y(20, 300);
    for (int i = 0; i < 10; ++i) {
        auto h = Hmn::node();
        h->setScale(0.3f);
        h->setPosition(Point(x(rng), y(rng)));
        gvc.addSprite(h);
    }
    for (int i = 0; i < 10; ++i) {
        std::shared_ptr<CCSprite> w;
        if (i % 2)
            w = Pistol::pistolWithOrientation(1);
        else
            w = Knife::knifeWithOrientation(2);
        w->setScale(0.6f);
        w->setPosition(Point(x(rng), y(rng)));
        gvc.addSprite(w);
    }
    const char* props[] = {"box.png", "chair.png", "blood.png", "fire.png", "mail.png"};
    for (int i = 0; i < 25; ++i) {
        auto p = BoundingSprite::spriteWithFile(props[i % 5]);
        p->setPosition(Point(x(rng), y(rng)));
        gvc.addSprite(p);
    }
    for (int i = 0; i < 3; ++i) {
        auto t = Tree::tree();
        t->setPosition(Point(x(rng), y(rng)));
        gvc.addSprite(t);
    }
    for (int i = 0; i < 2; ++i) {
        auto b = SpeechBubble::spriteWithFile("speech-bubble.png");
        b->setText("Double tap to change text");
        b->setPosition(Point(x(rng), y(rng)));
        gvc.addSprite(b);
    }
}

void BM_SnapFrameOf50Items(benchmark::State& state) {
    GameViewController gvc;
    gvc.view();
    fillStage(gvc);
    for (auto _ : state) {
        gvc.snap(nullptr);
        state.PauseTiming();
        // Keep the animation short so every snap copies the same stage.
        if (gvc.frames().size() > 64) {
            gvc.setCurrentFrameAtIndex(0);
            gvc.clearAllFrames();
            fillStage(gvc);
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SnapFrameOf50Items)->Unit(benchmark::kMicrosecond);

void BM_PlaybackTickAt50Items(benchmark::State& state) {
    GameViewController gvc;
    gvc.view();
    fillStage(gvc);
    for (int i = 0; i < 30; ++i)
        gvc.snap(nullptr);
    gvc.setCurrentFrameAtIndex(0);
    gvc.play();
    for (auto _ : state) {
        gvc.playStep();
        state.PauseTiming();
        if (!gvc.isPlaying()) {
            gvc.setCurrentFrameAtIndex(0);
            gvc.play();
        }
        state.ResumeTiming();
    }
    gvc.stop();
}
BENCHMARK(BM_PlaybackTickAt50Items)->Unit(benchmark::kMicrosecond);

} // namespace
