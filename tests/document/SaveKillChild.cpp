// The saving side of the kill test (KillTest.cpp): saves animations over and over into
// $KELVORA_HOME the way the editor does (identifier reserved, files written, then the entry),
// announcing each step on stdout, until it is killed.
//
//   alloc N            identifier N was handed out to a new animation
//   begin N V          version V of save N is being written
//   done N V           version V of save N is on disk and listed
//
// Version V of save N has framesOf(N, V) frames and plays at speed 1 + V / 1000, which is how the
// test tells the versions apart.

#include "SaveKillShared.h"

#include "document/SaveReader.h"
#include "document/SaveWriter.h"
#include "document/SavesIndex.h"
#include "engine/CCTextureCache.h"
#include "platform/Paths.h"
#include "platform/UserDefaults.h"

#include <QGuiApplication>
#include <QRandomGenerator>

#include <clocale>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QGuiApplication app(argc, argv);
    CCTextureCache::setResourceLocator(&platform::resourcePath);
    std::setlocale(LC_NUMERIC, "C");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    const QString folder = platform::documentsFolder();
    platform::UserDefaults defaults(platform::preferencesFolder() +
                                    QStringLiteral("/defaults.plist"));
    SavesIndex index(defaults, folder);
    QRandomGenerator random(quint32(QCoreApplication::applicationPid()));

    for (;;) {
        const auto entries = index.entries();
        int id;
        int version;
        if (entries.isEmpty() || random.bounded(3) == 0) {
            QString error;
            id = index.allocateId(&error);
            if (id < 1) {
                std::fprintf(stderr, "allocate: %s\n", qPrintable(error));
                return 1;
            }
            std::printf("alloc %d\n", id);
            version = 0;
        } else {
            id = entries[int(random.bounded(entries.size()))].saveId;
            const SaveReader::Result r = SaveReader(id, folder).read(nullptr);
            version = killtest::versionOf(r) + 1;
        }
        std::printf("begin %d %d\n", id, version);
        QString error;
        if (!SaveWriter(id, folder).write(killtest::animation(id, version), nullptr, &error) ||
            !index.addEntry(id, killtest::nameOf(id), &error)) {
            std::fprintf(stderr, "save %d: %s\n", id, qPrintable(error));
            return 1;
        }
        std::printf("done %d %d\n", id, version);
    }
}
