#include "platform/UserDefaults.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

using platform::UserDefaults;

TEST(UserDefaults, WhatOneInstanceSynchronizesANewOneReads) {
    const QString path = testsupport::makeTempDir() + "/Preferences/defaults.plist";
    const QVariantList saves{QVariantMap{{"saveId", 1}, {"saveName", "Untitled"}},
                             QVariantMap{{"saveId", 3}, {"saveName", "Fight"}}};
    {
        UserDefaults defaults(path);
        defaults.setObject(saves, "saves");
        defaults.setInteger(3, "maxSaveId");
        defaults.setBool(true, "autosave_enabled");
        defaults.setFloat(12.7f, "autosave_frequency");
        defaults.setObject(QString("hello"), "greeting");
        defaults.setObject(
            QVariantMap{{"currentSaveId", -1}, {"autoSaveId", 3}, {"currentFrameIndex", 7}},
            "lastState");
        defaults.setInteger(5, "removed");
        defaults.removeObjectForKey("removed");
        EXPECT_TRUE(defaults.synchronize());
    }
    UserDefaults defaults(path);
    EXPECT_EQ(defaults.arrayForKey("saves").size(), 2);
    EXPECT_EQ(defaults.arrayForKey("saves")[1].toMap()["saveName"].toString(), "Fight");
    EXPECT_EQ(defaults.arrayForKey("saves")[1].toMap()["saveId"].toLongLong(), 3);
    EXPECT_EQ(defaults.integerForKey("maxSaveId"), 3);
    EXPECT_TRUE(defaults.boolForKey("autosave_enabled"));
    EXPECT_EQ(defaults.floatForKey("autosave_frequency"), 12.7f);
    EXPECT_EQ(defaults.stringForKey("greeting"), "hello");
    EXPECT_EQ(defaults.dictionaryForKey("lastState")["autoSaveId"].toLongLong(), 3);
    EXPECT_FALSE(defaults.objectForKey("removed").isValid());

    // Missing keys.
    EXPECT_FALSE(defaults.objectForKey("nothing").isValid());
    EXPECT_EQ(defaults.integerForKey("nothing"), 0);
    EXPECT_FALSE(defaults.boolForKey("nothing"));
    EXPECT_EQ(defaults.floatForKey("nothing"), 0.0f);
    EXPECT_TRUE(defaults.stringForKey("nothing").isEmpty());
    EXPECT_TRUE(defaults.arrayForKey("nothing").isEmpty());
    EXPECT_TRUE(defaults.dictionaryForKey("nothing").isEmpty());

    // Removing a key persists too.
    defaults.removeObjectForKey("lastState");
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_FALSE(UserDefaults(path).objectForKey("lastState").isValid());
}

TEST(UserDefaults, ReadsNumbersOfOtherKindsAndIgnoresWrongTypes) {
    UserDefaults defaults(testsupport::makeTempDir() + "/d.plist");
    defaults.setObject(3.9, "real");
    defaults.setObject(-3.9, "negativeReal");
    defaults.setInteger(2, "two");
    defaults.setInteger(0, "zero");
    defaults.setObject(QString("12"), "string");
    defaults.setObject(QVariantList{1}, "array");
    EXPECT_EQ(defaults.integerForKey("real"), 3);
    EXPECT_EQ(defaults.integerForKey("negativeReal"), -3);
    EXPECT_TRUE(defaults.boolForKey("two"));
    EXPECT_FALSE(defaults.boolForKey("zero"));
    EXPECT_TRUE(defaults.boolForKey("real"));
    EXPECT_EQ(defaults.floatForKey("two"), 2.0f);
    EXPECT_EQ(defaults.integerForKey("string"), 0);
    EXPECT_EQ(defaults.integerForKey("array"), 0);
    EXPECT_TRUE(defaults.arrayForKey("string").isEmpty());
    EXPECT_TRUE(defaults.dictionaryForKey("array").isEmpty());
    EXPECT_EQ(defaults.stringForKey("two"), "2");
}

TEST(UserDefaults, BadOrUnwritableFiles) {
    const QString dir = testsupport::makeTempDir();
    QFile bad(dir + "/bad.plist");
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("<plist><dict><key>a</key><integer>1</integer>"); // cut off
    bad.close();
    UserDefaults fromBad(bad.fileName());
    EXPECT_FALSE(fromBad.objectForKey("a").isValid());
    EXPECT_TRUE(fromBad.wasDamaged());
    // The damaged file is kept aside at the first write, never overwritten.
    fromBad.setInteger(2, "b");
    ASSERT_TRUE(fromBad.synchronize());
    QFile kept(fromBad.damagedFileKeptAs());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly)) << qPrintable(kept.fileName());
    EXPECT_EQ(kept.readAll(), "<plist><dict><key>a</key><integer>1</integer>");
    EXPECT_EQ(UserDefaults(bad.fileName()).integerForKey("b"), 2);

    // Nothing changed: nothing is written.
    UserDefaults unchanged(dir + "/unchanged.plist");
    EXPECT_TRUE(unchanged.synchronize());
    EXPECT_FALSE(QFile::exists(dir + "/unchanged.plist"));

    // The folder cannot be made (its parent is a regular file): reported, and kept pending.
    UserDefaults unwritable(bad.fileName() + "/sub/defaults.plist");
    unwritable.setInteger(1, "a");
    EXPECT_FALSE(unwritable.synchronize());
    EXPECT_EQ(unwritable.integerForKey("a"), 1);
}

TEST(UserDefaults, StandardStoreLivesInThePreferencesFolder) {
    UserDefaults::resetStandardUserDefaults();
    UserDefaults& standard = UserDefaults::standardUserDefaults();
    EXPECT_EQ(standard.filePath(), platform::preferencesFolder() + "/defaults.plist");
    EXPECT_TRUE(standard.filePath().startsWith(platform::homeOverride()));
    EXPECT_EQ(&standard, &UserDefaults::standardUserDefaults());

    standard.setInteger(11, "maxSaveId");
    ASSERT_TRUE(standard.synchronize());
    standard.setInteger(12, "unsynchronized");
    UserDefaults::resetStandardUserDefaults();
    EXPECT_EQ(UserDefaults::standardUserDefaults().integerForKey("maxSaveId"), 11);
    EXPECT_EQ(UserDefaults::standardUserDefaults().integerForKey("unsynchronized"), 0);
    UserDefaults::resetStandardUserDefaults();
}
