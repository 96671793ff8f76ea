#pragma once

#include "document/Frame.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "platform/AlertView.h"
#include "platform/Timer.h"
#include "platform/widgets/ViewController.h"
#include "stage/FrameLayer.h"
#include "stage/StageController.h"

#include <QAbstractButton>
#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class SceneView;
class SoundsController;
class SpeedSlider;

// The editor screen: the stage with its frames, the toolbar and panels around it, playback and
// the onion skin.
class GameViewController : public platform::ViewController,
                           public StageController,
                           public platform::AlertViewDelegate {
public:
    explicit GameViewController(QObject* parent = nullptr);
    ~GameViewController() override;

    // ---- frames ----
    // A sender is the control the user pressed; none when the program itself asks.
    void snap(QObject* sender);
    void nextFrame(QObject* sender);
    void prevFrame(QObject* sender);
    void setCurrentFrameAtIndex(int index);
    // Asks "Delete current frame?"; the answer arrives in alertViewClickedButtonAtIndex.
    void removeCurrentFrame(QObject* sender);
    void clearFrame();
    void clearAllFrames();
    // Asks whether the current items stay after the background was changed.
    void clearFrameRequest();
    void addSprite(const std::shared_ptr<CCSprite>& item) override;
    void removeSprite(CCSprite* item) override;
    void setAnimationBackground(int code);
    void setAnimationBackgroundImage(const QImage& picture);

    Frame* currentFrame() const { return currentFrame_; }
    int currentFrameIndex() const { return currentFrameIndex_; }
    void setCurrentFrameIndex(int i) { currentFrameIndex_ = i; }
    const std::vector<std::unique_ptr<Frame>>& frames() const { return frames_; }
    int background() const { return background_; }
    const QImage& customBackgroundImage() const { return customBackgroundImage_; }
    void setCustomBackgroundImage(const QImage& p) { customBackgroundImage_ = p; }

    bool isDirty() const { return isDirty_; }
    void setDirty(bool dirty) override { isDirty_ = dirty; }

    // ---- playback, onion skin, flash ----
    void play();
    void stop();
    void playPause(QObject* sender);
    void playStep();
    void animationSpeedValueChanged(QObject* sender);
    void toggleAnimationSpeedView(QObject* sender);
    void showAnimationSpeedView();
    void hideAnimationSpeedView();
    void setupShadow();
    void flash();
    bool isPlaying() const { return isPlaying_; }
    platform::Timer* playTimer() const { return playTimer_.get(); }
    bool animationSpeedViewVisible() const { return animationSpeedViewVisible_; }

    // ---- sounds ----
    void showSounds();

    // ---- saving, loading, closing ----
    // Resets the storage state for a new or loaded animation and starts drawing.
    void startScene();
    // The save button: saves under the current identifier, or asks for a name first.
    void saveClicked();
    void save();
    void saveWithName(const QString& name, bool inBackground);
    // Writes save N in steps between which the event loop runs. False when it failed (the
    // user is told) or could not start.
    bool saveInBackgroundWithId(int saveId);
    void saveTimerTick();
    void loadWithId(int saveId);
    void close(QObject* sender);
    void doClose();

    int currentSaveId() const { return currentSaveId_; }
    void setCurrentSaveId(int id) { currentSaveId_ = id; }
    int autoSaveId() const { return autoSaveId_; }
    void setAutoSaveId(int id) { autoSaveId_ = id; }
    bool isSaveInProgress() const { return isSaveInProgress_; }
    bool isPresented() const { return isPresented_; }
    void setPresented(bool v) { isPresented_ = v; }
    platform::Timer* saveTimer() const { return saveTimer_.get(); }
    QWidget* savingView() const { return savingView_; }
    QWidget* loadingView() const { return loadingView_; }
    QWidget* savingLabel() const { return savingLabel_; }
    QAbstractButton* closeButton() const { return closeButton_; }
    // The automatic save's period: "autosave_frequency", or 15 s when it is outside 10 to 30.
    static double autosavePeriod();

    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;

    // ---- scene and views ----
    CCScene* mainScene() const { return mainScene_.get(); }
    FrameLayer* frameLayer() const { return frameLayer_.get(); }
    CCLayerColor* backgroundLayer() const { return backgroundLayer_.get(); }
    CCLayerColor* shadowLayer() const { return shadowLayer_.get(); }
    QWidget* toolbar() const { return toolbar_; }
    QAbstractButton* cameraButton() const { return cameraButton_; }
    QAbstractButton* pauseButton() const { return pauseButton_; }
    QWidget* animationSpeedView() const { return animationSpeedView_; }
    SpeedSlider* animationSpeedSlider() const { return animationSpeedSlider_; }
    QWidget* flashView() const { return flashView_; }
    SceneView* sceneView() const { return sceneView_; }
    SoundsController* soundsController() const { return soundsController_; }

    // The delete-frame question.
    void alertViewClickedButtonAtIndex(platform::AlertView& alert, int index) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    // The editor's keys (see loadView), which work its buttons.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void repopulateStage();
    // Shows frame `index` (an out-of-range or the same index shows none new), then replays the
    // current frame's background and sounds.
    void stepToFrame(int index);
    // Opacity of the stage's items after a switch; limbs get `limbOpacity`.
    void setStageOpacity(uint8_t itemOpacity, uint8_t limbOpacity);
    uint8_t switchOpacity() const;
    void applyFrameBackground(const Frame& frame);
    void showBubbleLabels();
    void setFiguresShowJoints(bool show);
    void discardFrames();
    void armSaveTimer(double seconds);
    // Work that waits for the running save or load to end (a save asked for meanwhile, or
    // closing the editor), run in order as soon as it ends.
    void whenStorageIdle(std::function<void()> work);
    void runPendingStorageWork();
    QString saveNameForId(int saveId) const;

    // Document.
    std::vector<std::unique_ptr<Frame>> frames_;
    Frame* currentFrame_ = nullptr;
    int currentFrameIndex_ = -1;
    int background_ = 0;
    QImage customBackgroundImage_;
    bool isDirty_ = false;

    // Storage.
    int currentSaveId_ = -1;
    int autoSaveId_ = -1;
    bool isSaveInProgress_ = false;
    bool isPresented_ = false;
    std::shared_ptr<platform::Timer> saveTimer_;
    std::vector<std::function<void()>> pendingStorageWork_;

    // Scene.
    std::shared_ptr<CCScene> mainScene_;
    std::shared_ptr<FrameLayer> frameLayer_;
    std::shared_ptr<CCLayerColor> backgroundLayer_;
    std::shared_ptr<CCLayerColor> shadowLayer_;

    // Playback.
    bool isPlaying_ = false;
    std::shared_ptr<platform::Timer> playTimer_;
    bool animationSpeedViewVisible_ = false;

    // Views.
    QWidget* frameView_ = nullptr;
    SceneView* sceneView_ = nullptr;
    QWidget* toolbar_ = nullptr;
    QAbstractButton* cameraButton_ = nullptr;
    QAbstractButton* pauseButton_ = nullptr;
    QWidget* animationSpeedView_ = nullptr;
    SpeedSlider* animationSpeedSlider_ = nullptr;
    QWidget* flashView_ = nullptr;
    QWidget* savingView_ = nullptr;
    QWidget* loadingView_ = nullptr;
    QWidget* savingLabel_ = nullptr;
    QAbstractButton* closeButton_ = nullptr;
    SoundsController* soundsController_ = nullptr;
    std::shared_ptr<platform::AlertView> deleteFrameAlert_;
    std::vector<std::pair<QKeyCombination, QAbstractButton*>> keyButtons_;
};
