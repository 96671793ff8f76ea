#pragma once

#include "platform/AlertView.h"

#include <QObject>

#include <functional>
#include <memory>

class AboutController;
class GameViewController;
class LoadAnimationController;
class MainMenuController;
class NewAnimationController;
class SettingsController;
namespace platform {
class Window;
}

// The application: builds its screens (the window, the main menu and the screens it opens, the
// editor and the editor's own background chooser), starts from the main menu, offers to load
// the animation that was open when the program last ended, and records it when it ends.
class KelvoraAppDelegate : public QObject, public platform::AlertViewDelegate {
public:
    KelvoraAppDelegate();
    ~KelvoraAppDelegate() override;

    // Runs the program: the application object, one program per documents folder, this
    // delegate and the event loop. `launched` runs once start-up is done (test programs).
    static int main(int argc, char** argv,
                    const std::function<void(KelvoraAppDelegate&)>& launched = {});

    void applicationDidFinishLaunching();
    // The answer to the resume question: "Load" (1) opens the recorded animation.
    void alertViewDidDismissWithButtonIndex(platform::AlertView& alert, int index) override;
    // Records the open animation in "lastState" (saving its changes first), or removes the
    // record when no animation is open.
    void applicationWillTerminate();
    void applicationWillResignActive();
    void applicationDidBecomeActive();
    void applicationDidReceiveMemoryWarning();
    void applicationSignificantTimeChange();

    platform::Window* window() const { return window_.get(); }
    MainMenuController* mainMenuController() const { return mainMenuController_; }
    GameViewController* gameController() const { return gameController_; }
    NewAnimationController* newAnimationController() const { return newAnimationController_; }
    NewAnimationController* changeBackgroundController() const {
        return changeBackgroundController_;
    }
    LoadAnimationController* loadAnimationController() const { return loadAnimationController_; }
    SettingsController* settingsController() const { return settingsController_; }
    AboutController* aboutController() const { return aboutController_; }
    // The resume question while it is up.
    std::shared_ptr<platform::AlertView> resumeAlert() const { return resumeAlert_.lock(); }

private:
    std::unique_ptr<platform::Window> window_;
    MainMenuController* mainMenuController_ = nullptr;
    GameViewController* gameController_ = nullptr;
    NewAnimationController* newAnimationController_ = nullptr;
    NewAnimationController* changeBackgroundController_ = nullptr;
    LoadAnimationController* loadAnimationController_ = nullptr;
    SettingsController* settingsController_ = nullptr;
    AboutController* aboutController_ = nullptr;
    std::weak_ptr<platform::AlertView> resumeAlert_;
};
