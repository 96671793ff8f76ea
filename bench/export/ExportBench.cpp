// Exporting: the whole of an MP4 export (rendering included) against the ffmpeg program
// encoding the same frames from PNG files with the same codec settings, a GIF export, how
// long the editor goes without a turn of its event loop while it exports, and what rendering
// a thousand frames leaves in memory.
#include "document/Frame.h"
#include "editor/ExportDialog.h"
#include "editor/GameViewController.h"
#include "export/Exporter.h"
#include "export/FrameRenderer.h"
#include "export/Mp4Writer.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/Joint.h"
#include "items/Knife.h"
#include "items/Pistol.h"
#include "items/SpeechBubble.h"
#include "items/Tree.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <random>

namespace {

qint64 residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// Frame i: 5 figures walking, 5 weapons, 8 props, a tree and a bubble, on a built-in
// background, everything moved a little from the frame before.
std::vector<std::shared_ptr<Frame>> animation(int frames) {
    std::vector<std::shared_ptr<Frame>> out;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> x(30, 450), y(40, 280);
    std::vector<Point> at(20);
    for (auto& p : at)
        p = Point(x(rng), y(rng));
    const char* props[] = {"box.png", "chair.png", "blood.png", "fire.png", "mail.png"};
    for (int i = 0; i < frames; ++i) {
        auto f = std::make_shared<Frame>();
        f->setBackground(2 + i / 100 % 9);
        const float dx = float(i % 40) * 2;
        for (int k = 0; k < 5; ++k) {
            auto h = Hmn::node();
            h->setScale(0.3f);
            h->setPosition(Point(at[size_t(k)].x + dx, at[size_t(k)].y));
            Joint* hand = h->leftForearm()->headJoint();
            hand->moveTo(hand->position() + Point(float(i % 9) - 4, float(i % 7) - 3), true);
            f->addSprite(h);
        }
        for (int k = 5; k < 10; ++k) {
            std::shared_ptr<CCSprite> w =
                k % 2 ? std::shared_ptr<CCSprite>(Pistol::pistolWithOrientation(1))
                      : std::shared_ptr<CCSprite>(Knife::knifeWithOrientation(2));
            w->setPosition(Point(at[size_t(k)].x - dx, at[size_t(k)].y));
            w->setRotation(float(i * 3 % 360));
            f->addSprite(w);
        }
        for (int k = 10; k < 18; ++k) {
            auto p = BoundingSprite::spriteWithFile(props[k % 5]);
            p->setPosition(at[size_t(k)]);
            f->addSprite(p);
        }
        auto t = Tree::tree();
        t->setPosition(at[18]);
        f->addSprite(t);
        auto b = SpeechBubble::spriteWithFile("speech-bubble.png");
        b->setText(QStringLiteral("Frame %1").arg(i));
        b->setPosition(at[19]);
        f->addSprite(b);
        out.push_back(std::move(f));
    }
    return out;
}

constexpr int kFrames = 1000;
const QSize kSize(960, 640);

double secondsOf(const std::function<bool()>& work, bool* ok) {
    QElapsedTimer clock;
    clock.start();
    *ok = work();
    return double(clock.nsecsElapsed()) / 1e9;
}

// Our MP4 export and ffmpeg on the same frames as PNG files, timed back to back.
void BM_Mp4ExportAgainstFfmpeg(benchmark::State& state) {
    const auto frames = animation(kFrames);
    QTemporaryDir dir;
    const QString pictures = dir.filePath("pictures");
    if (!Exporter(frames, 1, {ExportFormat::Png, kSize, pictures, true}).run()) {
        state.SkipWithError("the PNG files could not be made");
        return;
    }
    const FrameRate rate = FrameRate::forSpeed(1);
    const QStringList ffmpegArgs{"-y",
                                 "-loglevel",
                                 "error",
                                 "-framerate",
                                 QStringLiteral("%1/%2").arg(rate.num).arg(rate.den),
                                 "-i",
                                 pictures + "/frame-%04d.png",
                                 "-c:v",
                                 "libx264",
                                 "-preset",
                                 Mp4Writer::kPreset,
                                 "-crf",
                                 QString::number(Mp4Writer::kCrf),
                                 "-pix_fmt",
                                 "yuv420p",
                                 dir.filePath("ffmpeg.mp4")};
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        bool ok = false;
        ours = secondsOf(
            [&] {
                return Exporter(frames, 1,
                                {ExportFormat::Mp4, kSize, dir.filePath("ours.mp4"), true})
                    .run();
            },
            &ok);
        if (!ok) {
            state.SkipWithError("our export failed");
            return;
        }
        theirs = secondsOf([&] { return QProcess::execute("ffmpeg", ffmpegArgs) == 0; }, &ok);
        if (!ok) {
            state.SkipWithError("ffmpeg failed (is it installed?)");
            return;
        }
        state.SetIterationTime(ours);
    }
    state.counters["ours_s"] = ours;
    state.counters["ffmpeg_s"] = theirs;
    state.counters["ratio"] = ours / theirs;
    state.counters["ours_fps"] = kFrames / ours;
}
BENCHMARK(BM_Mp4ExportAgainstFfmpeg)
    ->Unit(benchmark::kSecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3);

void BM_GifExport(benchmark::State& state) {
    const int n = int(state.range(0));
    const auto frames = animation(n);
    QTemporaryDir dir;
    for (auto _ : state) {
        if (!Exporter(frames, 1, {ExportFormat::Gif, kSize, dir.filePath("out.gif"), true}).run()) {
            state.SkipWithError("the GIF export failed");
            return;
        }
    }
    state.counters["fps"] =
        benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_GifExport)
    ->Arg(200)
    ->UseRealTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3);

// The editor's event loop while it exports 200 frames of 20 items to MP4 at 960 × 640: the
// longest time between two turns (a 1 ms timer's ticks), in ms.
void BM_EditorLongestPauseWhileExporting(benchmark::State& state) {
    GameViewController gvc;
    gvc.view();
    gvc.startScene();
    gvc.animation().resetFrames(animation(200), 0);
    QTemporaryDir dir;
    qint64 longest = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        longest = 0;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longest = std::max(longest, clock.elapsed() - last);
            last = clock.elapsed();
        });
        tick.start();
        gvc.startExport({ExportFormat::Mp4, kSize, dir.filePath("editor.mp4"), true});
        last = clock.elapsed();
        while (gvc.isExporting())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.SetIterationTime(double(longest) / 1000);
    }
    state.counters["longest_gap_ms"] = double(longest);
}
BENCHMARK(BM_EditorLongestPauseWhileExporting)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5);

// Rendering every frame of 1,000 once, as export does: how much the process grows (resident
// memory), which is what the renderer keeps of what it drew.
void BM_RenderThousandFramesMemory(benchmark::State& state) {
    const auto frames = animation(1000);
    for (auto _ : state) {
        const qint64 before = residentKb();
        FrameRenderer renderer(QSize(960, 640));
        for (const auto& frame : frames)
            benchmark::DoNotOptimize(renderer.render(*frame));
        state.counters["grown_MB"] = double(residentKb() - before) / 1024;
    }
}
BENCHMARK(BM_RenderThousandFramesMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
