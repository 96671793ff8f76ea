#include "shell/MainMenuController.h"

#include "engine/CCTextureCache.h"
#include "platform/Paths.h"
#include "shell/AboutController.h"
#include "shell/LoadAnimationController.h"
#include "shell/NavigationController.h"
#include "shell/NewAnimationController.h"
#include "shell/SettingsController.h"
#include "shell/ShellLook.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

MainMenuController::MainMenuController(QObject* parent) : platform::ViewController(parent) {}

void MainMenuController::loadView() {
    QWidget* page = shelllook::makePage(QStringLiteral("mainMenu"));
    page->setStyleSheet(
        page->styleSheet() +
        QStringLiteral("#menuTitle { font-size: 34px; font-weight: bold; color: #232323; }"
                       "#menuSubtitle { font-size: 12px; color: #6d6d72; }"
                       "#mainMenu QPushButton { font-size: 15px; background: white; "
                       "border: 1px solid #b9b9c0; border-radius: 8px; }"
                       "#mainMenu QPushButton:hover { background: #e6eef7; }"
                       "#mainMenu QPushButton:pressed { background: #cfdced; }"));
    auto* icon = new QLabel(page);
    QPixmap art(platform::resourcePath(CCTextureCache::hdName(QStringLiteral("menu-figure.png"))));
    art.setDevicePixelRatio(2);
    icon->setPixmap(art);
    icon->setGeometry(112, 22, 64, 80);
    auto* title = new QLabel(QStringLiteral("Kelvora"), page);
    title->setObjectName(QStringLiteral("menuTitle"));
    title->setGeometry(176, 30, 200, 44);
    auto* subtitle = new QLabel(QStringLiteral("Stick-figure animations, frame by frame"), page);
    subtitle->setObjectName(QStringLiteral("menuSubtitle"));
    subtitle->setGeometry(178, 74, 250, 18);

    const struct {
        const char* text;
        const char* name;
        void (MainMenuController::*action)(QObject*);
    } entries[] = {{"New Animation", "newAnimation", &MainMenuController::newAnimation},
                   {"Load Animation", "loadAnimation", &MainMenuController::loadAnimation},
                   {"Settings", "settings", &MainMenuController::settings},
                   {"About", "about", &MainMenuController::about}};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(entries[i].text), page);
        b->setObjectName(QString::fromLatin1(entries[i].name));
        b->setGeometry(kButtonX, kFirstButtonY + i * kButtonStep, kButtonWidth, kButtonHeight);
        QObject::connect(b, &QPushButton::clicked, this,
                         [this, b, action = entries[i].action] { (this->*action)(b); });
        buttons_[i] = b;
    }
    setView(page);
}

void MainMenuController::newAnimation(QObject*) {
    if (!newAnimationController_)
        return;
    // The menu's chooser always starts new animations.
    newAnimationController_->setChangeBackgroundBehaviour(false);
    presentModalViewController(newAnimationController_, true);
}

void MainMenuController::loadAnimation(QObject*) {
    if (!loadAnimationController_)
        return;
    if (!loadNavigationController_)
        loadNavigationController_ = new NavigationController(loadAnimationController_, this);
    presentModalViewController(loadNavigationController_, true);
}

void MainMenuController::about(QObject*) {
    if (aboutController_)
        presentModalViewController(aboutController_, true);
}

void MainMenuController::settings(QObject*) {
    if (settingsController_)
        presentModalViewController(settingsController_, true);
}
