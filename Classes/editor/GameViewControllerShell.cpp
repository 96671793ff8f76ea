// What the application shell asks of the editor: the background chooser in change mode, new
// animations, and the state kept across the program's end.
#include "editor/GameViewController.h"

#include "engine/CCDirector.h"

void GameViewController::declareShellActions() {
    actions_.declare(EditorActions::ChangeBackground, {QStringLiteral("Change the background"),
                                                       QStringLiteral("icon-background.png"),
                                                       {Qt::Key_G},
                                                       [this](QObject*) { changeBackground(); },
                                                       [this] {
                                                           return changeBackgroundController_ !=
                                                                  nullptr;
                                                       }});
}

void GameViewController::changeBackground() {
    if (!changeBackgroundController_)
        return;
    leaveStageForScreen();
    changeBackgroundController_->setChangeBackgroundBehaviour(true);
    presentModalViewController(changeBackgroundController_->chooserScreen(), true);
}

void GameViewController::resumeStage() {
    CCDirector::sharedDirector().startAnimation();
    if (isViewLoaded() && platform::AlertView::visibleAlerts().empty())
        view()->setFocus();
}

void GameViewController::startNewAnimation(int background, const QImage& picture) {
    view();
    clearAllFrames();
    setAnimationBackground(background);
    if (!picture.isNull())
        setAnimationBackgroundImage(picture);
    // Last: it makes what is there now the unchanged state, background included.
    startScene();
}

bool GameViewController::isOnScreen() const {
    return isPresented_ || parentViewController() != nullptr;
}

void GameViewController::saveForQuit() {
    // The automatic save step skips an animation that is playing.
    if (isPlaying_)
        stop();
    saveTimerTick();
}

void GameViewController::restoreState(int currentSaveId, int autoSaveId, int frameIndex) {
    // Loading may still be going on; the state applies to what it loaded.
    whenStorageIdle([this, currentSaveId, autoSaveId, frameIndex] {
        animation_.setCurrentSaveId(currentSaveId);
        animation_.setAutoSaveId(autoSaveId);
        setCurrentFrameAtIndex(frameIndex);
    });
}
