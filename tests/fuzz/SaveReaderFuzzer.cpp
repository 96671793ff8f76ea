// libFuzzer target: the save reader over a documents folder made from each input (see
// SaveFuzzInput.h). Seeds: tests/fixtures/saves/corpus.

#include "SaveFuzzInput.h"
#include "engine/CCTextureCache.h"
#include "platform/Paths.h"

#include "document/PictureLedger.h"
#include "document/SaveInspector.h"
#include "document/SaveReader.h"
#include "document/SavesIndex.h"
#include "platform/UserDefaults.h"
#include "sounds/SoundManager.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <clocale>
#include <cstdint>
#include <cstdlib>

namespace {

QString folder;

void emptyFolder() {
    QDir dir(folder);
    // Links and pipes too (a link is removed, never what it leads to).
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        dir.remove(name);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("KELVORA_RESOURCES", KELVORA_FUZZ_RESOURCES, 0);
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/kelvora-fuzz-XXXXXX"));
    setenv("KELVORA_HOME", home.path().toLocal8Bit().constData(), 1);
    static int argc = 1;
    static char name[] = "save_reader_fuzzer";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    CCTextureCache::setResourceLocator(&platform::resourcePath);
    std::setlocale(LC_NUMERIC, "C");
    SoundManager::sharedSoundMgr();
    folder = home.path() + QStringLiteral("/Documents");
    QDir().mkpath(folder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    emptyFolder();
    PictureLedger::shared().clear();
    savefuzz::unpack(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)),
                     folder);
    SaveReader reader(savefuzz::kSaveId, folder);
    reader.setMemoryBudget(savefuzz::kMemoryBudget);
    const SaveReader::Result r = reader.read([] {});
    saveToJson(r);
    reader.summarize();
    reader.summarize(savefiles::listFolder(folder));
    // The saves index over the input's user defaults, as a tool sees it (nothing is written).
    platform::UserDefaults defaults(folder + QStringLiteral("/defaults.plist"));
    const SavesIndex index(defaults, folder, SavesIndex::Mode::ReadOnly);
    for (const SavesIndex::Entry& e : index.entries())
        index.nameOf(e.saveId);
    return 0;
}
