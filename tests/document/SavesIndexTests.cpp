// The saves index: identifiers never name files on disk, a change counts once it is on disk, a
// damaged index is kept aside and rebuilt from the saves present, unlisted saves come back, and
// what an unfinished save left is cleared by the next save of any animation.

#include "SaveTestSupport.h"

#include "TestSupport.h"
#include "document/SaveFiles.h"
#include "document/SavesIndex.h"
#include "platform/UserDefaults.h"

#include <QDir>
#include <QFile>

using namespace savetest;

namespace {

void touch(const QString& path, const QByteArray& bytes = "x") {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path;
    f.write(bytes);
}

class SavesIndexTest : public SaveTest {
protected:
    QString defaultsPath() const { return home_ + "/Preferences/defaults.plist"; }
    // The defaults as the next start of the program reads them.
    std::unique_ptr<platform::UserDefaults> reopen() const {
        return std::make_unique<platform::UserDefaults>(defaultsPath());
    }
};

} // namespace

TEST_F(SavesIndexTest, NewIdentifiersAreAboveEverySaveFileAndNeverReused) {
    // Files of save sets name identifiers the index does not know, in every form they take.
    for (const char* name :
         {"save-7.plist", "save-3-pack-2.plist", "bg-9.jpg", "bg-11-0-3.png", "save-12.commit",
          ".~save-15-pack-1.plist.3fa9", "save-40.txt", "bg-x.png", "save-016.plist"})
        touch(QDir(folder_).filePath(name));
    auto defaults = reopen();
    defaults->setInteger(2, "maxSaveId");
    SavesIndex index(*defaults, folder_, SavesIndex::Mode::ReadOnly);
    EXPECT_EQ(index.maxSaveId(), 15);

    SavesIndex writable(*defaults, folder_);
    EXPECT_EQ(writable.allocateId(), 16);
    EXPECT_EQ(reopen()->integerForKey("maxSaveId"), 16) << "reserved on disk";
    ASSERT_TRUE(writable.addEntry(16, "Walk"));
    ASSERT_TRUE(writable.remove(16));
    EXPECT_EQ(writable.allocateId(), 17) << "a removed save's identifier is not handed out again";
    touch(QDir(folder_).filePath("save-30-pack-1.plist"));
    EXPECT_EQ(writable.allocateId(), 31);
}

TEST_F(SavesIndexTest, AChangeCountsOnlyOnceItIsOnDisk) {
    // The preferences folder cannot be made while a file stands where it should be.
    const QString blocker = home_ + "/Preferences";
    touch(blocker);
    platform::UserDefaults defaults(defaultsPath());
    SavesIndex index(defaults, folder_);

    QString error;
    EXPECT_EQ(index.allocateId(&error), -1);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(index.maxSaveId(), 0) << "nothing reserved that is not on disk";

    ASSERT_TRUE(QFile::remove(blocker));
    const int id = index.allocateId(&error);
    ASSERT_EQ(id, 1) << error;
    ASSERT_TRUE(save(id, animation(3)));

    ASSERT_TRUE(QDir(blocker).removeRecursively());
    touch(blocker);
    error.clear();
    EXPECT_FALSE(index.addEntry(id, "Walk", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(index.contains(id)) << "the entry is not listed while it is not on disk";

    ASSERT_TRUE(QFile::remove(blocker));
    ASSERT_TRUE(index.addEntry(id, "Walk", &error)) << error;
    ASSERT_TRUE(index.rename(id, "Run", &error)) << error;
    const auto fresh = reopen();
    EXPECT_EQ(SavesIndex(*fresh, folder_).entries(), (QVector<SavesIndex::Entry>{{1, "Run"}}));
    EXPECT_EQ(fresh->integerForKey("maxSaveId"), 1);
}

TEST_F(SavesIndexTest, ADamagedIndexIsKeptAsideAndRebuiltFromTheSavesPresent) {
    SaveSnapshot named = animation(2);
    named.name = "Walk";
    ASSERT_TRUE(save(1, named));
    ASSERT_TRUE(save(3, animation(25))); // saved before names were kept in the meta
    ASSERT_TRUE(save(12, named));
    {
        platform::UserDefaults defaults(defaultsPath());
        SavesIndex index(defaults, folder_);
        ASSERT_TRUE(index.addEntry(1, "Walk"));
        ASSERT_TRUE(index.addEntry(3, "Jump"));
        ASSERT_TRUE(index.addEntry(12, "Walk"));
        defaults.setBool(true, "autosave_enabled");
        ASSERT_TRUE(defaults.synchronize());
    }
    QFile file(defaultsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const QByteArray damaged = file.readAll().left(file.size() / 2);
    file.resize(damaged.size());
    file.close();

    auto defaults = reopen();
    SavesIndex index(*defaults, folder_);
    EXPECT_EQ(index.entries(), (QVector<SavesIndex::Entry>{
                                   {1, "Walk"}, {3, "Recovered animation 3"}, {12, "Walk"}}));
    EXPECT_TRUE(index.recoveryMessage().contains("rebuilt")) << index.recoveryMessage();
    const QString keptAs = defaults->damagedFileKeptAs();
    ASSERT_FALSE(keptAs.isEmpty());
    EXPECT_TRUE(index.recoveryMessage().contains(keptAs));
    QFile aside(keptAs);
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), damaged) << "kept as it was";
    EXPECT_FALSE(defaults->boolForKey("autosave_enabled")) << "settings go back to defaults";
    EXPECT_EQ(index.allocateId(), 13) << "never save 1 again";

    // The rebuilt list is on disk; a second damage keeps a second file, the first stays.
    EXPECT_EQ(SavesIndex(*reopen(), folder_).entries().size(), 3);
    touch(defaultsPath(), "<plist><dict>");
    auto again = reopen();
    SavesIndex(*again, folder_);
    EXPECT_NE(again->damagedFileKeptAs(), keptAs);
    EXPECT_TRUE(QFile::exists(keptAs));
}

TEST_F(SavesIndexTest, UnlistedSavesComeBackAndLeftoversGoAtTheNextSave) {
    // Save 4's files were committed, but the program stopped before its entry was written.
    SaveSnapshot named = animation(2);
    named.name = "Wave";
    ASSERT_TRUE(save(4, named));
    // Save 5 was stopped before its commit, save 6 right after it.
    for (auto [id, stopAt] : {std::pair{5, QString("commit")}, std::pair{6, QString("move")}}) {
        SaveWriter writer(id, folder_);
        writer.setStepHook([stopAt](const QString& step) { return !step.startsWith(stopAt); });
        EXPECT_FALSE(writer.write(animation(30), nullptr, nullptr));
    }
    ASSERT_TRUE(QFile::exists(QDir(folder_).filePath("save-6.commit")));

    auto defaults = reopen();
    SavesIndex index(*defaults, folder_);
    EXPECT_EQ(index.entries(),
              (QVector<SavesIndex::Entry>{{4, "Wave"}, {6, "Recovered animation 6"}}));
    EXPECT_TRUE(index.recoveryMessage().contains("2 saved animations")) << index.recoveryMessage();
    EXPECT_TRUE(SavesIndex(*reopen(), folder_).recoveryMessage().isEmpty()) << "written once";

    // Saving another animation finishes save 6 and removes what save 5 left.
    ASSERT_TRUE(save(9, animation(1)));
    for (const QString& name : filesIn(folder_)) {
        EXPECT_FALSE(name.startsWith(".~")) << name;
        EXPECT_FALSE(name.endsWith(".commit")) << name;
    }
    EXPECT_EQ(load(6).frames.size(), 30u);
    EXPECT_FALSE(load(5).indexExists);
}
