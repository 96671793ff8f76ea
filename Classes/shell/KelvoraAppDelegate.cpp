#include "shell/KelvoraAppDelegate.h"

#include "base/Exception.h"
#include "document/SavesIndex.h"
#include "editor/GameViewController.h"
#include "engine/CCDirector.h"
#include "engine/CCTextureCache.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/SingleInstance.h"
#include "platform/UserDefaults.h"
#include "platform/widgets/Window.h"
#include "shell/AboutController.h"
#include "shell/LoadAnimationController.h"
#include "shell/MainMenuController.h"
#include "shell/NewAnimationController.h"
#include "shell/QuitSignals.h"
#include "shell/SettingsController.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QShortcut>
#include <QTimer>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

const QString kLastState = QStringLiteral("lastState");
const QString kCurrentSaveId = QStringLiteral("currentSaveId");
const QString kAutoSaveId = QStringLiteral("autoSaveId");
const QString kCurrentFrameIndex = QStringLiteral("currentFrameIndex");

} // namespace

KelvoraAppDelegate::KelvoraAppDelegate() {
    // What the application's layout holds: the window, the menu and its screens, the editor
    // with a chooser of its own (the menu's always starts new animations).
    window_ = std::make_unique<platform::Window>();
    gameController_ = new GameViewController;
    mainMenuController_ = new MainMenuController;
    newAnimationController_ = new NewAnimationController;
    changeBackgroundController_ = new NewAnimationController;
    loadAnimationController_ = new LoadAnimationController;
    settingsController_ = new SettingsController;
    aboutController_ = new AboutController;
    newAnimationController_->setGameController(gameController_);
    changeBackgroundController_->setGameController(gameController_);
    gameController_->setChangeBackgroundController(changeBackgroundController_);
    loadAnimationController_->setGameController(gameController_);
    mainMenuController_->setNewAnimationController(newAnimationController_);
    mainMenuController_->setLoadAnimationController(loadAnimationController_);
    mainMenuController_->setSettingsController(settingsController_);
    mainMenuController_->setAboutController(aboutController_);
}

KelvoraAppDelegate::~KelvoraAppDelegate() {
    if (auto alert = resumeAlert_.lock())
        alert->setDelegate(nullptr);
    // The editor first, while the views it refers to still exist; the window last.
    delete gameController_;
    delete newAnimationController_;
    delete changeBackgroundController_;
    delete mainMenuController_;
    delete loadAnimationController_;
    delete settingsController_;
    delete aboutController_;
    CCDirector& director = CCDirector::sharedDirector();
    director.end();
    director.setOpenGLView(nullptr);
    window_.reset();
}

void KelvoraAppDelegate::applicationDidFinishLaunching() {
    qCInfo(platform::lcKelvora) << "Documents folder:" << platform::documentsFolder();
    qCInfo(platform::lcKelvora) << "Resources folder:" << platform::resourceFolder();
    CCDirector& director = CCDirector::sharedDirector();
    director.setDisplayFPS(false);
    director.setDeviceOrientation(kCCDeviceOrientationPortrait);
    window_->setRootViewController(mainMenuController_);
    window_->show();
    window_->activateWindow();

    // A list of saves rebuilt from the files (its own file was damaged) says so once.
    if (const QString recovered = SavesIndex::shared().recoveryMessage(); !recovered.isEmpty())
        platform::AlertView::create(QStringLiteral("Saved animations recovered"), recovered,
                                    nullptr, QStringLiteral("OK"))
            ->show();

    const QVariantMap state =
        platform::UserDefaults::standardUserDefaults().dictionaryForKey(kLastState);
    if (!state.isEmpty() &&
        (state.value(kCurrentSaveId).toInt() > 0 || state.value(kAutoSaveId).toInt() > 0)) {
        auto alert = platform::AlertView::create(
            QStringLiteral("Would you like to load the last animation?"), QString(), this,
            QStringLiteral("Cancel"), {QStringLiteral("Load")});
        resumeAlert_ = alert;
        alert->show();
    }
}

void KelvoraAppDelegate::alertViewDidDismissWithButtonIndex(platform::AlertView&, int index) {
    if (index != 1)
        return;
    const QVariantMap state =
        platform::UserDefaults::standardUserDefaults().dictionaryForKey(kLastState);
    if (state.isEmpty())
        return;
    const int currentSaveId = state.value(kCurrentSaveId).toInt();
    const int autoSaveId = state.value(kAutoSaveId).toInt();
    const int id = currentSaveId > 0 ? currentSaveId : autoSaveId;
    if (id <= 0)
        return;
    GameViewController* game = gameController_;
    game->view();
    mainMenuController_->topViewController()->presentModalViewController(game, false);
    const SavesIndex& saves = SavesIndex::shared();
    if (!saves.contains(id)) {
        // Deleted since: its identifiers would send later saves to files no entry lists.
        game->startNewAnimation(1);
        platform::AlertView::create(
            QStringLiteral("The last animation is gone"),
            QStringLiteral("It was deleted after the program last ended, so a new animation "
                           "was started."),
            nullptr, QStringLiteral("OK"))
            ->show();
        return;
    }
    game->startScene();
    game->loadWithId(id);
    game->restoreState(saves.contains(currentSaveId) ? currentSaveId : -1,
                       saves.contains(autoSaveId) ? autoSaveId : -1,
                       state.value(kCurrentFrameIndex).toInt());
}

void KelvoraAppDelegate::applicationWillTerminate() {
    platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    GameViewController* game = gameController_;
    if (!game->isOnScreen()) {
        defaults.removeObjectForKey(kLastState);
        defaults.synchronize();
        return;
    }
    game->saveForQuit();
    // Read after the save: a new automatic save is the one recorded.
    defaults.setObject(QVariantMap{{kCurrentSaveId, game->currentSaveId()},
                                   {kAutoSaveId, game->autoSaveId()},
                                   {kCurrentFrameIndex, game->currentFrameIndex()}},
                       kLastState);
    defaults.synchronize();
}

void KelvoraAppDelegate::applicationWillResignActive() {
    CCDirector::sharedDirector().pause();
}

void KelvoraAppDelegate::applicationDidBecomeActive() {
    CCDirector::sharedDirector().resume();
}

void KelvoraAppDelegate::applicationDidReceiveMemoryWarning() {
    CCTextureCache::sharedTextureCache().removeAllTextures();
}

void KelvoraAppDelegate::applicationSignificantTimeChange() {
    CCDirector::sharedDirector().setNextDeltaTimeZero(true);
}

// ---------------------------------------------------------------- the program

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

int KelvoraAppDelegate::main(int argc, char** argv,
                             const std::function<void(KelvoraAppDelegate&)>& launched) {
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
    QApplication::setDesktopFileName(QStringLiteral("kelvora"));

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

    // Every way of ending goes through the quit below: the menu key, closing the window, and
    // the signals a logout or `kill` sends.
    quitsignals::install([](int signal) {
        qCInfo(platform::lcKelvora, "Signal %d: quitting", signal);
        QCoreApplication::quit();
    });

    KelvoraAppDelegate delegate;
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate,
                     [&delegate] { delegate.applicationWillTerminate(); });
    QObject::connect(&app, &QGuiApplication::applicationStateChanged, &delegate,
                     [&delegate](Qt::ApplicationState state) {
                         if (state == Qt::ApplicationActive)
                             delegate.applicationDidBecomeActive();
                         else
                             delegate.applicationWillResignActive();
                     });
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), delegate.window());
    quit->setContext(Qt::ApplicationShortcut);
    QObject::connect(quit, &QShortcut::activated, &app, &QCoreApplication::quit);
    instance.setActivationHandler([&delegate] {
        delegate.window()->showNormal();
        delegate.window()->raise();
        delegate.window()->activateWindow();
    });

    delegate.applicationDidFinishLaunching();
    if (launched)
        QTimer::singleShot(0, &delegate, [&delegate, &launched] { launched(delegate); });
    return app.exec();
}
