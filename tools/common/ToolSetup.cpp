#include "ToolSetup.h"

#include "engine/CCTextureCache.h"

#include "platform/Paths.h"

#include <QFile>

#include <clocale>

std::unique_ptr<QGuiApplication> startTool(int& argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Nothing is played: sounds are only named, or read from their files.
    qputenv("SDL_AUDIODRIVER", "dummy");
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    CCTextureCache::setResourceLocator(&platform::resourcePath);
    std::setlocale(LC_NUMERIC, "C");
    if (qEnvironmentVariableIsEmpty("KELVORA_RESOURCES") &&
        !QFile::exists(platform::resourcePath(QStringLiteral("head.png")))) {
        const QString built = QStringLiteral(KELVORA_TOOL_RESOURCES);
        if (QFile::exists(built + QStringLiteral("/head.png")))
            qputenv("KELVORA_RESOURCES", QFile::encodeName(built));
    }
    return app;
}
