#include "base/Exception.h"
#include "document/SavesIndex.h"
#include "editor/GameViewController.h"
#include "engine/CCDirector.h"
#include "engine/CCTextureCache.h"
#include "platform/AlertView.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/SingleInstance.h"
#include "platform/widgets/Window.h"

#include <QApplication>
#include <QCommandLineParser>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

// Contract failures and other uncaught exceptions end the program after logging them; it never
// carries on in an unknown state.
[[noreturn]] void dieOf(const char* what) {
    qCCritical(platform::lcKelvora, "Fatal: %s", what);
    std::fflush(stderr);
    std::_Exit(70);
}

class KelvoraApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const ContractFailure& e) {
            dieOf((e.name() + ": " + e.what()).c_str());
        } catch (const std::exception& e) {
            dieOf(e.what());
        }
    }
};

// The window scale (device pixels per point): --scale N, else KELVORA_SCALE, else 2.
QByteArray windowScale(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (qstrcmp(argv[i], "--scale") == 0)
            return QByteArray(argv[i + 1]);
    const QByteArray env = qgetenv("KELVORA_SCALE");
    return env.isEmpty() ? QByteArray("2") : env;
}

} // namespace

int main(int argc, char** argv) {
    std::set_terminate([] { dieOf("terminate called"); });
    // Every widget and the stage scale together: the window is 480 × 320 points.
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", windowScale(argc, argv));
    QApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);

    KelvoraApplication app(argc, argv);

    CCTextureCache::setResourceLocator(&platform::resourcePath);
    // Numbers in files are written and read with a decimal point, whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setOrganizationName(QStringLiteral("Kelvora"));
    QApplication::setApplicationName(QStringLiteral("Kelvora"));
    QApplication::setApplicationVersion(QStringLiteral(KELVORA_VERSION));

    // One program per documents folder: a second start brings the first one forward and ends.
    platform::SingleInstance instance(platform::documentsFolder());
    const auto outcome = instance.start();
    if (outcome != platform::SingleInstance::Outcome::First) {
        std::fprintf(stderr, "%s\n", qPrintable(instance.message()));
        return outcome == platform::SingleInstance::Outcome::BroughtForward ? 0 : 1;
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Kelvora, a stick-figure animation editor"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(QStringLiteral("scale"),
                                        QStringLiteral("Device pixels per point (default 2)."),
                                        QStringLiteral("factor")));
    parser.process(app);

    qCInfo(platform::lcKelvora) << "Documents folder:" << platform::documentsFolder();

    platform::Window window;
    GameViewController editor;
    editor.view();
    CCDirector::sharedDirector().setDeviceOrientation(kCCDeviceOrientationPortrait);
    CCDirector::sharedDirector().setDisplayFPS(false);
    // A new, blank animation.
    editor.clearAllFrames();
    editor.setAnimationBackground(1);
    editor.startScene();
    window.setRootViewController(&editor);
    window.show();
    // A list of saves rebuilt from the files (its own file was damaged) says so once.
    if (const QString recovered = SavesIndex::shared().recoveryMessage(); !recovered.isEmpty())
        platform::AlertView::create(QStringLiteral("Saved animations recovered"), recovered,
                                    nullptr, QStringLiteral("OK"))
            ->show();
    instance.setActivationHandler([&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });

    // Quitting with unsaved changes saves them (to the animation's own save, or as a new
    // "Untitled" one) before the program ends.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&editor] {
        if (editor.isPresented())
            editor.saveTimerTick();
    });

    const int rc = app.exec();
    CCDirector& director = CCDirector::sharedDirector();
    director.end();
    director.setOpenGLView(nullptr);
    return rc;
}
