// Undo and redo on the animation model, as the editor runs them (the stage follows every step),
// and what the undo stack holds.
#include "document/Animation.h"
#include "document/Commands.h"
#include "engine/CCLayer.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/Knife.h"
#include "items/Pistol.h"
#include "items/SpeechBubble.h"
#include "items/Tree.h"
#include "stage/FrameLayer.h"
#include "stage/StagePresenter.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

// The editor benchmarks' mix: of every 50 items, 10 figures, 10 weapons, 25 props, 3 trees and
// 2 speech bubbles.
std::shared_ptr<Frame> frameOf(int items) {
    auto f = std::make_shared<Frame>();
    for (int i = 0; i < items; ++i) {
        const int k = i % 50;
        std::shared_ptr<CCSprite> item;
        if (k < 10) {
            auto h = Hmn::node();
            h->setScale(0.3f);
            item = h;
        } else if (k < 15) {
            item = Knife::knifeWithOrientation(1);
        } else if (k < 20) {
            item = Pistol::pistolWithOrientation(2);
        } else if (k < 45) {
            item = BoundingSprite::spriteWithFile(QStringLiteral("box.png"));
        } else if (k < 48) {
            item = Tree::tree();
        } else {
            auto bubble = SpeechBubble::spriteWithFile(QStringLiteral("speech-bubble.png"));
            bubble->setText(QStringLiteral("Look out!"));
            item = bubble;
        }
        item->setPosition(Point(float(10 + 9 * k), float(20 + 5 * k)));
        f->addSprite(item);
    }
    return f;
}

struct ShownAnimation {
    Animation animation;
    std::shared_ptr<FrameLayer> stage = FrameLayer::layerWithColor({255, 255, 255, 0}, 480, 320);
    std::shared_ptr<CCLayerColor> shadow = ColorLayer::layerWithColor({255, 255, 255, 0}, 480, 320);
    std::shared_ptr<CCLayerColor> background =
        ColorLayer::layerWithColor({255, 255, 255, 255}, 480, 320);
    StagePresenter presenter{animation, *stage, *shadow, *background};
};

// Deleting a frame of 20 items, then undoing (op 0) or redoing (op 1) it.
void BM_UndoRedoFrameDelete(benchmark::State& state) {
    ShownAnimation s;
    s.animation.resetFrames({frameOf(20), frameOf(20), frameOf(20)}, 1);
    s.animation.push(new DeleteFrameCommand(s.animation, 1));
    const bool measureUndo = state.range(0) == 0;
    for (auto _ : state) {
        if (!measureUndo)
            state.PauseTiming();
        s.animation.undoStack().undo();
        if (!measureUndo)
            state.ResumeTiming();
        else
            state.PauseTiming();
        s.animation.undoStack().redo();
        if (measureUndo)
            state.ResumeTiming();
    }
    state.SetLabel(measureUndo ? "undo" : "redo");
}
BENCHMARK(BM_UndoRedoFrameDelete)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// 100 steps on the stack, each holding a deleted frame of 50 items: the memory they keep.
void BM_HundredStepsOfFiftyItemFrames(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const size_t before = mallinfo2().uordblks;
        {
            ShownAnimation s;
            std::vector<std::shared_ptr<Frame>> frames;
            for (int i = 0; i < Animation::kUndoLimit + 1; ++i)
                frames.push_back(frameOf(50));
            s.animation.resetFrames(std::move(frames), 0);
            state.ResumeTiming();
            for (int i = 0; i < Animation::kUndoLimit; ++i)
                s.animation.push(new DeleteFrameCommand(s.animation, 0));
            state.PauseTiming();
            const size_t held = mallinfo2().uordblks - before;
            state.counters["MB"] = double(held) / (1024.0 * 1024.0);
            state.counters["steps"] = s.animation.undoStack().count();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HundredStepsOfFiftyItemFrames)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
