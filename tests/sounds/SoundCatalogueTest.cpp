#include "sounds/SoundEffect.h"
#include "sounds/SoundManager.h"

#include "SoundTestFiles.h"
#include "TestSupport.h"
#include "base/Exception.h"
#include "platform/Paths.h"
#include "platform/Sound.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

using soundtest::kCatalogueOrder;
using soundtest::LogCapture;

namespace {

// One generated set of the 59 files, shared by the tests that need a whole catalogue.
const QString& catalogueFolder() {
    static const QString folder = soundtest::makeCatalogueFolder();
    return folder;
}

} // namespace

TEST(SoundCatalogue, TitlesSortCaseInsensitivelyCharacterByCharacter) {
    const QStringList titles = SoundManager::catalogueTitles();
    ASSERT_EQ(titles.size(), 59);
    EXPECT_EQ(titles, kCatalogueOrder);
    EXPECT_EQ(titles[0], "Body Hit Weapon");
    EXPECT_EQ(titles[20], "Guitar lick");
    EXPECT_EQ(titles[21], "Guitar Loop");
    EXPECT_EQ(titles[58], "Zip");

    EXPECT_TRUE(SoundManager::titleLessThan("Gun Shot 357 Magnum", "Gun Shot 44 Magnum"));
    EXPECT_TRUE(SoundManager::titleLessThan("Punch - Big", "Punch Face Hit"));
    EXPECT_TRUE(SoundManager::titleLessThan("Splat", "Splat 2"));
    EXPECT_FALSE(SoundManager::titleLessThan("Splat 2", "Splat"));
    // A plain comparison would put the capital first.
    EXPECT_TRUE(SoundManager::titleLessThan("Guitar lick", "Guitar Loop"));
    EXPECT_FALSE(SoundManager::titleLessThan("Kiss", "Kiss"));
}

TEST(SoundEffect, LoadsAFileAndKeepsItsLastPathComponent) {
    const QString path = QDir(catalogueFolder()).filePath("Kiss.aif");
    auto effect = SoundEffect::soundEffectWithContentsOfFile(path);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->fileName(), "Kiss.aif");
    EXPECT_TRUE(effect->isLoaded());

    auto silent = SoundEffect::silentEffectNamed("Gone.aif");
    EXPECT_EQ(silent->fileName(), "Gone.aif");
    EXPECT_FALSE(silent->isLoaded());

    // Plays are observable, silent ones included.
    QStringList played;
    SoundEffect::setPlayListener([&](const SoundEffect& e) { played << e.fileName(); });
    effect->play();
    silent->play();
    effect->play();
    SoundEffect::setPlayListener(nullptr);
    effect->play();
    EXPECT_EQ(played, QStringList({"Kiss.aif", "Gone.aif", "Kiss.aif"}));
}

TEST(SoundEffect, PathsThatNameNoFileFailWithTheirMessages) {
    const QString folder = testsupport::makeTempDir();
    LogCapture log;
    EXPECT_EQ(SoundEffect::soundEffectWithContentsOfFile(QString()), nullptr);
    EXPECT_EQ(SoundEffect::soundEffectWithContentsOfFile(""), nullptr);
    EXPECT_TRUE(log.warnings().isEmpty());

    EXPECT_EQ(SoundEffect::soundEffectWithContentsOfFile(folder), nullptr);
    EXPECT_EQ(SoundEffect::soundEffectWithContentsOfFile(folder + "/"), nullptr);

    const QString missing = folder + "/Missing.aif";
    EXPECT_EQ(SoundEffect::soundEffectWithContentsOfFile(missing), nullptr);
    const QString deep = soundtest::writeAiff(folder + "/Deep.aif", 0.05, 24);
    EXPECT_EQ(SoundEffect::soundEffectWithContentsOfFile(deep), nullptr);

    EXPECT_EQ(log.warnings(), QStringList({"NSURL is nil for path: " + folder,
                                           "NSURL is nil for path: " + folder + "/",
                                           QStringLiteral("Error %1 loading sound at path: %2")
                                               .arg(platform::SoundFileUnreadable)
                                               .arg(missing),
                                           QStringLiteral("Error %1 loading sound at path: %2")
                                               .arg(platform::SoundDataUnsupported)
                                               .arg(deep)}));
}

TEST(SoundCatalogue, HoldsOneLoadedEffectPerTitleInOrder) {
    LogCapture log;
    auto catalogue = SoundManager::catalogueInFolder(catalogueFolder());
    EXPECT_TRUE(log.warnings().isEmpty()) << log.warnings().join("\n").toStdString();
    EXPECT_EQ(catalogue->soundTitles(), kCatalogueOrder);
    ASSERT_EQ(catalogue->sounds().size(), 59u);
    for (int i = 0; i < 59; ++i) {
        const auto& effect = catalogue->sounds()[size_t(i)];
        EXPECT_EQ(effect->fileName(), kCatalogueOrder[i] + ".aif");
        EXPECT_TRUE(effect->isLoaded()) << i;
        EXPECT_EQ(catalogue->indexOfSound(effect.get()), i);
    }
    EXPECT_EQ(catalogue->indexOfSound(nullptr), -1);
    auto stranger = SoundEffect::silentEffectNamed("Zip.aif");
    EXPECT_EQ(catalogue->indexOfSound(stranger.get()), -1);

    EXPECT_EQ(catalogue->soundWithFilename("Zip.aif"), catalogue->sounds()[58]);
    EXPECT_EQ(catalogue->soundWithFilename("Splat 2.aif"), catalogue->sounds()[47]);
    EXPECT_EQ(catalogue->soundWithFilename("zip.aif"), nullptr);
    EXPECT_EQ(catalogue->soundWithFilename("Zip"), nullptr);
    EXPECT_EQ(catalogue->soundWithFilename(""), nullptr);

    // Effects stay usable after their catalogue is gone, as frames may still hold them.
    auto zip = catalogue->sounds()[58];
    catalogue.reset();
    zip->play();
}

TEST(SoundCatalogue, AFileThatCannotLoadKeepsItsPlaceAsASilentEffect) {
    const QString folder = soundtest::makeCatalogueFolder({"Kiss"});
    const QString laser = soundtest::writeAiff(folder + "/Laser.aif", 0.05, 24);
    LogCapture log;
    auto catalogue = SoundManager::catalogueInFolder(folder);
    EXPECT_EQ(log.warnings(), QStringList({QStringLiteral("Error %1 loading sound at path: %2")
                                               .arg(platform::SoundFileUnreadable)
                                               .arg(folder + "/Kiss.aif"),
                                           QStringLiteral("Error %1 loading sound at path: %2")
                                               .arg(platform::SoundDataUnsupported)
                                               .arg(laser)}));
    ASSERT_EQ(catalogue->sounds().size(), 59u);
    const auto& kiss = catalogue->sounds()[29];
    EXPECT_EQ(kiss->fileName(), "Kiss.aif");
    EXPECT_FALSE(kiss->isLoaded());
    kiss->play();
    EXPECT_EQ(catalogue->sounds()[31]->fileName(), "Laser.aif");
    EXPECT_FALSE(catalogue->sounds()[31]->isLoaded());
    EXPECT_TRUE(catalogue->sounds()[30]->isLoaded());
    EXPECT_EQ(catalogue->soundWithFilename("Kiss.aif"), kiss);
    EXPECT_EQ(catalogue->indexOfSound(kiss.get()), 29);
    EXPECT_EQ(catalogue->soundForRecord({{"soundIndex", 29}}), kiss);
}

TEST(SoundCatalogue, StoredRecordsFindTheirEffect) {
    auto catalogue = SoundManager::catalogueInFolder(catalogueFolder());
    const auto& sounds = catalogue->sounds();
    const auto zip = sounds[58];
    const auto bonk = sounds[3];
    ASSERT_EQ(bonk->fileName(), "Bonk Twang.aif");

    // The file name wins over the index.
    EXPECT_EQ(catalogue->soundForRecord({{"soundFileName", "Zip.aif"}, {"soundIndex", 3}}), zip);
    EXPECT_EQ(catalogue->soundForRecord({{"soundIndex", 3}}), bonk);
    EXPECT_EQ(catalogue->soundForRecord({{"soundIndex", 0}}), sounds[0]);
    EXPECT_EQ(catalogue->soundForRecord({{"soundIndex", 58}}), zip);
    EXPECT_EQ(catalogue->soundForRecord({{"soundIndex", qlonglong(3)}}), bonk);
    EXPECT_EQ(catalogue->soundForRecord({{"soundIndex", 3u}}), bonk);
    EXPECT_EQ(catalogue->soundForRecord({{"soundIndex", 3.0}}), bonk);
    EXPECT_EQ(catalogue->soundForRecord({{"className", "Sound"}, {"soundIndex", 3}}), bonk);

    // An unknown name is not rescued by the index.
    EXPECT_EQ(catalogue->soundForRecord({{"soundFileName", "zip.aif"}, {"soundIndex", 3}}),
              nullptr);
    EXPECT_EQ(catalogue->soundForRecord({{"soundFileName", "Gone.aif"}}), nullptr);
    // A name of the wrong type counts as missing.
    EXPECT_EQ(catalogue->soundForRecord({{"soundFileName", 58}, {"soundIndex", 3}}), bonk);
    EXPECT_EQ(
        catalogue->soundForRecord({{"soundFileName", QVariantList{"Zip.aif"}}, {"soundIndex", 3}}),
        bonk);

    const QVariant badIndices[] = {
        -1,
        59,
        1e9,
        qlonglong(1) << 40,
        std::numeric_limits<qulonglong>::max(),
        std::numeric_limits<qlonglong>::min(),
        "3",
        3.5,
        -0.5,
        std::nan(""),
        std::numeric_limits<double>::infinity(),
        true,
        QVariant(),
        QVariantList{3},
        QVariantMap{{"soundIndex", 3}},
    };
    for (const QVariant& index : badIndices) {
        EXPECT_EQ(catalogue->soundForRecord({{"soundIndex", index}}), nullptr)
            << index.typeName() << " " << index.toString().toStdString();
    }
    EXPECT_EQ(catalogue->soundForRecord({}), nullptr);
}

TEST(SoundCatalogue, EveryShippedSoundLoads) {
    const QString folder = platform::resourceFolder();
    QStringList missing;
    for (const QString& title : kCatalogueOrder) {
        if (!QFileInfo::exists(QDir(folder).filePath(title + ".aif")))
            missing << title;
    }
    if (!missing.isEmpty())
        GTEST_SKIP() << "The resource folder " << folder.toStdString() << " lacks "
                     << missing.size() << " of the 59 sound files (first: \""
                     << missing.first().toStdString() << ".aif\")";
    LogCapture log;
    auto catalogue = SoundManager::catalogueInFolder(folder);
    EXPECT_TRUE(log.warnings().isEmpty()) << log.warnings().join("\n").toStdString();
    for (const auto& effect : catalogue->sounds())
        EXPECT_TRUE(effect->isLoaded()) << effect->fileName().toStdString();
}

// The shared catalogue lives until the program ends, so everything about it is checked here.
TEST(SoundCatalogue, TheSharedCatalogueIsTheOnlyProgramCatalogue) {
    // Built from the resource folder; point it at complete files for the first use.
    const QByteArray resources = qgetenv("KELVORA_RESOURCES");
    qputenv("KELVORA_RESOURCES", catalogueFolder().toUtf8());

    // A first use from several threads at once still builds one catalogue.
    std::vector<const SoundManager*> seen(4, nullptr);
    {
        LogCapture log;
        std::vector<std::thread> threads;
        for (auto& slot : seen)
            threads.emplace_back([&slot] { slot = &SoundManager::sharedSoundMgr(); });
        for (auto& thread : threads)
            thread.join();
    }
    qputenv("KELVORA_RESOURCES", resources);

    const SoundManager* shared = &SoundManager::sharedSoundMgr();
    for (const SoundManager* s : seen)
        EXPECT_EQ(s, shared);
    ASSERT_EQ(shared->sounds().size(), 59u);
    EXPECT_EQ(shared->soundWithFilename("Zip.aif"), shared->sounds()[58]);

    try {
        SoundManager second;
        ADD_FAILURE() << "a second program catalogue was built";
    } catch (const ContractFailure& failure) {
        EXPECT_STREQ(failure.what(), "Attempted to allocate a second instance of a singleton.");
    }
    EXPECT_EQ(&SoundManager::sharedSoundMgr(), shared);

    // Catalogues of other folders are separate objects, outside the rule.
    auto other = SoundManager::catalogueInFolder(catalogueFolder());
    EXPECT_NE(other.get(), shared);
    EXPECT_NE(other->sounds()[0], shared->sounds()[0]);
}
