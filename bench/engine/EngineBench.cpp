// Drawing a full stage and converting points through a nested tree.
#include "CCDirector.h"
#include "CCLayer.h"
#include "CCSprite.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <random>

namespace {

// Pictures of prop-like sizes with soft edges, so the painter does real blending.
QImage makePicture(int w, int h, QColor c) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(c);
    p.setPen(QPen(Qt::black, 2));
    p.drawRoundedRect(QRectF(1, 1, w - 2, h - 2), 6, 6);
    return img;
}

void BM_DrawStage200Sprites(benchmark::State& state) {
    CCDirector& d = CCDirector::sharedDirector();
    d.setContentScaleFactor(2);
    auto scene = Scene::node();
    scene->addChild(ColorLayer::layerWithColor(ccColor4B{230, 230, 230, 255}, 480, 320), -1);
    auto stage = Layer::node();
    scene->addChild(stage);
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> x(0, 480), y(0, 320), rot(-180, 180), sc(0.3f, 1.5f);
    std::uniform_int_distribution<int> byte(0, 255);
    const QImage pictures[] = {makePicture(120, 120, Qt::white), makePicture(80, 160, Qt::red),
                               makePicture(200, 100, Qt::green), makePicture(60, 60, Qt::yellow)};
    for (int i = 0; i < 200; ++i) {
        auto s = Sprite::spriteWithCGImage(pictures[i % 4]); // 2x pixels: -hd sized
        s->setPosition(Point(x(rng), y(rng)));
        s->setRotation(i % 3 ? rot(rng) : 0);
        s->setScale(sc(rng) * 0.5f);
        if (i % 2)
            s->setOpacity(uint8_t(byte(rng)));
        if (i % 5 == 0)
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
BENCHMARK(BM_DrawStage200Sprites)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

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
BENCHMARK(BM_ConvertToNodeSpaceFourDeep)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
