#include "ItemsTestSupport.h"

#include "TestSupport.h"
#include "engine/CCDirector.h"
#include "engine/CCTextureCache.h"

#include <QFile>

namespace {
QByteArray savedResources;
bool hadResources = false;
} // namespace

void ItemsTest::SetUpTestSuite() {
    hadResources = qEnvironmentVariableIsSet("KELVORA_RESOURCES");
    savedResources = qgetenv("KELVORA_RESOURCES");
    useResources(fixtureResources());
}

void ItemsTest::TearDownTestSuite() {
    if (hadResources)
        qputenv("KELVORA_RESOURCES", savedResources);
    else
        qunsetenv("KELVORA_RESOURCES");
    CCTextureCache::sharedTextureCache().removeAllTextures();
}

QString ItemsTest::fixtureResources() {
    return testsupport::fixturePath(QStringLiteral("items"));
}

QString ItemsTest::programResources() {
    const QString candidates[] = {
        QString::fromLocal8Bit(savedResources),
        QStringLiteral(KELVORA_TEST_FIXTURES "/../../build-art/resources")};
    for (const QString& dir : candidates)
        if (!dir.isEmpty() && QFile::exists(dir + QStringLiteral("/head.png")) &&
            QFile::exists(dir + QStringLiteral("/joint.png")))
            return dir;
    return QString();
}

void ItemsTest::useResources(const QString& folder) {
    qputenv("KELVORA_RESOURCES", folder.toLocal8Bit());
    // Pictures are cached by name; a name must not keep a picture from another folder.
    CCTextureCache::sharedTextureCache().removeAllTextures();
}

void ItemsTest::SetUp() {
    CCDirector::sharedDirector().setContentScaleFactor(1);
    useResources(fixtureResources());
}

void ItemsTest::TearDown() {
    CCDirector::sharedDirector().setContentScaleFactor(1);
}
