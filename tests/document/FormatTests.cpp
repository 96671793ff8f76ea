// The files follow the save format, as an independent reader sees them, and files written by
// earlier versions load as they always did.

#include "SaveTestSupport.h"

#include "TestSupport.h"
#include "document/Animation.h"
#include "document/Commands.h"
#include "document/Frame.h"
#include "document/PackXml.h"
#include "document/SaveFiles.h"
#include "document/SaveInspector.h"
#include "items/SerializableSprite.h"
#include "items/SpeechBubble.h"
#include "items/Tree.h"
#include "sounds/SoundEffect.h"
#include "sounds/SoundManager.h"

#include "platform/PropertyList.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace savetest;

TEST_F(SaveTest, FilesFollowTheFormatForAnIndependentReader) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";

    SaveSnapshot s = animation(21);
    s.frames[0].items = everyKind();
    s.frames[1].sounds = {sound(0), sound(30)};
    s.background = kCustomBackground;
    s.customBackgroundImage = picture(30, 20, 1);
    s.frames[0].background = kCustomBackground;
    s.frames[0].backgroundImage = picture(10, 10, 2);
    s.frames[3].background = kCustomBackground; // no picture
    s.frames[20].background = kCustomBackground;
    s.frames[20].backgroundImage = picture(10, 10, 3);
    ASSERT_TRUE(save(11, s));
    ASSERT_TRUE(save(11, s)); // a second save leaves no extra files behind

    QProcess check;
    check.start(python, {QStringLiteral(KELVORA_DOCUMENT_TEST_DIR "/check_save_files.py"), folder_,
                         QStringLiteral("11"), QStringLiteral("21")});
    ASSERT_TRUE(check.waitForFinished(60000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString()
                                   << check.readAllStandardError().toStdString();

    // Empty animations write an index with empty lists and no pack count.
    ASSERT_TRUE(save(12, SaveSnapshot()));
    const auto index = platform::readPropertyList(QDir(folder_).filePath("save-12.plist"));
    ASSERT_TRUE(index);
    EXPECT_EQ(index->value("frames"), QVariantList());
    EXPECT_EQ(index->value("framesBackground"), QVariantList());
    EXPECT_EQ(index->value("meta").toMap().value("totalPacks"), qint64(0));
    EXPECT_TRUE(load(12).frames.empty());
}

TEST_F(SaveTest, VersionThreeGivesEveryFrameTheAnimationBackground) {
    copyFixture(QStringLiteral("version3"), folder_);
    const SaveReader::Result r = load(1);
    EXPECT_TRUE(r.complete());
    EXPECT_EQ(r.versionFormat, 3);
    EXPECT_EQ(r.background, kCustomBackground);
    EXPECT_EQ(r.animationSpeed, 1.5);
    ASSERT_FALSE(r.animationPicture.isNull());
    EXPECT_EQ(r.animationPicture.size(), QSize(48, 32));
    ASSERT_EQ(r.frames.size(), 22u);
    for (const auto& f : r.frames) {
        // The pack file's own meta says 4: the index file's meta is the one that counts.
        EXPECT_EQ(f.background, kCustomBackground);
        EXPECT_EQ(f.backgroundImage.cacheKey(), r.animationPicture.cacheKey());
        EXPECT_EQ(f.backgroundImageFile, "bg-1.jpg");
        ASSERT_EQ(f.items.size(), 1u);
        ASSERT_EQ(f.sounds.size(), 1u);
    }
    EXPECT_EQ(r.frames[21].sounds[0], sound(1)) << "sound records by index";

    // Saved again, the save becomes version 4 with one picture file for all frames.
    SaveWriter writer(1, folder_);
    ASSERT_TRUE(writer.write(snapshotOf(r), nullptr, nullptr));
    // One file for the picture, and the older shared files, which this save had none of.
    QStringList pictures = writer.writtenFiles().filter(".png");
    EXPECT_EQ(pictures.size(), 21) << pictures.join(' ');
    EXPECT_TRUE(pictures.contains("bg-1-0-0.png"));
    EXPECT_TRUE(pictures.contains("bg-1-19.png"));
    const SaveReader::Result again = load(1);
    EXPECT_EQ(again.versionFormat, 4);
    EXPECT_EQ(again.frames[21].backgroundImageFile, "bg-1-0-0.png");
    EXPECT_SAME_JSON(comparable(again), comparable(r));
}

TEST_F(SaveTest, SavesWithoutPictureFileNamesLoadAsBefore) {
    copyFixture(QStringLiteral("older-pictures"), folder_);
    const SaveReader::Result r = load(2);
    EXPECT_TRUE(r.complete());
    ASSERT_EQ(r.frames.size(), 21u);
    EXPECT_EQ(r.frames[0].backgroundImageFile, "bg-2-0.png");
    EXPECT_EQ(r.frames[0].backgroundImage.size(), QSize(40, 30));
    EXPECT_EQ(r.frames[1].backgroundImageFile, "bg-2-1.png");
    EXPECT_EQ(r.frames[1].backgroundImage.size(), QSize(30, 40));
    EXPECT_EQ(r.frames[2].background, 5);
    EXPECT_TRUE(r.frames[2].backgroundImage.isNull());
    EXPECT_EQ(r.frames[3].background, 1);
    // Frame 20 is at position 0 of its pack: it shows the same picture as frame 0.
    EXPECT_EQ(r.frames[20].backgroundImageFile, "bg-2-0.png");
    EXPECT_EQ(r.frames[20].backgroundImage.cacheKey(), r.frames[0].backgroundImage.cacheKey());

    // Sounds by index, and by name whatever the index says.
    ASSERT_EQ(r.frames[0].sounds.size(), 1u);
    EXPECT_EQ(r.frames[0].sounds[0], sound(3));
    ASSERT_EQ(r.frames[1].sounds.size(), 1u);
    EXPECT_EQ(r.frames[1].sounds[0]->fileName(), "Kiss.aif");

    // Saving again encodes no frame picture: each moves to the file a save of this animation
    // names, made from the file it was loaded from (the same file where the system allows).
    const QDateTime older = QFileInfo(QDir(folder_).filePath("bg-2-0.png")).lastModified();
    SaveWriter writer(2, folder_);
    ASSERT_TRUE(writer.write(snapshotOf(r), nullptr, nullptr));
    QStringList pictures = writer.writtenFiles().filter("bg-");
    pictures.sort();
    EXPECT_EQ(pictures, QStringList({"bg-2-0-0.png", "bg-2-0-1.png", "bg-2.jpg"}));
    EXPECT_EQ(QFileInfo(QDir(folder_).filePath("bg-2-0.png")).lastModified(), older);
    EXPECT_EQ(fileBytes(QDir(folder_).filePath("bg-2-0-1.png")),
              fileBytes(QDir(folder_).filePath("bg-2-1.png")));
    const SaveReader::Result again = load(2);
    EXPECT_EQ(again.frames[1].backgroundImageFile, "bg-2-0-1.png");
    EXPECT_EQ(again.frames[20].backgroundImageFile, "bg-2-0-0.png");
    const auto index = platform::readPropertyList(QDir(folder_).filePath("save-2.plist"));
    ASSERT_TRUE(index);
    EXPECT_EQ(index->value("framesBackground").toList()[1].toMap().value("backgroundImageFile"),
              "bg-2-0-1.png");
    EXPECT_SAME_JSON(comparable(again), comparable(r));

    // The editor goes on with it: a save after loading writes everything, then one edit of the
    // last frame writes the index and that frame's pack only, and the folder is what a save of
    // everything writes into an empty one.
    Animation a;
    std::vector<std::shared_ptr<Frame>> frames;
    for (const SaveReader::LoadedFrame& lf : again.frames)
        frames.push_back(lf.toFrame());
    a.resetFrames(frames);
    ASSERT_TRUE(writer.write(a.snapshotForSave(), nullptr, nullptr));
    a.saveSucceeded(writer.savedState());
    a.push(new AddItemCommand(a, a.frameAt(20), Tree::tree()));
    const SaveSnapshot edited = a.snapshotForSave();
    ASSERT_TRUE(writer.write(edited, nullptr, nullptr));
    QStringList written = writer.writtenFiles();
    written.sort();
    EXPECT_EQ(written, QStringList({"save-2-pack-1.plist", "save-2.plist"}));
    const QString empty = testsupport::makeTempDir();
    PictureLedger fresh;
    SaveSnapshot everything = edited;
    everything.previous.reset();
    ASSERT_TRUE(SaveWriter(2, empty, fresh).write(everything, nullptr, nullptr));
    EXPECT_EQ(sameFolders(folder_, empty), QString());
}

// Saves put packs together from frames formatted one by one (or copied from the last save's
// files): the bytes must be what the property-list library writes for the whole pack.
TEST(PackXml, FramesPutTogetherAreWhatTheLibraryWritesForTheWholePack) {
    using namespace saveformat;
    ASSERT_TRUE(packxml::piecesFit());
    auto bubble = SpeechBubble::spriteWithFile(QStringLiteral("speech-bubble.png"));
    bubble->setText(QStringLiteral("two\nlines, <tags> & \"quotes\"\t\u00e9"));
    QVariantList everything;
    for (const auto& item : everyKind())
        everything.append(serialize(*item));
    const QVariantMap soundRecord{
        {kClassName, kSoundClass}, {kSoundFileName, QStringLiteral("x.aiff")}, {kSoundIndex, 3}};
    const std::vector<QVariantList> frames{
        everything, {}, {serialize(*bubble), soundRecord}, {soundRecord}, everything};
    QVariantList backgrounds;
    QVariantList records;
    for (size_t i = 0; i < frames.size(); ++i) {
        records.append(QVariant(frames[i]));
        backgrounds.append(
            QVariantMap{{kBackground, kCustomBackground},
                        {kBackgroundImageFile, QStringLiteral("bg-1-%1.png").arg(i)}});
    }
    const QVariantMap meta{{kTotalPacks, 7}, {kAnimationSpeed, 0.1f}, {kSaveName, "<a & b>"}};

    std::vector<QByteArray> pieces;
    for (const QVariantList& frame : frames)
        pieces.push_back(packxml::frameXml(frame, nullptr));
    std::vector<qint64> offsets;
    const QByteArray assembled =
        packxml::packXml({pieces.begin(), pieces.end()}, backgrounds, meta, &offsets, nullptr);
    EXPECT_EQ(assembled,
              platform::serializePropertyList(
                  {{kFrames, records}, {kFramesBackground, backgrounds}, {kMeta, meta}}));
    ASSERT_EQ(offsets.size(), pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i)
        EXPECT_EQ(assembled.mid(offsets[i], pieces[i].size()), pieces[i]) << i;
}

// An incremental save copies unchanged frames from the last save's pack files, but only from
// files still as that save left them.
TEST_F(SaveTest, FramesAreCopiedOnlyFromPackFilesTheLastSaveLeftAsTheyWere) {
    SaveSnapshot first = animation(45);
    for (size_t i = 0; i < first.frames.size(); ++i)
        first.frames[i].stamp = 1000 + i;
    SaveWriter writer(12, folder_);
    ASSERT_TRUE(writer.write(first, nullptr, nullptr));

    // A frame inserted at the front moves every other frame into another pack; pack 1 is
    // replaced behind the program's back by a file of the same shape.
    SaveSnapshot second = first;
    SaveSnapshot::FrameEntry inserted = second.frames[3];
    inserted.stamp = 5000;
    second.frames.insert(second.frames.begin(), inserted);
    second.previous = writer.savedState();
    ASSERT_TRUE(second.previous);
    const QString pack1 = QDir(folder_).filePath("save-12-pack-1.plist");
    const QByteArray pack2 = fileBytes(QDir(folder_).filePath("save-12-pack-2.plist"));
    ASSERT_TRUE(QFile::remove(pack1));
    QFile replaced(pack1);
    ASSERT_TRUE(replaced.open(QIODevice::WriteOnly));
    replaced.write(pack2);
    replaced.close();
    SaveWriter next(12, folder_);
    ASSERT_TRUE(next.write(second, nullptr, nullptr));
    EXPECT_EQ(next.writtenFiles().filter(".plist").size(), 3);

    const QString full = testsupport::makeTempDir();
    SaveSnapshot everything = second;
    everything.previous.reset();
    PictureLedger fresh;
    ASSERT_TRUE(SaveWriter(12, full, fresh).write(everything, nullptr, nullptr));
    EXPECT_EQ(sameFolders(folder_, full), QString());
}

TEST(SaveFileNames, FollowTheFormats) {
    using namespace savefiles;
    EXPECT_EQ(indexFileName(3), "save-3.plist");
    EXPECT_EQ(packFileName(3, 0), "save-3.plist");
    EXPECT_EQ(packFileName(3, 12), "save-3-pack-12.plist");
    EXPECT_EQ(animationPictureFileName(3), "bg-3.jpg");
    EXPECT_EQ(framePictureFileName(3, 19), "bg-3-19.png");
    EXPECT_EQ(framePictureFileName(3, 2, 19), "bg-3-2-19.png");

    EXPECT_EQ(packNumber(3, "save-3-pack-12.plist"), 12);
    for (const char* other :
         {"save-3-pack-0.plist", "save-3-pack-012.plist", "save-3-pack-+1.plist",
          "save-3-pack-.plist", "save-3-pack-1.plist.bak", "save-31-pack-1.plist",
          "save-3-pack-99999999999.plist"})
        EXPECT_EQ(packNumber(3, other), -1) << other;

    EXPECT_TRUE(isFramePictureName(3, "bg-3-0-19.png"));
    EXPECT_TRUE(isFramePictureName(3, "bg-3-7.png"));
    for (const char* other : {"bg-30-1.png", "bg-3.jpg", "../bg-3-1.png", "bg-3-/x.png",
                              "bg-3-..png", "bg-3-\\x.png", "bg-3-\n.png", "save-3.plist"})
        EXPECT_FALSE(isFramePictureName(3, other)) << other;

    EXPECT_TRUE(isTemporaryFileOf(3, temporaryFileName("save-3-pack-2.plist", "ab12")));
    EXPECT_TRUE(isTemporaryFileOf(3, temporaryFileName("save-3.commit", "ab12")));
    EXPECT_FALSE(isTemporaryFileOf(3, temporaryFileName("save-4.plist", "ab12")));
    EXPECT_FALSE(isTemporaryFileOf(3, "save-3.plist"));
}
