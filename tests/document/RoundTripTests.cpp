// Saving and loading give back the animation that was saved, as the inspector shows it.

#include "SaveTestSupport.h"

#include "document/DurableFile.h"
#include "document/Frame.h"
#include "document/PictureLedger.h"
#include "document/SaveFiles.h"
#include "document/SaveInspector.h"
#include "items/Hmn.h"
#include "items/Knife.h"
#include "items/SpeechBubble.h"
#include "sounds/SoundEffect.h"

#include "platform/PropertyList.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSet>

using namespace savetest;

namespace {

QString dump(const QJsonObject& o) {
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
}

} // namespace

TEST_F(SaveTest, EveryItemKindComesBackWithEveryStoredField) {
    SaveSnapshot s;
    s.frames.push_back({everyKind(), {}, 1, QImage()});
    ASSERT_TRUE(save(1, s));
    const SaveReader::Result r = load(1);

    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_TRUE(r.complete());
    EXPECT_SAME_JSON(comparable(r), snapshotToJson(s));

    // The JSON shows each kind's own fields, so the comparison above covers them.
    const QJsonArray items = saveToJson(r)["frames"][0]["items"].toArray();
    ASSERT_EQ(items.size(), 22);
    EXPECT_EQ(items[0]["class"], "Hmn");
    EXPECT_EQ(items[0]["joints"].toObject().size(), 10);
    EXPECT_EQ(items[0]["color"]["red"], 111);
    EXPECT_EQ(items[1]["class"], "Knife");
    EXPECT_EQ(items[1]["orientation"], 2);
    EXPECT_EQ(items[20]["text"], QStringLiteral("Hände hoch! <&> \"quoted\""));
    EXPECT_EQ(items[21]["class"], "Sprite");
    EXPECT_EQ(items[21]["picture"], "blood.png");
    for (const QJsonValue& item : items)
        EXPECT_FALSE(item.toObject().contains(QStringLiteral("other"))) << dump(item.toObject());
}

class FrameCounts : public SaveTest, public ::testing::WithParamInterface<int> {};

TEST_P(FrameCounts, AreCutIntoPacksOfTwentyAndReadBack) {
    const int frames = GetParam();
    const SaveSnapshot s = animation(frames);
    int pumps = 0;
    QString error;
    ASSERT_TRUE(SaveWriter(7, folder_)
                    .write(
                        s, [&] { ++pumps; }, &error))
        << qPrintable(error);

    const int packs = (frames + 19) / 20;
    QStringList expected{savefiles::indexFileName(7)};
    for (int p = 1; p < packs; ++p)
        expected.append(savefiles::packFileName(7, p));
    expected.sort();
    EXPECT_EQ(filesIn(folder_), expected);
    EXPECT_GE(pumps, frames + std::max(packs, 1));

    // Every pack carries the same meta, totalPacks included.
    for (const QString& file : expected) {
        const auto pack = platform::readPropertyList(QDir(folder_).filePath(file));
        ASSERT_TRUE(pack);
        const QVariantMap meta = pack->value("meta").toMap();
        EXPECT_EQ(meta.value("totalPacks").toInt(), packs);
        EXPECT_EQ(meta.value("versionFormat").toInt(), 4);
    }

    int loadPumps = 0;
    const SaveReader::Result r = SaveReader(7, folder_).read([&] { ++loadPumps; });
    EXPECT_TRUE(r.complete());
    EXPECT_EQ(r.totalPacks, packs);
    EXPECT_EQ(int(r.frames.size()), frames);
    EXPECT_GE(loadPumps, frames);
    EXPECT_SAME_JSON(comparable(r), snapshotToJson(s));
}

INSTANTIATE_TEST_SUITE_P(SaveTest, FrameCounts, ::testing::Values(0, 1, 20, 21, 45));

TEST_F(SaveTest, FramePicturesEachKeepTheirOwnPicture) {
    SaveSnapshot s = animation(22);
    s.background = kCustomBackground;
    s.customBackgroundImage = picture(64, 48, 9);
    const QImage first = picture(48, 32, 1);
    const QImage twentieth = picture(48, 32, 2);
    s.frames[0].background = kCustomBackground;
    s.frames[0].backgroundImage = first;
    s.frames[1].background = kCustomBackground; // a new frame shares its predecessor's picture
    s.frames[1].backgroundImage = first;
    s.frames[2].background = kCustomBackground; // custom code without a picture
    s.frames[20].background = kCustomBackground;
    s.frames[20].backgroundImage = twentieth;
    ASSERT_TRUE(save(3, s));

    const QStringList files = filesIn(folder_);
    EXPECT_TRUE(files.contains("bg-3-0-0.png"));
    EXPECT_TRUE(files.contains("bg-3-1-0.png"));
    EXPECT_FALSE(files.contains("bg-3-0-1.png")) << "a shared picture is written once";
    EXPECT_TRUE(files.contains("bg-3-0.png")) << "the older file is kept for older readers";
    EXPECT_TRUE(files.contains("bg-3.jpg"));

    const SaveReader::Result r = load(3);
    ASSERT_EQ(r.frames.size(), 22u);
    EXPECT_EQ(r.frames[0].backgroundImageFile, "bg-3-0-0.png");
    EXPECT_EQ(r.frames[1].backgroundImageFile, "bg-3-0-0.png");
    EXPECT_EQ(r.frames[2].backgroundImageFile, "");
    EXPECT_TRUE(r.frames[2].backgroundImage.isNull());
    EXPECT_EQ(r.frames[20].backgroundImageFile, "bg-3-1-0.png");
    EXPECT_EQ(pictureToJson(r.frames[20].backgroundImage), pictureToJson(twentieth));
    EXPECT_NE(pictureToJson(r.frames[0].backgroundImage), pictureToJson(twentieth));
    EXPECT_SAME_JSON(comparable(r), snapshotToJson(s));
}

TEST_F(SaveTest, ChangedPicturesAreWrittenAndUnchangedOnesAreNot) {
    SaveSnapshot s = animation(3);
    s.background = kCustomBackground;
    s.customBackgroundImage = picture(64, 48, 1);
    for (auto& f : s.frames) {
        f.background = kCustomBackground;
        f.backgroundImage = picture(32, 32, 1);
    }
    s.frames[2].backgroundImage = picture(32, 32, 2);
    SaveWriter writer(4, folder_);
    ASSERT_TRUE(writer.write(s, nullptr, nullptr));
    const QFileInfo unchangedBefore(QDir(folder_).filePath("bg-4-0-2.png"));

    s.frames[0].backgroundImage = picture(32, 32, 3);
    s.frames[1].backgroundImage = s.frames[0].backgroundImage;
    s.customBackgroundImage = picture(64, 48, 4);
    ASSERT_TRUE(writer.write(s, nullptr, nullptr));
    QStringList pictures = writer.writtenFiles().filter(QStringLiteral("bg-"));
    pictures.sort();
    // Frames 0 and 1 changed picture; so did "bg-4-0.png" and "bg-4-1.png", which hold the
    // first picture of their positions for older readers.
    EXPECT_EQ(pictures, QStringList({"bg-4-0-0.png", "bg-4-0.png", "bg-4-1.png", "bg-4.jpg"}));
    EXPECT_EQ(QFileInfo(QDir(folder_).filePath("bg-4-0-2.png")).lastModified(),
              unchangedBefore.lastModified());

    const SaveReader::Result r = load(4);
    ASSERT_EQ(r.frames.size(), 3u);
    EXPECT_EQ(pictureToJson(r.frames[0].backgroundImage), pictureToJson(picture(32, 32, 3)));
    EXPECT_EQ(r.frames[1].backgroundImageFile, "bg-4-0-0.png");
    EXPECT_EQ(pictureToJson(r.frames[2].backgroundImage), pictureToJson(picture(32, 32, 2)));

    // A picture replaced on disk behind the program's back is written again.
    QFile::remove(QDir(folder_).filePath("bg-4-0-2.png"));
    ASSERT_TRUE(QFile::copy(QDir(folder_).filePath("bg-4-0-0.png"),
                            QDir(folder_).filePath("bg-4-0-2.png")));
    ASSERT_TRUE(writer.write(s, nullptr, nullptr));
    const SaveReader::Result again = load(4);
    EXPECT_TRUE(again.frames[2].backgroundImageFile != "bg-4-0-2.png" ||
                writer.writtenFiles().contains("bg-4-0-2.png"));
    EXPECT_EQ(pictureToJson(again.frames[2].backgroundImage), pictureToJson(picture(32, 32, 2)));
}

TEST_F(SaveTest, LoadedPicturesAreNotWrittenAgainWhenFramesMove) {
    SaveSnapshot s = animation(4);
    for (auto& f : s.frames) {
        f.background = kCustomBackground;
        f.backgroundImage = picture(16, 16, int(&f - s.frames.data()));
    }
    ASSERT_TRUE(save(5, s));
    SaveSnapshot loaded = snapshotOf(load(5));

    // A frame inserted at the start moves every picture to the next position: the files of
    // the new positions are the old files under new names, none encoded again.
    QSet<quint64> before;
    for (const QString& name : filesIn(folder_)) {
        durable::FileStamp stamp;
        ASSERT_TRUE(durable::stampOf(QDir(folder_).filePath(name), &stamp));
        if (name.startsWith("bg-5-0-"))
            before.insert(stamp.inode);
    }
    loaded.frames.insert(loaded.frames.begin(), loaded.frames[3]);
    SaveWriter writer(5, folder_);
    ASSERT_TRUE(writer.write(loaded, nullptr, nullptr));
    const QStringList moved = writer.writtenFiles().filter("bg-5-0-");
    EXPECT_EQ(moved.size(), 4) << writer.writtenFiles().join(' ');
    for (const QString& name : moved) {
        durable::FileStamp stamp;
        ASSERT_TRUE(durable::stampOf(QDir(folder_).filePath(name), &stamp));
        EXPECT_TRUE(before.contains(stamp.inode)) << name;
    }
    EXPECT_SAME_JSON(comparable(load(5)), snapshotToJson(loaded));
}

TEST_F(SaveTest, SoundsAndMetaComeBack) {
    SaveSnapshot s = animation(2);
    s.frames[0].sounds = {sound(0), sound(58), sound(12)};
    s.animationSpeed = 0.35;
    s.background = 7;
    ASSERT_TRUE(save(6, s));
    const SaveReader::Result r = load(6);
    EXPECT_TRUE(r.hasAnimationSpeed);
    EXPECT_EQ(r.animationSpeed, 0.35);
    EXPECT_EQ(r.background, 7);
    EXPECT_EQ(r.versionFormat, 4);
    ASSERT_EQ(r.frames.size(), 2u);
    EXPECT_EQ(r.frames[0].sounds, s.frames[0].sounds);
    EXPECT_SAME_JSON(comparable(r), snapshotToJson(s));
}

TEST_F(SaveTest, FramesAreSavedAsTheyWereWhenTheSaveBegan) {
    std::vector<std::shared_ptr<Frame>> frames;
    for (int i = 0; i < 25; ++i) {
        frames.push_back(std::make_shared<Frame>());
        frames.back()->addSprite(figure(i));
        frames.back()->addSprite(Knife::knifeWithOrientation(1));
    }
    const SaveSnapshot s = SaveSnapshot::fromFrames(frames, 3, QImage(), 1.5);
    const QJsonObject before = snapshotToJson(s);

    // Edits that arrive while the save lets the event loop run.
    int pumps = 0;
    auto edit = [&] {
        if (++pumps % 5 == 0 && !frames.empty()) {
            frames.back()->breakFigureConnections();
            frames.pop_back();
        }
        if (!frames.empty())
            frames.front()->addSprite(Knife::knifeWithOrientation(2));
    };
    ASSERT_TRUE(SaveWriter(8, folder_).write(s, edit, nullptr));
    EXPECT_SAME_JSON(comparable(load(8)), before);
}

// The inspector prints what the reader loads; a loaded animation saved again prints the same.
TEST_F(SaveTest, InspectorShowsTheSameSaveBeforeAndAfterALoadAndSave) {
    SaveSnapshot s = animation(45);
    s.frames[0].items = everyKind();
    s.background = kCustomBackground;
    s.customBackgroundImage = picture(40, 40, 5);
    s.frames[0].background = kCustomBackground;
    s.frames[0].backgroundImage = picture(20, 10, 6);
    s.frames[20].background = kCustomBackground;
    s.frames[20].backgroundImage = picture(20, 10, 7);
    ASSERT_TRUE(save(9, s));
    ASSERT_TRUE(QDir().mkpath(home_ + "/Preferences"));
    ASSERT_TRUE(platform::writePropertyList(
        home_ + "/Preferences/defaults.plist",
        {{"saves", QVariantList{QVariantMap{{"saveId", 9}, {"saveName", "Forty-five"}}}},
         {"maxSaveId", 9}}));

    auto inspect = [this](const QStringList& args, int* exitCode = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KELVORA_HOME", home_);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KELVORA_INSPECT), args);
        EXPECT_TRUE(p.waitForFinished(120000));
        if (exitCode)
            *exitCode = p.exitCode();
        else
            EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return std::make_pair(p.readAllStandardOutput(), p.readAllStandardError());
    };

    const QByteArray before = inspect({"show", "9"}).first;
    const QJsonObject shown = QJsonDocument::fromJson(before).object();
    EXPECT_EQ(shown["saveName"], "Forty-five");
    EXPECT_EQ(shown["frameCount"], 45);
    EXPECT_EQ(shown["frames"][20]["backgroundImageFile"], "bg-9-1-0.png");
    // The tool and the reader agree.
    EXPECT_EQ(before, inspect({"show", "9"}).first);
    QJsonObject loaded = saveToJson(load(9));
    loaded.insert("saveId", 9);
    loaded.insert("saveName", "Forty-five");
    EXPECT_SAME_JSON(shown, loaded);
    EXPECT_SAME_JSON(comparable(load(9)), snapshotToJson(s));

    ASSERT_TRUE(save(9, snapshotOf(load(9))));
    EXPECT_SAME_JSON(QJsonDocument::fromJson(inspect({"show", "9"}).first).object(), shown);

    const QString listed = QString::fromUtf8(inspect({"list"}).first);
    EXPECT_TRUE(listed.contains(QRegularExpression("9  Forty-five\\s+45\\s+3  ok")))
        << qPrintable(listed);

    int code = 0;
    const auto missing = inspect({"show", "12"}, &code);
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(missing.second.contains("save 12 does not exist")) << missing.second.data();
    QFile garbage(QDir(folder_).filePath("save-13.plist"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a property list");
    garbage.close();
    const auto unreadable = inspect({"show", "13"}, &code);
    EXPECT_EQ(code, 3);
    EXPECT_TRUE(unreadable.second.contains("save 13 cannot be read")) << unreadable.second.data();
}
