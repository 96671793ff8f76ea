#include "platform/Paths.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

// Sets an environment variable for the scope, restoring the previous value.
class EnvScope {
public:
    EnvScope(const char* name, const QString& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value.toUtf8());
    }
    ~EnvScope() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

} // namespace

TEST(Paths, HomeOverridePlacesDocumentsAndPreferences) {
    const QString home = testsupport::makeTempDir();
    EnvScope env("KELVORA_HOME", home);
    EXPECT_EQ(platform::homeOverride(), home);
    EXPECT_EQ(platform::documentsFolder(), home + "/Documents");
    EXPECT_TRUE(QFileInfo(home + "/Documents").isDir());
    EXPECT_EQ(platform::preferencesFolder(), home + "/Preferences");
    EXPECT_TRUE(QFileInfo(home + "/Preferences").isDir());
    EXPECT_EQ(platform::documentPath("save-1.plist"), home + "/Documents/save-1.plist");
}

TEST(Paths, WithoutOverrideUsesTheUserFolders) {
    const QString data = testsupport::makeTempDir();
    const QString config = testsupport::makeTempDir();
    EnvScope home("KELVORA_HOME", QString());
    EnvScope dataHome("XDG_DATA_HOME", data);
    EnvScope configHome("XDG_CONFIG_HOME", config);
    EXPECT_TRUE(platform::homeOverride().isEmpty());
    // Every program of the project, whatever its name, finds the same folders.
    const QString name = QCoreApplication::applicationName();
    for (const QString& program : {QString(), QStringLiteral("kelvora-inspect"), name}) {
        QCoreApplication::setApplicationName(program);
        EXPECT_EQ(platform::documentsFolder(), data + "/Kelvora/Kelvora/Documents");
        EXPECT_EQ(platform::preferencesFolder(), config + "/Kelvora/Kelvora");
    }
    QCoreApplication::setApplicationName(name);
    EXPECT_TRUE(QFileInfo(platform::documentsFolder()).isDir());
    EXPECT_TRUE(QFileInfo(platform::preferencesFolder()).isDir());
}

TEST(Paths, ResourcesHonourTheOverrideThenTheExecutable) {
    {
        EnvScope env("KELVORA_RESOURCES", "/some/where");
        EXPECT_EQ(platform::resourceFolder(), "/some/where");
        EXPECT_EQ(platform::resourcePath("hmn.png"), "/some/where/hmn.png");
    }
    EnvScope env("KELVORA_RESOURCES", QString());
    const QString exeDir = QCoreApplication::applicationDirPath();
    if (QFileInfo(exeDir + "/resources").isDir())
        EXPECT_EQ(platform::resourceFolder(), exeDir + "/resources");
    else
        EXPECT_EQ(platform::resourceFolder(), QDir::cleanPath(exeDir + "/../share/kelvora"));
}
