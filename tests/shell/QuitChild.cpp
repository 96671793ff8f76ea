// The program as it runs, with an unsaved new animation of two frames on screen and a sound
// played (which starts the sound service), then waiting to be told to end. It says "ready" on
// standard output once it is.
#include "editor/GameViewController.h"
#include "shell/KelvoraAppDelegate.h"
#include "shell/MainMenuController.h"
#include "shell/NewAnimationController.h"
#include "sounds/SoundEffect.h"
#include "sounds/SoundManager.h"

#include <cstdio>

int main(int argc, char** argv) {
    return KelvoraAppDelegate::main(argc, argv, [](KelvoraAppDelegate& app) {
        app.mainMenuController()->newAnimation(nullptr);
        QObject castle;
        castle.setProperty("tag", 2);
        app.newAnimationController()->backgroundSelected(&castle);
        GameViewController* game = app.gameController();
        game->addPlayer(nullptr);
        game->snap(nullptr);
        SoundManager::sharedSoundMgr().soundWithFilename(QStringLiteral("Boing.aif"))->play();
        std::printf("ready\n");
        std::fflush(stdout);
    });
}
