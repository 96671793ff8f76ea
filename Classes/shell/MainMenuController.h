#pragma once

#include "platform/widgets/ViewController.h"

class AboutController;
class LoadAnimationController;
class NavigationController;
class NewAnimationController;
class QPushButton;
class SettingsController;

// The first screen: a new animation, the saved ones, the settings and the about page.
class MainMenuController : public platform::ViewController {
public:
    explicit MainMenuController(QObject* parent = nullptr);

    void setNewAnimationController(NewAnimationController* c) { newAnimationController_ = c; }
    void setLoadAnimationController(LoadAnimationController* c) { loadAnimationController_ = c; }
    void setAboutController(AboutController* c) { aboutController_ = c; }
    void setSettingsController(SettingsController* c) { settingsController_ = c; }
    NewAnimationController* newAnimationController() const { return newAnimationController_; }
    LoadAnimationController* loadAnimationController() const { return loadAnimationController_; }
    // Made on first use of loadAnimation.
    NavigationController* loadNavigationController() const { return loadNavigationController_; }

    void newAnimation(QObject* sender);
    void loadAnimation(QObject* sender);
    void about(QObject* sender);
    void settings(QObject* sender);

    // Where the menu's buttons are, in points of the window (for the end-to-end script).
    static constexpr int kButtonX = 140, kButtonWidth = 200, kButtonHeight = 38;
    static constexpr int kFirstButtonY = 118, kButtonStep = 48;
    QPushButton* button(int i) const { return buttons_[i]; }

protected:
    void loadView() override;

private:
    NewAnimationController* newAnimationController_ = nullptr;
    LoadAnimationController* loadAnimationController_ = nullptr;
    AboutController* aboutController_ = nullptr;
    SettingsController* settingsController_ = nullptr;
    NavigationController* loadNavigationController_ = nullptr;
    QPushButton* buttons_[4] = {};
};
