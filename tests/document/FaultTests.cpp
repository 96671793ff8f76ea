// Failed and interrupted saves keep a complete save; damaged and hostile files load what they
// can without crashing, hanging or running out of memory.

#include "SaveTestSupport.h"

#include "../fuzz/SaveFuzzInput.h"

#include "TestSupport.h"
#include "document/Frame.h"
#include "document/SaveFiles.h"
#include "document/SaveFormat.h"
#include "document/SaveInspector.h"
#include "document/SavesIndex.h"
#include "items/SpeechBubble.h"

#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace savetest;

namespace {

// Root ignores file permissions; this drops the capabilities that allow it, for this thread,
// so that a read-only folder is read-only in the test too.
class WithoutFileOverride {
public:
    WithoutFileOverride() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            lowered[0].effective &= ~(1u << cap);
        active_ = syscall(SYS_capset, &header_, lowered) == 0;
    }
    ~WithoutFileOverride() {
        if (active_)
            syscall(SYS_capset, &header_, saved_);
    }

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

SaveSnapshot withPictures(int frames, int seed) {
    SaveSnapshot s = animation(frames);
    s.background = kCustomBackground;
    s.customBackgroundImage = picture(24, 16, seed);
    for (size_t i = 0; i < s.frames.size(); i += 7) {
        s.frames[i].background = kCustomBackground;
        s.frames[i].backgroundImage = picture(12, 8, seed * 100 + int(i));
    }
    return s;
}

} // namespace

TEST_F(SaveTest, ReadOnlyFolderFailsWithAReasonAndKeepsThePreviousSave) {
    const SaveSnapshot before = withPictures(30, 1);
    ASSERT_TRUE(save(21, before));
    const QStringList files = filesIn(folder_);

    SaveSnapshot after = withPictures(45, 2);
    ASSERT_EQ(::chmod(QFile::encodeName(folder_).constData(), 0555), 0);
    QString error;
    bool saved;
    {
        WithoutFileOverride asUser;
        saved = save(21, after, &error);
    }
    ::chmod(QFile::encodeName(folder_).constData(), 0755);

    EXPECT_FALSE(saved);
    EXPECT_EQ(error, "Permission denied");
    EXPECT_EQ(filesIn(folder_), files) << "no temporary file is left behind";
    EXPECT_SAME_JSON(comparable(load(21)), snapshotToJson(before));

    ASSERT_TRUE(save(21, after, &error)) << qPrintable(error);
    EXPECT_SAME_JSON(comparable(load(21)), snapshotToJson(after));
}

// Stopping the write at every step it takes, as a crash would, leaves the previous save or the
// new one, complete; the next save starts from whatever was left.
TEST_F(SaveTest, AnInterruptionAtAnyStepLeavesOneCompleteSave) {
    const SaveSnapshot first = withPictures(41, 1);
    SaveSnapshot second = withPictures(25, 2);
    second.frames[0].backgroundImage = picture(12, 8, 77);
    const QJsonObject firstJson = snapshotToJson(first);
    const QJsonObject secondJson = snapshotToJson(second);

    // The steps of the second save over the first.
    QStringList steps;
    {
        const QString folder = testsupport::makeTempDir();
        ASSERT_TRUE(SaveWriter(22, folder).write(first, nullptr, nullptr));
        SaveWriter counter(22, folder);
        counter.setStepHook([&](const QString& step) {
            steps.append(step);
            return true;
        });
        ASSERT_TRUE(counter.write(second, nullptr, nullptr));
    }
    ASSERT_GT(steps.size(), 8);
    ASSERT_TRUE(steps.contains("commit"));

    for (int stop = 0; stop < steps.size(); ++stop) {
        SCOPED_TRACE(qPrintable(QStringLiteral("stopped at %1").arg(steps[stop])));
        const QString folder = testsupport::makeTempDir();
        ASSERT_TRUE(SaveWriter(22, folder).write(first, nullptr, nullptr));

        SaveWriter interrupted(22, folder);
        int taken = 0;
        interrupted.setStepHook([&](const QString&) { return taken++ < stop; });
        EXPECT_FALSE(interrupted.write(second, nullptr, nullptr));

        const SaveReader::Result r = SaveReader(22, folder).read(nullptr);
        EXPECT_TRUE(r.complete());
        const bool committed = steps.indexOf("commit") < stop;
        EXPECT_SAME_JSON(comparable(r), committed ? secondJson : firstJson);

        // The next save finishes or drops what was left and leaves nothing else behind.
        SaveSnapshot third = withPictures(3, 3);
        ASSERT_TRUE(SaveWriter(22, folder).write(third, nullptr, nullptr));
        EXPECT_SAME_JSON(comparable(SaveReader(22, folder).read(nullptr)), snapshotToJson(third));
        for (const QString& name : filesIn(folder))
            EXPECT_FALSE(name.startsWith('.') || name.endsWith(".commit")) << qPrintable(name);
    }
}

TEST_F(SaveTest, AMissingOrDamagedPackLoadsTheRestAndIsReported) {
    const SaveSnapshot s = animation(45);
    ASSERT_TRUE(save(23, s));
    ASSERT_TRUE(QFile::remove(QDir(folder_).filePath("save-23-pack-1.plist")));

    SaveReader::Result r = load(23);
    EXPECT_EQ(r.unreadablePacks, 1);
    EXPECT_EQ(r.problems(), QStringList{"1 file of frames (up to 20 frames)"});
    ASSERT_EQ(r.frames.size(), 25u);
    QJsonObject expected = snapshotToJson(s);
    QJsonArray frames = expected["frames"].toArray();
    for (int i = 39; i >= 20; --i)
        frames.removeAt(i);
    expected["frames"] = frames;
    EXPECT_SAME_JSON(comparable(r), expected);

    QFile damaged(QDir(folder_).filePath("save-23-pack-2.plist"));
    ASSERT_TRUE(damaged.open(QIODevice::ReadWrite));
    damaged.resize(damaged.size() / 2);
    damaged.close();
    r = load(23);
    EXPECT_EQ(r.unreadablePacks, 2);
    EXPECT_EQ(r.frames.size(), 20u);
}

TEST_F(SaveTest, RecordsThatCannotBeReadAreCountedAndSkipped) {
    SaveSnapshot s = animation(2);
    ASSERT_TRUE(save(24, s));
    const QString path = QDir(folder_).filePath("save-24.plist");
    auto index = platform::readPropertyList(path);
    ASSERT_TRUE(index);
    QVariantList frames = index->value("frames").toList();
    QVariantList records = frames[1].toList();
    records.append(QVariantMap{{"className", "Dragon"}});
    records.append(QVariantMap{{"className", "Sprite"}, {"textureName", "no-such.png"}});
    records.append(QVariantMap{{"className", "Sound"}, {"soundFileName", "No such.aif"}});
    records.append(QVariantMap{{"className", "Sound"}, {"soundIndex", 59}});
    records.append(QString("not a record"));
    frames[1] = records;
    frames.append(QString("not a frame"));
    index->insert("frames", frames);
    ASSERT_TRUE(platform::writePropertyList(path, *index));

    const SaveReader::Result r = load(24);
    EXPECT_EQ(r.frames.size(), 2u);
    EXPECT_EQ(r.skippedItems, 3);
    EXPECT_EQ(r.skippedSounds, 2);
    EXPECT_EQ(r.skippedFrames, 1);
    EXPECT_EQ(r.problems(), (QStringList{"1 frame", "5 items or sounds"}));
    EXPECT_SAME_JSON(comparable(r), snapshotToJson(s));
}

// Every file of the committed corpus loads without a crash, a hang or an exception, and what
// it yields stays within what the files hold.
TEST(HostileSaves, CorpusLoadsWithoutCrashOrHang) {
    const QDir corpus(testsupport::fixturePath(QStringLiteral("saves/corpus")));
    const QStringList names = corpus.entryList(QDir::Files);
    ASSERT_GE(names.size(), 30);
    for (const QString& name : names) {
        SCOPED_TRACE(qPrintable(name));
        QFile f(corpus.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString folder = testsupport::makeTempDir();
        savefuzz::unpack(f.readAll(), folder);

        QElapsedTimer clock;
        clock.start();
        int pumps = 0;
        SaveReader reader(savefuzz::kSaveId, folder);
        reader.setMemoryBudget(savefuzz::kMemoryBudget);
        const SaveReader::Result r = reader.read([&] { ++pumps; });
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_LE(r.frames.size(), 4000u);
        EXPECT_GE(pumps, int(r.frames.size()));
        for (const auto& frame : r.frames)
            EXPECT_LE(frame.items.size(), size_t(saveformat::kMaxItemsPerFrame));
        saveToJson(r); // every loaded value can be shown
        SaveReader(savefuzz::kSaveId, folder).summarize();
        platform::UserDefaults defaults(folder + "/defaults.plist");
        SavesIndex(defaults, folder, SavesIndex::Mode::ReadOnly).entries();
    }
}

// What some hostile files must give, beyond not crashing.
TEST(HostileSaves, AbsurdValuesAreIgnoredOrBounded) {
    auto read = [](const char* name) {
        QFile f(testsupport::fixturePath(QStringLiteral("saves/corpus/") + name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        const QString folder = testsupport::makeTempDir();
        savefuzz::unpack(f.readAll(), folder);
        SaveReader reader(savefuzz::kSaveId, folder);
        reader.setMemoryBudget(savefuzz::kMemoryBudget);
        return reader.read(nullptr);
    };

    SaveReader::Result r = read("valid-two-packs");
    EXPECT_TRUE(r.complete());
    EXPECT_EQ(r.frames.size(), 3u);
    EXPECT_EQ(r.frames[0].backgroundImage.size(), QSize(16, 12));

    r = read("total-packs-huge");
    EXPECT_EQ(r.totalPacks, 2147483647);
    EXPECT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.unreadablePacks, 2147483646);

    r = read("items-absurd-numbers");
    ASSERT_EQ(r.frames.size(), 1u);
    ASSERT_FALSE(r.frames[0].items.empty());
    for (const auto& item : r.frames[0].items) {
        EXPECT_TRUE(std::isfinite(item->position().x) && std::isfinite(item->position().y));
        EXPECT_TRUE(std::isfinite(item->rotation()));
    }
    EXPECT_EQ(r.frames[0].items[1]->rotation(), 0) << "a real beyond a float counts as missing";

    for (const char* unreadable : {"deep-arrays", "deep-dicts", "deep-unclosed", "truncated",
                                   "binary", "bplist", "root-array", "root-string", "empty"}) {
        r = read(unreadable);
        EXPECT_TRUE(r.indexExists && !r.indexReadable) << unreadable;
        EXPECT_TRUE(r.frames.empty()) << unreadable;
    }

    r = read("many-empty-frames");
    EXPECT_EQ(r.frames.size(), size_t(SaveReader::kMaxFramesPerPack));
    EXPECT_EQ(r.skippedFrames, 5000 - SaveReader::kMaxFramesPerPack);

    r = read("item-picture-paths");
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_TRUE(r.frames[0].items.empty());
    EXPECT_EQ(r.skippedItems, 11);

    r = read("sounds-hostile");
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0].sounds.size(), 1u) << "index 4, once";
    EXPECT_EQ(r.skippedSounds, 9);

    r = read("backgrounds-hostile");
    ASSERT_EQ(r.frames.size(), 8u);
    for (const auto& f : r.frames)
        EXPECT_TRUE(f.backgroundImage.isNull() || f.backgroundImageFile == "bg-1-3.png");
    EXPECT_FALSE(r.frames[3].backgroundImage.isNull())
        << "a name of the wrong type counts as missing";

    r = read("picture-huge-dimensions");
    EXPECT_TRUE(r.frames[0].backgroundImage.isNull());
    EXPECT_EQ(r.unreadablePictures, 1);

    r = read("commit-record");
    ASSERT_EQ(r.frames.size(), 1u) << "the unfinished save's new index";
    EXPECT_EQ(r.frames[0].items[0]->position().x, 99);

    r = read("many-pack-files");
    EXPECT_EQ(r.frames.size(), 1u + 13u);
    EXPECT_EQ(r.unreadablePacks, 39 - 13);

    // Pipes, links and pictures that are not PNG or JPEG are unreadable files, nothing more.
    for (const char* unreadable : {"pipe-index", "link-index-outside"}) {
        r = read(unreadable);
        EXPECT_TRUE(r.indexExists && !r.indexReadable) << unreadable;
    }
    for (const char* pack : {"pipe-pack", "link-pack-outside"}) {
        r = read(pack);
        EXPECT_EQ(r.frames.size(), 2u) << pack;
        EXPECT_EQ(r.unreadablePacks, 1) << pack;
    }
    r = read("link-pack-inside");
    EXPECT_EQ(r.unreadablePacks, 0);
    EXPECT_EQ(r.frames.size(), 3u);
    for (const char* picture : {"pipe-picture", "link-picture-device", "svg-picture-outside",
                                "svg-picture-refers-to-pipe"}) {
        r = read(picture);
        ASSERT_EQ(r.frames.size(), 2u) << picture;
        EXPECT_TRUE(r.frames[0].backgroundImage.isNull()) << picture;
        EXPECT_EQ(r.unreadablePictures, 1) << picture;
    }
    for (const char* record : {"pipe-commit", "link-commit-outside"})
        EXPECT_EQ(read(record).frames.size(), 2u) << record;

    r = read("bare-figures");
    EXPECT_TRUE(r.refused && r.frames.empty());
    EXPECT_GT(r.estimatedBytes, savefuzz::kMemoryBudget);

    // Damaged saves indexes: the list comes from the saves present.
    auto listed = [](const char* name) {
        QFile f(testsupport::fixturePath(QStringLiteral("saves/corpus/") + name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        const QString folder = testsupport::makeTempDir();
        savefuzz::unpack(f.readAll(), folder);
        platform::UserDefaults defaults(folder + "/defaults.plist");
        return SavesIndex(defaults, folder, SavesIndex::Mode::ReadOnly).entries();
    };
    EXPECT_EQ(listed("index-damaged"),
              (QVector<SavesIndex::Entry>{{1, "Walk"}, {3, "Recovered animation 3"}}));
    EXPECT_EQ(listed("pipe-defaults"), (QVector<SavesIndex::Entry>{{1, "Recovered animation 1"}}));
    const auto odd = listed("index-wrong-types");
    ASSERT_EQ(odd.size(), 2);
    EXPECT_EQ(odd[0].saveId, 2147483647);
    EXPECT_EQ(odd[1], (SavesIndex::Entry{1, "Twice"}));
}

TEST(HostileSaves, LargeFilesAreBoundedByTheSizeCap) {
    const QString folder = testsupport::makeTempDir();
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(QDir(folder).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    const QByteArray text(3 * 1024 * 1024, 'w');
    QVariantMap bubble{{"className", "SpeechBubble"},
                       {"textureName", "speech-bubble.png"},
                       {"bubbleText", QString::fromLatin1(text)}};
    QVariantMap meta{{"versionFormat", 4}, {"totalPacks", 2}};
    write("save-1.plist", platform::serializePropertyList(
                              {{"frames", QVariantList{QVariantList{bubble}}}, {"meta", meta}}));
    const QByteArray huge(SaveReader::kMaxPackFileBytes + 1, ' ');
    write("save-1-pack-1.plist", huge);

    QElapsedTimer clock;
    clock.start();
    const SaveReader::Result r = SaveReader(1, folder).read(nullptr);
    EXPECT_LT(clock.elapsed(), 3000);
    ASSERT_EQ(r.frames.size(), 1u);
    ASSERT_EQ(r.frames[0].items.size(), 1u);
    const auto* loaded = dynamic_cast<const SpeechBubble*>(r.frames[0].items[0].get());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->text().size(), saveformat::kMaxBubbleTextLength);
    EXPECT_EQ(r.unreadablePacks, 1);
}
