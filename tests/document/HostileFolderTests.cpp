// Hostile documents folders: pipes and links where save files should be, pictures that are not
// PNG or JPEG, saves whose items would not fit in memory, the limits the writer and the reader
// share, absurd numbers, and a saves index of 20,000 entries.

#include "SaveTestSupport.h"

#include "TestSupport.h"
#include "document/Frame.h"
#include "document/SaveFormat.h"
#include "document/SaveInspector.h"
#include "document/SavesIndex.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/ItemRegistry.h"
#include "items/Joint.h"
#include "items/SerializableSprite.h"
#include "items/SpeechBubble.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <thread>

using namespace savetest;

namespace {

// Runs fn; a hang cannot be undone, so when it has not returned within the limit the test
// program ends with a failure.
void withinSeconds(int seconds, const QString& what, const std::function<void()>& fn) {
    std::promise<void> finished;
    std::future<void> done = finished.get_future();
    std::thread watchdog([&done, seconds, what] {
        if (done.wait_for(std::chrono::seconds(seconds)) == std::future_status::timeout) {
            std::fprintf(stderr, "FAILED: %s did not finish within %d s\n", qPrintable(what),
                         seconds);
            std::_Exit(1);
        }
    });
    fn();
    finished.set_value();
    watchdog.join();
}

void makeFifo(const QString& path) {
    QFile::remove(path);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << path;
}

void replaceByLink(const QString& path, const QString& target) {
    QFile::remove(path);
    ASSERT_TRUE(QFile::link(target, path)) << path;
}

void write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path;
    f.write(bytes);
}

// Save 1: 25 frames over two packs, frame 0 and frame 21 with pictures of their own.
SaveSnapshot withTwoPictures() {
    SaveSnapshot s = animation(25);
    for (size_t i : {size_t(0), size_t(21)}) {
        s.frames[i].background = kCustomBackground;
        s.frames[i].backgroundImage = picture(16, 12, int(i) + 1);
    }
    return s;
}

QByteArray svgReferring(const QString& file) {
    return QStringLiteral("<svg xmlns='http://www.w3.org/2000/svg' "
                          "xmlns:xlink='http://www.w3.org/1999/xlink' width='16' height='12'>"
                          "<image width='16' height='12' xlink:href='file://%1'/></svg>")
        .arg(file)
        .toUtf8();
}

} // namespace

// Each entry replaces one file of a complete save by something hostile; the load finishes in
// time and reads what it can, counting the rest as unreadable.
TEST_F(SaveTest, PipesAndOutsideLinksAreRefusedWithoutBlocking) {
    const QString outside = testsupport::makeTempDir();
    ASSERT_TRUE(SaveWriter(1, outside).write(withTwoPictures(), nullptr, nullptr));
    ASSERT_TRUE(picture(16, 12, 99).save(outside + "/red.png"));
    const QJsonValue outsidePicture = pictureToJson(picture(16, 12, 99));

    struct Case {
        const char* name;
        std::function<void(const QString& folder)> spoil;
        // What still loads: frames, unreadable packs, unreadable pictures; -1 for an index
        // that cannot be read at all.
        int frames;
        int unreadablePacks;
        int unreadablePictures;
    };
    const std::vector<Case> cases = {
        {"index is a pipe", [](const QString& f) { makeFifo(f + "/save-1.plist"); }, -1, 0, 0},
        {"pack is a pipe", [](const QString& f) { makeFifo(f + "/save-1-pack-1.plist"); }, 20, 1,
         0},
        {"picture is a pipe", [](const QString& f) { makeFifo(f + "/bg-1-0-0.png"); }, 25, 0, 1},
        {"commit record is a pipe", [](const QString& f) { makeFifo(f + "/save-1.commit"); }, 25, 0,
         0},
        {"picture is SVG referring to a pipe",
         [](const QString& f) {
             makeFifo(f + "/pipe.png");
             write(f + "/bg-1-0-0.png", svgReferring(f + "/pipe.png"));
         },
         25, 0, 1},
        {"picture is SVG referring to an outside picture",
         [&](const QString& f) { write(f + "/bg-1-0-0.png", svgReferring(outside + "/red.png")); },
         25, 0, 1},
        {"index links outside",
         [&](const QString& f) { replaceByLink(f + "/save-1.plist", outside + "/save-1.plist"); },
         -1, 0, 0},
        {"pack links outside",
         [&](const QString& f) {
             replaceByLink(f + "/save-1-pack-1.plist", outside + "/save-1-pack-1.plist");
         },
         20, 1, 0},
        {"picture links outside",
         [&](const QString& f) { replaceByLink(f + "/bg-1-1-1.png", outside + "/red.png"); }, 25, 0,
         1},
        {"commit record links outside",
         [&](const QString& f) {
             write(outside + "/save-1.commit",
                   platform::serializePropertyList(
                       {{"moves", QVariantList{QVariantMap{{"from", ".~save-1.plist.a"},
                                                           {"to", "save-1.plist"}}}}}));
             write(f + "/.~save-1.plist.a", QByteArray()); // would be read if the record were
             replaceByLink(f + "/save-1.commit", outside + "/save-1.commit");
         },
         25, 0, 0},
        {"pack links inside",
         [](const QString& f) {
             ASSERT_TRUE(QFile::rename(f + "/save-1-pack-1.plist", f + "/kept.plist"));
             replaceByLink(f + "/save-1-pack-1.plist", f + "/kept.plist");
         },
         25, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = testsupport::makeTempDir();
        ASSERT_TRUE(SaveWriter(1, folder).write(withTwoPictures(), nullptr, nullptr));
        c.spoil(folder);
        withinSeconds(20, c.name, [&] {
            const SaveReader::Result r = SaveReader(1, folder).read([] {});
            if (c.frames < 0) {
                EXPECT_TRUE(r.indexExists && !r.indexReadable);
                EXPECT_TRUE(r.frames.empty());
            } else {
                EXPECT_EQ(int(r.frames.size()), c.frames);
                EXPECT_EQ(r.unreadablePacks, c.unreadablePacks);
                EXPECT_EQ(r.unreadablePictures, c.unreadablePictures);
            }
            for (const auto& frame : r.frames)
                EXPECT_NE(pictureToJson(frame.backgroundImage), outsidePicture)
                    << "nothing from outside the folder is shown";
            SaveReader(1, folder).summarize();
            platform::UserDefaults defaults(folder + "/defaults.plist");
            SavesIndex index(defaults, folder, SavesIndex::Mode::ReadOnly);
            EXPECT_EQ(index.entries().size(), 1);
        });
    }

    // The documents folder itself may be a link.
    const QString real = testsupport::makeTempDir();
    ASSERT_TRUE(SaveWriter(1, real).write(withTwoPictures(), nullptr, nullptr));
    const QString linked = testsupport::makeTempDir() + "/Documents";
    ASSERT_TRUE(QFile::link(real, linked));
    const SaveReader::Result r = SaveReader(1, linked).read(nullptr);
    EXPECT_TRUE(r.complete());
    EXPECT_EQ(r.frames.size(), 25u);

    // The user defaults as a pipe: the start does not hang, and the pipe is kept aside.
    const QString prefs = testsupport::makeTempDir();
    makeFifo(prefs + "/defaults.plist");
    withinSeconds(20, "user defaults as a pipe", [&] {
        platform::UserDefaults defaults(prefs + "/defaults.plist");
        EXPECT_TRUE(defaults.wasDamaged());
        defaults.setInteger(1, "maxSaveId");
        EXPECT_TRUE(defaults.synchronize());
    });
}

// What the items would take is reckoned before any is built: past the budget nothing loads.
TEST_F(SaveTest, ALoadPastTheMemoryBudgetIsRefusedWhole) {
    // Three packs of 8 MB of bare figure records, 1,000 a frame: about 470,000 figures.
    const QByteArray frame =
        "<array>" +
        QByteArray("<dict><key>className</key><string>Hmn</string></dict>").repeated(1000) +
        "</array>";
    const QByteArray head = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>meta</key>"
                            "<dict><key>totalPacks</key><integer>3</integer><key>versionFormat"
                            "</key><integer>4</integer></dict><key>frames</key><array>";
    const QByteArray tail = "</array></dict></plist>";
    const QByteArray pack =
        head +
        frame.repeated((SaveReader::kMaxPackFileBytes - head.size() - tail.size()) / frame.size()) +
        tail;
    write(folder_ + "/save-1.plist", pack);
    write(folder_ + "/save-1-pack-1.plist", pack);
    write(folder_ + "/save-1-pack-2.plist", pack);
    SaveReader::Result r = load(1);
    EXPECT_TRUE(r.refused);
    EXPECT_TRUE(r.frames.empty()) << "nothing half-built";
    EXPECT_GT(r.estimatedBytes, SaveReader::kDefaultMemoryBudget);
    EXPECT_TRUE(r.refusal.contains("memory")) << r.refusal;

    // Past the cheap bound the exact sum decides: 30 frames of a figure, a knife and a box fit a
    // budget of exactly what they take, and not one byte less.
    ASSERT_TRUE(save(2, animation(30)));
    const qint64 needed = 30 * (SaveReader::kFigureBytes + 2 * SaveReader::kItemBytes);
    SaveReader within(2, folder_);
    within.setMemoryBudget(needed);
    r = within.read(nullptr);
    EXPECT_FALSE(r.refused);
    EXPECT_EQ(r.frames.size(), 30u);
    SaveReader past(2, folder_);
    past.setMemoryBudget(needed - 1);
    r = past.read(nullptr);
    EXPECT_TRUE(r.refused && r.frames.empty());
    EXPECT_EQ(r.estimatedBytes, needed);
}

// The limits a frame may reach are kept whole by a save and a load; the reader drops what lies
// beyond them, which the editor does not produce.
TEST_F(SaveTest, AFrameAtTheLimitsSavesAndLoadsWhole) {
    SaveSnapshot s;
    SaveSnapshot::FrameEntry f;
    for (int i = 0; i < saveformat::kMaxItemsPerFrame - 1; ++i) {
        auto box = BoundingSprite::spriteWithFile("box.png");
        box->setPosition(Point(float(i % 480), float(i / 480)));
        f.items.push_back(box);
    }
    auto bubble = SpeechBubble::spriteWithFile("speech-bubble.png");
    QString text;
    for (int i = 0; text.size() < saveformat::kMaxBubbleTextLength; ++i)
        text += QString::number(i % 10);
    bubble->setText(text);
    f.items.push_back(bubble);
    s.frames.push_back(f);
    ASSERT_TRUE(save(1, s));
    SaveReader::Result r = load(1);
    EXPECT_TRUE(r.complete());
    ASSERT_EQ(r.frames.size(), 1u);
    ASSERT_EQ(r.frames[0].items.size(), size_t(saveformat::kMaxItemsPerFrame));
    EXPECT_SAME_JSON(comparable(r), snapshotToJson(s));

    // One more item, and one more character: each is dropped, and counted.
    s.frames[0].items.push_back(BoundingSprite::spriteWithFile("box.png"));
    bubble->setText(text + "!");
    ASSERT_TRUE(save(1, s));
    r = load(1);
    EXPECT_EQ(r.frames[0].items.size(), size_t(saveformat::kMaxItemsPerFrame));
    EXPECT_EQ(r.skippedItems, 1);
    const auto* loaded = dynamic_cast<const SpeechBubble*>(r.frames[0].items.back().get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->text(), text);
}

// A figure stored with huge but finite numbers comes back with every joint finite, can be hit,
// and is saved and read again as it is.
TEST(HostileSaves, HugeScalesAndCoordinatesGiveAFigureThatCanBeHitAndSaved) {
    QVariantMap record = serialize(*figure(3));
    record["scale"] = 3e38;
    record["body.tail.x"] = 3.4e38;
    record["head.head.y"] = -3.4e38;
    record["position.x"] = 1e30;
    const auto item = std::dynamic_pointer_cast<Hmn>(ItemRegistry::unserialize(record));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->hScale(), saveformat::kMaxStoredScale);
    for (int which = 0; which < Hmn::LimbCount; ++which) {
        const JointedSprite* limb = item->limb(Hmn::Limb(which));
        for (const Joint* joint : {limb->tailJoint(), limb->headJoint()}) {
            EXPECT_TRUE(std::isfinite(joint->position().x) && std::isfinite(joint->position().y))
                << which;
        }
        EXPECT_TRUE(std::isfinite(limb->position().x) && std::isfinite(limb->scaleX()));
    }
    EXPECT_TRUE(item->containsPoint(item->body()->position()));
    const QVariantMap again = serialize(*item);
    for (auto it = again.begin(); it != again.end(); ++it) {
        if (it.value().typeId() == QMetaType::Double || it.value().typeId() == QMetaType::Float) {
            EXPECT_TRUE(std::isfinite(it.value().toDouble())) << it.key();
        }
    }
    const auto reread = ItemRegistry::unserialize(again);
    ASSERT_TRUE(reread);
    EXPECT_SAME_JSON(itemToJson(*reread), itemToJson(*item));
}

// Listing 20,000 saves reads the folder once, not once per save.
TEST_F(SaveTest, InspectorListsTwentyThousandSavesInLinearTime) {
    constexpr int kSaves = 20000;
    const QByteArray index = platform::serializePropertyList(
        {{"frames", QVariantList{QVariantList{}}},
         {"meta", QVariantMap{{"versionFormat", 4}, {"totalPacks", 1}}}});
    QVariantList saves;
    for (int id = 1; id <= kSaves; ++id) {
        write(QStringLiteral("%1/save-%2.plist").arg(folder_).arg(id), index);
        saves.append(QVariantMap{{"saveId", id}, {"saveName", QString("Save %1").arg(id)}});
    }
    platform::UserDefaults defaults(home_ + "/Preferences/defaults.plist");
    defaults.setObject(saves, "saves");
    defaults.setInteger(kSaves, "maxSaveId");
    ASSERT_TRUE(defaults.synchronize());

    QProcess inspect;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KELVORA_HOME", home_);
    inspect.setProcessEnvironment(env);
    inspect.start(KELVORA_INSPECT, {"list", "--json"});
    // Minutes when quadratic; seconds when linear.
    ASSERT_TRUE(inspect.waitForFinished(90000)) << "kelvora-inspect list did not finish";
    const QJsonArray rows =
        QJsonDocument::fromJson(inspect.readAllStandardOutput()).object()["saves"].toArray();
    ASSERT_EQ(rows.size(), kSaves);
    EXPECT_EQ(rows[kSaves - 1].toObject()["status"], "ok");
    EXPECT_EQ(rows[kSaves - 1].toObject()["frames"], 1);
}
