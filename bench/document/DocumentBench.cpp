// Saving and loading an animation of 1000 frames of 20 items (10 figures, 10 props and
// weapons), against libplist alone writing and parsing the same property lists, with the longest
// gap between two event-loop pumps and, in a process of its own, the peak memory of a load.
//
// Run: document_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// Counters: the libplist times of the same repetition and the save's or load's ratio to them;
// max_pump_gap_ms; peak_MB (VmHWM of a process that only loads the save).
//
// BM_ItemMemory/<kind>: the heap one item takes once read back from its record (bytes_per_item),
// which the reader's memory budget is reckoned from. BM_HostilePackPeakMemory: the peak of a
// process loading three 8 MB packs of bare figure records, which the budget refuses.

#include "document/Animation.h"
#include "document/Commands.h"
#include "document/Frame.h"
#include "document/SaveFiles.h"
#include "document/SaveReader.h"
#include "document/SaveWriter.h"
#include "items/BoundingSprite.h"
#include "items/Car.h"
#include "items/Grenade.h"
#include "items/Gun.h"
#include "items/Hmn.h"
#include "items/Joint.h"
#include "items/Knife.h"
#include "items/Rifle.h"
#include "items/Shuriken.h"
#include "items/SpeechBubble.h"
#include "items/Tank.h"
#include "items/Tree.h"
#include "sounds/SoundManager.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <plist/plist.h>

#include "items/ItemRegistry.h"
#include "items/SerializableSprite.h"
#include "platform/PropertyList.h"

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kFrames = 1000;
constexpr int kSaveId = 1;

std::shared_ptr<CCSprite> place(std::shared_ptr<CCSprite> item, int i, int k) {
    item->setPosition(Point(float(20 * k + i % 7), float(40 + (i * 3) % 200)));
    item->setScale(0.5f + 0.01f * float(k));
    item->setRotation(float((i * 13 + k) % 360));
    return item;
}

std::shared_ptr<CCSprite> prop(int k) {
    switch (k) {
    case 0:
        return Knife::knifeWithOrientation(1);
    case 1:
        return Gun::gunWithOrientation(2);
    case 2:
        return Rifle::rifleWithOrientation(1);
    case 3:
        return Grenade::grenadeWithOrientation(1);
    case 4:
        return Shuriken::shurikenWithOrientation(2);
    case 5:
        return Tank::tankWithOrientation(1);
    case 6:
        return BoundingSprite::spriteWithFile(QStringLiteral("box.png"));
    case 7:
        return Tree::tree();
    case 8:
        return Car::car();
    default: {
        auto bubble = SpeechBubble::spriteWithFile(QStringLiteral("speech-bubble.png"));
        bubble->setText(QStringLiteral("Take that!"));
        return bubble;
    }
    }
}

SaveSnapshot makeAnimation() {
    SaveSnapshot s;
    s.background = 3;
    s.animationSpeed = 1.5;
    const auto& sounds = SoundManager::sharedSoundMgr().sounds();
    for (int i = 0; i < kFrames; ++i) {
        SaveSnapshot::FrameEntry f;
        f.background = 2 + i % 9;
        for (int k = 0; k < 10; ++k) {
            auto figure = Hmn::node();
            figure->setColorWithRed(uint8_t(i), uint8_t(k * 20), 90);
            Joint* hand = figure->leftForearm()->headJoint();
            hand->moveTo(hand->position() + Point(float(i % 9), float(k % 5)), true);
            f.items.push_back(place(figure, i, k));
        }
        for (int k = 0; k < 10; ++k)
            f.items.push_back(place(prop(k), i, k));
        if (i % 10 == 0)
            f.sounds.push_back(sounds[size_t(i % 59)]);
        s.frames.push_back(std::move(f));
    }
    return s;
}

// The longest time between two pumps, counting the start and the end.
class PumpClock {
public:
    void start() {
        clock_.start();
        last_ = 0;
        longest_ = 0;
    }
    void pump() {
        const qint64 now = clock_.nsecsElapsed();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    double finishMs() {
        pump();
        return double(longest_) / 1e6;
    }

private:
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

struct PlistDeleter {
    void operator()(void* p) const { plist_free(p); }
};

// The save's own files, parsed by libplist into trees: what libplist alone writes again.
std::vector<std::pair<QString, std::unique_ptr<void, PlistDeleter>>>
parsedPacks(const QString& folder) {
    std::vector<std::pair<QString, std::unique_ptr<void, PlistDeleter>>> packs;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("save-*.plist")})) {
        QFile f(QDir(folder).filePath(name));
        f.open(QIODevice::ReadOnly);
        const QByteArray xml = f.readAll();
        plist_t root = nullptr;
        plist_from_xml(xml.constData(), uint32_t(xml.size()), &root);
        packs.emplace_back(name, std::unique_ptr<void, PlistDeleter>(root));
    }
    return packs;
}

std::vector<QByteArray> packBytes(const QString& folder) {
    std::vector<QByteArray> bytes;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("save-*.plist")})) {
        QFile f(QDir(folder).filePath(name));
        f.open(QIODevice::ReadOnly);
        bytes.push_back(f.readAll());
    }
    return bytes;
}

// libplist writing the same property lists: XML from the trees, written to files.
void libplistWrite(
    const std::vector<std::pair<QString, std::unique_ptr<void, PlistDeleter>>>& packs,
    const QString& folder) {
    for (const auto& [name, root] : packs) {
        char* xml = nullptr;
        uint32_t length = 0;
        plist_to_xml(root.get(), &xml, &length);
        QFile f(QDir(folder).filePath(name));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(xml, length);
        plist_to_xml_free(xml);
    }
}

// A property list as plain data, to measure libplist building a tree through its own
// interface (the way any writer hands it data) as well as writing it.
struct Plain {
    plist_type type = PLIST_NONE;
    std::string text;
    double real = 0;
    uint64_t integer = 0;
    bool flag = false;
    std::vector<std::pair<std::string, Plain>> dict;
    std::vector<Plain> array;
};

Plain plainOf(plist_t node) {
    Plain p;
    p.type = plist_get_node_type(node);
    switch (p.type) {
    case PLIST_DICT: {
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, it, &key, &value);
            if (!value)
                break;
            p.dict.emplace_back(key, plainOf(value));
            free(key);
        }
        free(it);
        break;
    }
    case PLIST_ARRAY:
        for (uint32_t i = 0; i < plist_array_get_size(node); ++i)
            p.array.push_back(plainOf(plist_array_get_item(node, i)));
        break;
    case PLIST_STRING: {
        char* s = nullptr;
        plist_get_string_val(node, &s);
        p.text = s;
        free(s);
        break;
    }
    case PLIST_REAL:
        plist_get_real_val(node, &p.real);
        break;
    case PLIST_UINT:
        plist_get_uint_val(node, &p.integer);
        break;
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        p.flag = b != 0;
        break;
    }
    default:
        break;
    }
    return p;
}

plist_t build(const Plain& p) {
    switch (p.type) {
    case PLIST_DICT: {
        plist_t d = plist_new_dict();
        for (const auto& [key, value] : p.dict)
            plist_dict_set_item(d, key.c_str(), build(value));
        return d;
    }
    case PLIST_ARRAY: {
        plist_t a = plist_new_array();
        for (const Plain& value : p.array)
            plist_array_append_item(a, build(value));
        return a;
    }
    case PLIST_STRING:
        return plist_new_string(p.text.c_str());
    case PLIST_REAL:
        return plist_new_real(p.real);
    case PLIST_UINT:
        return plist_new_uint(p.integer);
    case PLIST_BOOLEAN:
        return plist_new_bool(p.flag);
    default:
        return plist_new_string("");
    }
}

// libplist building the same property lists from plain data, then writing them.
void libplistBuildAndWrite(const std::vector<std::pair<QString, Plain>>& packs,
                           const QString& folder) {
    for (const auto& [name, plain] : packs) {
        std::unique_ptr<void, PlistDeleter> root(build(plain));
        char* xml = nullptr;
        uint32_t length = 0;
        plist_to_xml(root.get(), &xml, &length);
        QFile f(QDir(folder).filePath(name));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(xml, length);
        plist_to_xml_free(xml);
    }
}

void libplistParse(const std::vector<QByteArray>& packs) {
    for (const QByteArray& xml : packs) {
        plist_t root = nullptr;
        plist_from_xml(xml.constData(), uint32_t(xml.size()), &root);
        benchmark::DoNotOptimize(root);
        plist_free(root);
    }
}

qint64 statusKb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(strlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// The animation and a save of it, made once for all benchmarks of the process.
struct Fixture {
    SaveSnapshot animation = makeAnimation();
    QTemporaryDir dir;
    QString folder = dir.path();
    Fixture() { SaveWriter(kSaveId, folder).write(animation, nullptr, nullptr); }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

// Each repetition saves the animation, then has libplist alone write the same lists, from its
// own trees (XML and files) and from plain data (building the trees too): the ratios of the
// save to both come from the same run.
void BM_Save1000Frames(benchmark::State& state) {
    Fixture& f = fixture();
    const auto trees = parsedPacks(f.folder);
    std::vector<std::pair<QString, Plain>> plain;
    for (const auto& [name, root] : trees)
        plain.emplace_back(name, plainOf(root.get()));
    QTemporaryDir plainDir;
    double writeMs = 0;
    double buildWriteMs = 0;
    double ratioWrite = 0;
    double ratioBuildWrite = 0;
    double gapMs = 0;
    for (auto _ : state) {
        PumpClock pumps;
        QElapsedTimer clock;
        clock.start();
        pumps.start();
        QString error;
        if (!SaveWriter(kSaveId, f.folder)
                 .write(
                     f.animation, [&] { pumps.pump(); }, &error))
            state.SkipWithError(qPrintable(error));
        const double saveSeconds = double(clock.nsecsElapsed()) / 1e9;
        gapMs = std::max(gapMs, pumps.finishMs());
        state.SetIterationTime(saveSeconds);

        clock.restart();
        libplistWrite(trees, plainDir.path());
        const double writeSeconds = double(clock.nsecsElapsed()) / 1e9;
        clock.restart();
        libplistBuildAndWrite(plain, plainDir.path());
        const double buildWriteSeconds = double(clock.nsecsElapsed()) / 1e9;
        writeMs += writeSeconds * 1e3;
        buildWriteMs += buildWriteSeconds * 1e3;
        ratioWrite += saveSeconds / writeSeconds;
        ratioBuildWrite += saveSeconds / buildWriteSeconds;
    }
    const double n = double(state.iterations());
    state.counters["libplist_write_ms"] = writeMs / n;
    state.counters["libplist_build_write_ms"] = buildWriteMs / n;
    state.counters["ratio_write"] = ratioWrite / n;
    state.counters["ratio_build_write"] = ratioBuildWrite / n;
    state.counters["max_pump_gap_ms"] = gapMs;
}
BENCHMARK(BM_Save1000Frames)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The fixture's frames as the editor holds them, saved whole to a folder of their own; each
// benchmark below makes one edit, times the save that follows (which writes only what the edit
// changed), then undoes the edit and saves again untimed.
struct EditedAnimation {
    Animation animation;
    QTemporaryDir dir;
    int filesWritten = 0;
    EditedAnimation() {
        const SaveSnapshot& s = fixture().animation;
        std::vector<std::shared_ptr<Frame>> frames;
        for (const SaveSnapshot::FrameEntry& e : s.frames) {
            auto frame = std::make_shared<Frame>();
            frame->setBackground(e.background);
            for (const auto& item : e.items)
                frame->addSprite(item);
            frame->setSounds(e.sounds);
            frames.push_back(frame);
        }
        animation.resetFrames(std::move(frames));
        animation.setBackground(s.background);
        animation.setAnimationSpeed(s.animationSpeed);
        save(nullptr);
    }
    bool save(const std::function<void()>& pump) {
        SaveWriter writer(kSaveId, dir.path());
        const bool ok = writer.write(animation.snapshotForSave(), pump, nullptr);
        animation.saveSucceeded(ok ? writer.savedState() : nullptr);
        filesWritten = int(writer.writtenFiles().size());
        return ok;
    }
};

void timeSaveAfter(benchmark::State& state, const std::function<QUndoCommand*(Animation&)>& edit) {
    static EditedAnimation a;
    double gapMs = 0;
    int files = 0;
    for (auto _ : state) {
        a.animation.push(edit(a.animation));
        PumpClock pumps;
        QElapsedTimer clock;
        clock.start();
        pumps.start();
        if (!a.save([&] { pumps.pump(); }))
            state.SkipWithError("the save failed");
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        gapMs = std::max(gapMs, pumps.finishMs());
        files = a.filesWritten;
        a.animation.undoStack().undo();
        a.save(nullptr);
    }
    state.counters["files_written"] = files;
    state.counters["max_pump_gap_ms"] = gapMs;
}

void BM_SaveAfterOneEditInFrame500(benchmark::State& state) {
    timeSaveAfter(state,
                  [](Animation& a) { return new AddItemCommand(a, a.frameAt(500), Tree::tree()); });
}
BENCHMARK(BM_SaveAfterOneEditInFrame500)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

void BM_SaveAfterFrameInsertedAt10(benchmark::State& state) {
    timeSaveAfter(state, [](Animation& a) {
        return new TakeFrameCommand(a, Animation::copyOfFrame(*a.frameAt(10)), 10);
    });
}
BENCHMARK(BM_SaveAfterFrameInsertedAt10)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

// Each repetition loads the save, then has libplist alone parse the same files.
void BM_Load1000Frames(benchmark::State& state) {
    Fixture& f = fixture();
    const std::vector<QByteArray> bytes = packBytes(f.folder);
    double plistMs = 0;
    double ratio = 0;
    double gapMs = 0;
    for (auto _ : state) {
        PumpClock pumps;
        QElapsedTimer clock;
        clock.start();
        pumps.start();
        SaveReader::Result r = SaveReader(kSaveId, f.folder).read([&] { pumps.pump(); });
        const double loadSeconds = double(clock.nsecsElapsed()) / 1e9;
        gapMs = std::max(gapMs, pumps.finishMs());
        state.SetIterationTime(loadSeconds);
        if (r.frames.size() != size_t(kFrames) || !r.complete())
            state.SkipWithError("the save did not load completely");
        for (auto& frame : r.frames) {
            for (auto& item : frame.items)
                if (auto* figure = dynamic_cast<Hmn*>(item.get()))
                    figure->breakConnections();
        }
        r.frames.clear();

        clock.restart();
        libplistParse(bytes);
        const double plistSeconds = double(clock.nsecsElapsed()) / 1e9;
        plistMs += plistSeconds * 1e3;
        ratio += loadSeconds / plistSeconds;
    }
    const double n = double(state.iterations());
    state.counters["libplist_parse_ms"] = plistMs / n;
    state.counters["ratio"] = ratio / n;
    state.counters["max_pump_gap_ms"] = gapMs;
}
BENCHMARK(BM_Load1000Frames)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

// The load as the editor runs it: each frame taken as soon as it is read, the first shown at
// once. first_frame_ms is when the first frame was there to show.
void BM_LoadFirstFrameFirst(benchmark::State& state) {
    Fixture& f = fixture();
    double firstMs = 0;
    double gapMs = 0;
    for (auto _ : state) {
        PumpClock pumps;
        QElapsedTimer clock;
        clock.start();
        pumps.start();
        std::vector<std::shared_ptr<Frame>> frames;
        auto sink = [&](SaveReader::LoadedFrame& lf, const SaveReader::Result&) {
            frames.push_back(lf.toFrame());
            if (frames.size() == 1)
                firstMs = double(clock.nsecsElapsed()) / 1e6;
            return true;
        };
        SaveReader::Result r = SaveReader(kSaveId, f.folder).read([&] { pumps.pump(); }, sink);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        gapMs = std::max(gapMs, pumps.finishMs());
        if (frames.size() != size_t(kFrames) || !r.complete())
            state.SkipWithError("the save did not load completely");
        for (auto& frame : frames)
            frame->breakFigureConnections();
    }
    state.counters["first_frame_ms"] = firstMs;
    state.counters["max_pump_gap_ms"] = gapMs;
}
BENCHMARK(BM_LoadFirstFrameFirst)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

const char* const kLoadFolderVariable = "KELVORA_BENCH_LOAD_FOLDER";

// Run by BM_LoadPeakMemory in a process of its own: one load, and the process's peak memory.
void BM_LoadInOwnProcess(benchmark::State& state) {
    const QString folder = qEnvironmentVariable(kLoadFolderVariable);
    if (folder.isEmpty()) {
        state.SkipWithError("run by BM_LoadPeakMemory");
        return;
    }
    SoundManager::sharedSoundMgr();
    const qint64 beforeKb = statusKb("VmHWM:");
    qint64 frames = 0;
    for (auto _ : state) {
        SaveReader::Result r = SaveReader(kSaveId, folder).read([] {});
        frames = qint64(r.frames.size());
    }
    state.counters["peak_MB"] = double(statusKb("VmHWM:")) / 1024;
    state.counters["before_MB"] = double(beforeKb) / 1024;
    state.counters["frames"] = double(frames);
}
BENCHMARK(BM_LoadInOwnProcess)->Iterations(1);

// The peak memory (VmHWM) of a process that loads the save and does nothing else.
void BM_LoadPeakMemory(benchmark::State& state) {
    Fixture& f = fixture();
    double peakMb = 0;
    double beforeMb = 0;
    for (auto _ : state) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kLoadFolderVariable), f.folder);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--benchmark_filter=^BM_LoadInOwnProcess/"),
                     QStringLiteral("--benchmark_format=json"),
                     QStringLiteral("--benchmark_repetitions=1")});
        child.waitForFinished(600000);
        const QJsonArray runs = QJsonDocument::fromJson(child.readAllStandardOutput())
                                    .object()
                                    .value(QStringLiteral("benchmarks"))
                                    .toArray();
        if (runs.isEmpty() || runs[0][QStringLiteral("frames")].toDouble() != kFrames) {
            state.SkipWithError("the measuring process failed");
            return;
        }
        peakMb = runs[0][QStringLiteral("peak_MB")].toDouble();
        beforeMb = runs[0][QStringLiteral("before_MB")].toDouble();
    }
    state.counters["peak_MB"] = peakMb;
    state.counters["before_load_MB"] = beforeMb;
}
BENCHMARK(BM_LoadPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// What one item read back from its record takes on the heap (textures are shared and already
// loaded by a first item).
void BM_ItemMemory(benchmark::State& state) {
    const int kind = int(state.range(0));
    std::shared_ptr<CCSprite> model;
    switch (kind) {
    case 0: {
        auto figure = Hmn::node();
        figure->setScale(0.5f);
        model = figure;
        break;
    }
    case 1:
        model = Gun::gunWithOrientation(1);
        break;
    case 2:
        model = BoundingSprite::spriteWithFile(QStringLiteral("box.png"));
        break;
    default: {
        auto bubble = SpeechBubble::spriteWithFile(QStringLiteral("speech-bubble.png"));
        bubble->setText(QString(kind == 3 ? 10 : 10000, QLatin1Char('w')));
        model = bubble;
        break;
    }
    }
    static const char* const names[] = {"figure", "gun", "box", "bubble-10", "bubble-10000"};
    state.SetLabel(names[kind]);
    const QVariantMap record = serialize(*model);
    ItemRegistry::unserialize(record); // pictures into the cache
    const int kItems = kind == 4 ? 200 : 2000;
    double perItem = 0;
    for (auto _ : state) {
        // Each record with a text of its own, as parsed from a file (the string is not shared);
        // what counts is what stays once the parsed records are gone, as after a load.
        const qint64 before = qint64(mallinfo2().uordblks);
        std::vector<QVariantMap> records(size_t(kItems), record);
        if (record.contains(QStringLiteral("bubbleText"))) {
            const QString text = record.value(QStringLiteral("bubbleText")).toString();
            for (QVariantMap& r : records)
                r.insert(QStringLiteral("bubbleText"), QString(text.constData(), text.size()));
        }
        std::vector<std::shared_ptr<CCSprite>> items;
        items.reserve(size_t(kItems));
        for (const QVariantMap& r : records)
            items.push_back(ItemRegistry::unserialize(r));
        records.clear();
        records.shrink_to_fit();
        perItem = double(qint64(mallinfo2().uordblks) - before) / kItems;
        for (auto& item : items)
            if (auto* figure = dynamic_cast<Hmn*>(item.get()))
                figure->breakConnections();
    }
    state.counters["bytes_per_item"] = perItem;
}
BENCHMARK(BM_ItemMemory)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(1);

const char* const kHostileFolderVariable = "KELVORA_BENCH_HOSTILE_FOLDER";

// Three packs of 8 MB, each as many frames of 1,000 bare figure records as fit.
void writeHostileSave(const QString& folder) {
    const QByteArray frame =
        "<array>" +
        QByteArray("<dict><key>className</key><string>Hmn</string></dict>").repeated(1000) +
        "</array>";
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">"
                            "<dict><key>meta</key><dict><key>totalPacks</key><integer>3</integer>"
                            "<key>versionFormat</key><integer>4</integer></dict>"
                            "<key>frames</key><array>";
    const QByteArray tail = "</array></dict></plist>\n";
    const qsizetype count =
        (SaveReader::kMaxPackFileBytes - head.size() - tail.size()) / frame.size();
    const QByteArray pack = head + frame.repeated(count) + tail;
    for (int p = 0; p < 3; ++p) {
        QFile f(QDir(folder).filePath(p == 0 ? QStringLiteral("save-1.plist")
                                             : QStringLiteral("save-1-pack-%1.plist").arg(p)));
        f.open(QIODevice::WriteOnly);
        f.write(pack);
    }
}

// Run by BM_HostilePackPeakMemory in a process of its own.
void BM_HostileLoadInOwnProcess(benchmark::State& state) {
    const QString folder = qEnvironmentVariable(kHostileFolderVariable);
    if (folder.isEmpty()) {
        state.SkipWithError("run by BM_HostilePackPeakMemory");
        return;
    }
    SoundManager::sharedSoundMgr();
    bool refused = false;
    double estimatedMb = 0;
    for (auto _ : state) {
        SaveReader::Result r = SaveReader(kSaveId, folder).read([] {});
        refused = r.refused && r.frames.empty();
        estimatedMb = double(r.estimatedBytes) / (1 << 20);
    }
    state.counters["peak_MB"] = double(statusKb("VmHWM:")) / 1024;
    state.counters["refused"] = refused ? 1 : 0;
    state.counters["estimated_MB"] = estimatedMb;
}
BENCHMARK(BM_HostileLoadInOwnProcess)->Unit(benchmark::kMillisecond)->Iterations(1);

// The peak memory (VmHWM) of a process that tries to load a hostile save and is refused.
void BM_HostilePackPeakMemory(benchmark::State& state) {
    QTemporaryDir dir;
    writeHostileSave(dir.path());
    for (auto _ : state) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kHostileFolderVariable), dir.path());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--benchmark_filter=^BM_HostileLoadInOwnProcess"),
                     QStringLiteral("--benchmark_format=json"),
                     QStringLiteral("--benchmark_repetitions=1")});
        child.waitForFinished(600000);
        const QJsonArray runs = QJsonDocument::fromJson(child.readAllStandardOutput())
                                    .object()
                                    .value(QStringLiteral("benchmarks"))
                                    .toArray();
        if (runs.isEmpty()) {
            state.SkipWithError("the measuring process failed");
            return;
        }
        for (const char* counter : {"peak_MB", "refused", "estimated_MB"})
            state.counters[counter] = runs[0][QLatin1String(counter)].toDouble();
    }
}
BENCHMARK(BM_HostilePackPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
