#include "engine/CCTextureCache.h"
#include "platform/Paths.h"
#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QTemporaryDir>
#include <clocale>

#ifdef KELVORA_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QTemporaryDir home;
    qputenv("KELVORA_HOME", home.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("KELVORA_RESOURCES"))
        qputenv("KELVORA_RESOURCES", KELVORA_TEST_RESOURCES);

    TestApplication app(argc, argv);

    CCTextureCache::setResourceLocator(&platform::resourcePath);
    // Diagnostics of the kind the program logs as it works are noise in test output.
    QLoggingCategory::setFilterRules(QStringLiteral("kelvora.info=false"));
    // Qt sets the C locale from the environment; numbers in files must not follow it.
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
