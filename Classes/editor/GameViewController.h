#pragma once

#include "document/Animation.h"
#include "document/Frame.h"
#include "editor/EditorActions.h"
#include "editor/Palettes.h"
#include "editor/SpeechBubbleEditController.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "platform/AlertView.h"
#include "platform/Timer.h"
#include "platform/widgets/ViewController.h"
#include "stage/FrameLayer.h"
#include "stage/StageController.h"
#include "stage/StagePresenter.h"

#include <QAbstractButton>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QUndoCommand;
class SceneView;
class ItemsLockController;
class SoundsController;
class SpeechBubble;
class SpeedSlider;

// The editor screen: the stage showing the animation, the toolbar and panels around it,
// playback and storage. The animation itself is the `Animation` model; every operation here is
// a call into it (edits as commands on its undo stack) plus what the screen shows of it.
class GameViewController : public platform::ViewController,
                           public StageController,
                           public PaletteDelegate,
                           public platform::AlertViewDelegate {
public:
    explicit GameViewController(QObject* parent = nullptr);
    ~GameViewController() override;

    Animation& animation() override { return animation_; }
    const Animation& animation() const { return animation_; }
    StagePresenter* presenter() const { return presenter_.get(); }
    EditorActions& actions() { return actions_; }

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
    // Pushes an edit of the animation on its undo stack.
    void pushCommand(QUndoCommand* command) override;
    void undo();
    void redo();

    Frame* currentFrame() const { return animation_.currentFrame(); }
    int currentFrameIndex() const { return animation_.currentFrameIndex(); }
    void setCurrentFrameIndex(int i) { animation_.setCurrentFrameIndexOnly(i); }
    const std::vector<std::shared_ptr<Frame>>& frames() const { return animation_.frames(); }
    int background() const { return animation_.background(); }
    const QImage& customBackgroundImage() const { return animation_.customBackgroundImage(); }
    void setCustomBackgroundImage(const QImage& p) { animation_.setCustomBackgroundImage(p); }

    bool isDirty() const { return animation_.isDirty(); }
    // Unchanged: what is there now counts as saved; changed: as not saved.
    void setDirty(bool dirty) override;

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
    bool isPlaying() const override { return isPlaying_; }
    platform::Timer* playTimer() const { return playTimer_.get(); }
    bool animationSpeedViewVisible() const { return animationSpeedViewVisible_; }

    // ---- toolbar ----
    // Raise or lower the whole toolbar by 100 points (around pose editing).
    void showToolbar();
    void hideToolbar();
    // Raise or lower it by the colour row's height.
    void showPaintToolbar();
    void hidePaintToolbar();
    void togglePaintToolbar();
    // Lowers the toolbar to its tab (the play button goes with it), or raises it back.
    void toggleToolbar(QObject* sender);
    bool toolbarHidden() const { return toolbarHidden_; }
    bool paintToolbarIsVisible() const { return paintToolbarIsVisible_; }
    QWidget* paintRow() const { return paintRow_; }
    // Slide a view to the screen's top edge, or just above it.
    void showView(QWidget* view, bool animated);
    void hideView(QWidget* view, bool animated);

    // ---- palettes and the basket ----
    // A new item of a palette entry (by its tag), or a new stick figure, as an undoable add.
    void addObject(int tag);
    void addWeapon(int tag);
    void addPlayer(QObject* sender);
    void toggleObjects(QObject* sender);
    void toggleWeapons(QObject* sender);
    void showObjects(bool animated);
    void hideObjects(bool animated);
    void showWeapons(bool animated);
    void hideWeapons(bool animated);
    void toggleBasket();
    void showBasket();
    void hideBasket();
    Palettes* palettes() const { return palettes_.get(); }

    // ---- other screens ----
    void showSounds() override;
    // The item-locks screen for the current frame's items.
    void showLocks() override;
    ItemsLockController* lockController() const { return lockController_; }

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
    // A load shows the current frame as soon as it is read and reads the rest behind it,
    // letting the event loop run. Work that needs every frame (playback, stepping past the
    // frames read, saving, export) goes through here: it runs at once when every frame is read,
    // else as soon as the load ends (the load runs on this thread, so nothing can wait for it
    // inside an event it handles).
    void whenAllFramesRead(std::function<void()> work);
    bool allFramesRead() const { return !loadingFrames_; }
    void close(QObject* sender);
    void doClose();

    int currentSaveId() const { return animation_.currentSaveId(); }
    void setCurrentSaveId(int id) { animation_.setCurrentSaveId(id); }
    int autoSaveId() const { return animation_.autoSaveId(); }
    void setAutoSaveId(int id) { animation_.setAutoSaveId(id); }
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
    QAbstractButton* cameraButton() const { return actions_.button(EditorActions::NewFrame); }
    QAbstractButton* pauseButton() const { return actions_.button(EditorActions::Play); }
    QWidget* animationSpeedView() const { return animationSpeedView_; }
    SpeedSlider* animationSpeedSlider() const { return animationSpeedSlider_; }
    QWidget* flashView() const { return flashView_; }
    SceneView* sceneView() const { return sceneView_; }
    SoundsController* soundsController() const { return soundsController_; }

    // The delete-frame question.
    void alertViewClickedButtonAtIndex(platform::AlertView& alert, int index) override;

    // ---- stage ----
    // The basket and the palettes, as the stage sees them (screen points).
    bool basketVisible() const override;
    bool basketContainsScreenPoint(Point screen) const override;
    bool shownPaletteContains(Point screen) const override;
    // A new text screen for the bubble; its Done is an undoable edit of the bubble's text.
    bool presentSpeechBubbleEditor(const std::shared_ptr<SpeechBubble>& bubble) override;
    void dismissSpeechBubbleEditor() override;
    SpeechBubbleEditController* speechBubbleEditor() const { return speechBubbleEditor_; }
    // Sets a bubble's text as one step of the undo stack (nothing when the text is the same).
    void setBubbleText(const std::shared_ptr<SpeechBubble>& bubble, const QString& text);
    // The item selected on the stage is deleted (the Delete key).
    void deleteSelectedItem();

protected:
    void loadView() override;
    void viewDidLoad() override;
    // The editor's keys, which work its buttons (see EditorActions).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar(QWidget* root);
    void buildToolbarToggles();
    void moveToolbarBy(int dy);
    void declareActions();
    void declareStageActions();
    void buildSpeedPanel(QWidget* root);
    void buildStoragePanels(QWidget* root);
    void buildScene();
    void buildPalettes();
    // Before another screen covers the stage: playback stops, the selection goes, drawing stops.
    void leaveStageForScreen();
    // Records the frame's background as the animation's last one shown, as stepping does.
    void noteFrameBackground(const Frame& frame, bool pictureFirst);
    void stepToFrame(int index);
    void discardFrames();
    void armSaveTimer(double seconds);
    void reportSaveFailure(int saveId, const QString& error);
    void reportLoadProblems(int saveId, bool found, const QString& lost);
    // The loading panel: all over the screen until the current frame is shown, then a strip
    // that counts the frames read over the stage.
    void showLoadProgress(int read, int expected);
    // Work that waits for the running save or load to end (a save asked for meanwhile, or
    // closing the editor), run in order as soon as it ends.
    void whenStorageIdle(std::function<void()> work);
    void runPendingStorageWork();
    QString saveNameForId(int saveId) const;

    Animation animation_;
    std::unique_ptr<StagePresenter> presenter_;
    std::unique_ptr<Palettes> palettes_;
    EditorActions actions_;

    // Storage. The generation changes whenever the animation is started, loaded or closed, so
    // that a save still running for the previous one leaves the new one alone.
    int generation_ = 0;
    bool isSaveInProgress_ = false;
    // A load is reading frames after the first; stopLoading_ ends it at the next frame.
    bool loadingFrames_ = false;
    bool stopLoading_ = false;
    bool isPresented_ = false;
    std::shared_ptr<platform::Timer> saveTimer_;
    std::vector<std::function<void()>> pendingStorageWork_;
    // The reason of the last failed save the user was told of; the same failure again (an
    // automatic save that keeps failing) is not reported again until a save succeeds.
    QString reportedSaveFailure_;

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
    QWidget* toolbarRow_ = nullptr;
    QWidget* paintRow_ = nullptr;
    bool toolbarHidden_ = false;
    bool paintToolbarIsVisible_ = false;
    QWidget* animationSpeedView_ = nullptr;
    SpeedSlider* animationSpeedSlider_ = nullptr;
    QWidget* flashView_ = nullptr;
    QWidget* savingView_ = nullptr;
    QWidget* loadingView_ = nullptr;
    QWidget* savingLabel_ = nullptr;
    QAbstractButton* closeButton_ = nullptr;
    SoundsController* soundsController_ = nullptr;
    ItemsLockController* lockController_ = nullptr;
    std::shared_ptr<platform::AlertView> deleteFrameAlert_;

    // Stage.
    QPointer<SpeechBubbleEditController> speechBubbleEditor_;

    // ---- pose editing ----
public:
    // The colour buttons' tags and their colours; black for any other tag.
    static constexpr int kFirstColorTag = 10001;
    static constexpr int kColorCount = 9;
    static hmnColor colorForTag(int tag);
    // The stage entered or left pose editing: the arrows and colours replace the toolbar.
    void beginEditingHuman() override;
    void endEditingHuman() override;
    void setHumanEditingControlsVisible(bool visible);
    void moveLeft(QObject* sender);
    void moveRight(QObject* sender);
    void moveUp(QObject* sender);
    void moveDown(QObject* sender);
    // Moves the posed figure by d, the camera with it, as one undoable step.
    void movePlayerBy(Point d);
    // A colour button (its "tag" property chooses the colour): the next figure a touch picks
    // or grabs gets the colour.
    void setPlayerColor(QObject* button);
    // Escape: leaves pose editing as a double tap on empty stage does.
    void leavePoseEditing();
    const std::vector<QAbstractButton*>& humanEditingControls() const {
        return humanEditingControls_;
    }

private:
    void declarePoseActions();
    void buildPoseControls(QWidget* root);
    std::vector<QAbstractButton*> humanEditingControls_;

    // ---- shooting ----
public:
    // The fire button: shooting mode on or off, its picture following. Nothing while a figure
    // is posed; from the button (a sender) not while playing or while a shot is in progress.
    void switchFire(QObject* sender);
    void switchFire() override { switchFire(nullptr); }
    // A shot started and has not ended: the frame commands wait for it.
    bool shotInProgress() const { return frameLayer_ && frameLayer_->isShotInProgress(); }
    // The collision question, one at a time; its answer goes to the stage.
    void askToContinueFiring() override;
    platform::AlertView* collisionAlert() const { return collisionAlert_.get(); }
    void shootingStateChanged() override;

private:
    void declareShootingActions();
    std::shared_ptr<platform::AlertView> collisionAlert_;

    // ---- shell ----
public:
    // The chooser the editor opens to change the current frame's background.
    class BackgroundChooser {
    public:
        virtual ~BackgroundChooser() = default;
        virtual void setChangeBackgroundBehaviour(bool change) = 0;
        virtual platform::ViewController* chooserScreen() = 0;
    };
    void setChangeBackgroundController(BackgroundChooser* c) { changeBackgroundController_ = c; }
    BackgroundChooser* changeBackgroundController() const { return changeBackgroundController_; }
    // Playback and the stage stop, and the chooser comes up in its change mode.
    void changeBackground();
    // The stage draws again once the chooser has gone.
    void resumeStage();
    // A new animation of one empty frame with this background (and picture), unchanged: the
    // background is part of starting it, not an edit.
    void startNewAnimation(int background, const QImage& picture = QImage());
    // Presented and not closed, or still on screen (its exit question is up): what the user was
    // working on when the program ends.
    bool isOnScreen() const;
    // At the program's end: playback stops, then unsaved changes are saved now.
    void saveForQuit();
    // After loadWithId: the identifiers and the frame the user was on, once the load is done.
    void restoreState(int currentSaveId, int autoSaveId, int frameIndex);

private:
    void declareShellActions();
    BackgroundChooser* changeBackgroundController_ = nullptr;

    // ---- export ----
public:
    // The Export action: the export screen over the editor (not while playing, posing or
    // exporting).
    void showExport();
    // Renders and writes the animation as the options say, once every frame has been read.
    // Frames are rendered in slices between which the event loop runs; encoding and writing
    // happen on a worker thread, so the editor keeps drawing.
    void startExport(const struct ExportOptions& options);
    void cancelExport();
    bool isExporting() const;
    class ExportDialog* exportDialog() const {
        return exportDialog_;
    }

private:
    void declareExportActions();
    void pumpExport();
    class ExportDialog* exportDialog_ = nullptr;
    std::shared_ptr<class Exporter> exporter_;
    class QTimer* exportTimer_ = nullptr;
};
