// Shared main of the benchmark programs: offscreen Qt, dummy audio, a scratch KELVORA_HOME.
#include "engine/CCTextureCache.h"
#include "platform/Paths.h"
#include <benchmark/benchmark.h>

#ifdef KELVORA_BENCH_WIDGETS
#include <QApplication>
using BenchApplication = QApplication;
#else
#include <QGuiApplication>
using BenchApplication = QGuiApplication;
#endif
#include <QTemporaryDir>

#include <clocale>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    QTemporaryDir home;
    qputenv("KELVORA_HOME", home.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("KELVORA_RESOURCES"))
        qputenv("KELVORA_RESOURCES", KELVORA_BENCH_RESOURCES);
    BenchApplication app(argc, argv);
    CCTextureCache::setResourceLocator(&platform::resourcePath);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
