#include "editor/GameViewController.h"

#include "document/Commands.h"
#include "document/SaveFormat.h"
#include "editor/EditorLayout.h"
#include "editor/ItemsLockController.h"
#include "editor/SoundsController.h"
#include "editor/SpeedSlider.h"
#include "engine/CCDirector.h"
#include "engine/CCLabelTTF.h"
#include "items/Hmn.h"
#include "platform/Log.h"
#include "platform/widgets/SceneView.h"
#include "platform/widgets/ViewAnimation.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

using namespace editorlayout;

GameViewController::GameViewController(QObject* parent) : platform::ViewController(parent) {
    QObject::connect(&animation_.undoStack(), &QUndoStack::indexChanged, this,
                     [this] { actions_.refreshEnabled(); });
}

GameViewController::~GameViewController() {
    // The undo stack empties as the animation goes, after the actions and the stage: nothing
    // may ask them what is enabled then.
    QObject::disconnect(&animation_.undoStack(), nullptr, this, nullptr);
    if (playTimer_)
        playTimer_->invalidate();
    if (saveTimer_)
        saveTimer_->invalidate();
    if (deleteFrameAlert_)
        deleteFrameAlert_->setDelegate(nullptr);
    if (frameLayer_)
        frameLayer_->setGameController(nullptr);
    palettes_.reset();
    presenter_.reset();
    CCDirector& director = CCDirector::sharedDirector();
    if (director.runningScene() == mainScene_.get())
        director.end();
    if (director.openGLView() == sceneView_)
        director.setOpenGLView(nullptr);
}

// ---------------------------------------------------------------- views

void GameViewController::loadView() {
    auto* root = new QWidget;
    root->setObjectName(QStringLiteral("editor"));
    root->resize(kScreenWidth, kScreenHeight);

    frameView_ = new QWidget(root);
    frameView_->setGeometry(0, 0, kScreenWidth, kScreenHeight);
    sceneView_ = new SceneView(frameView_);
    sceneView_->move(0, 0);

    declareActions();
    buildToolbar(root);
    buildPoseControls(root);
    // Clicking anywhere on the editor gives it the keyboard (its buttons never take it).
    root->setFocusPolicy(Qt::StrongFocus);
    root->installEventFilter(this);
    buildSpeedPanel(root);

    flashView_ = new QWidget(root);
    flashView_->setObjectName(QStringLiteral("flash"));
    flashView_->setAttribute(Qt::WA_TransparentForMouseEvents);

    buildStoragePanels(root);

    soundsController_ = new SoundsController(this);
    lockController_ = new ItemsLockController(this);
    soundsController_->setFrameSounds = [this](Frame* frame, auto sounds) {
        animation_.push(new FrameSoundsCommand(animation_, frame, std::move(sounds)));
    };
    actions_.refreshEnabled();
    setView(root);
}

void GameViewController::declareActions() {
    using A = EditorActions;
    using Keys = std::vector<QKeyCombination>;
    auto add = [this](A::Id id, const char* title, const char* icon, Keys keys,
                      std::function<void(QObject*)> run, std::function<bool()> enabled = {}) {
        actions_.declare(id, {QString::fromLatin1(title), QString::fromLatin1(icon),
                              std::move(keys), std::move(run), std::move(enabled)});
    };
    add(A::NewFrame, "New frame", "icon-snapshot.png", {Qt::Key_N},
        [this](QObject* s) { snap(s); });
    add(A::AddFigure, "Add a stick figure", "icon-figure.png", {Qt::Key_P},
        [this](QObject* s) { addPlayer(s); });
    add(A::Objects, "Props", "icon-objects.png", {Qt::Key_O},
        [this](QObject* s) { toggleObjects(s); });
    add(A::Weapons, "Weapons", "icon-weapons.png", {Qt::Key_W},
        [this](QObject* s) { toggleWeapons(s); });
    add(A::Basket, "Basket (drop items on it to delete them)", "icon-basket.png", {Qt::Key_B},
        [this](QObject*) { toggleBasket(); });
    add(A::PreviousFrame, "Previous frame", "icon-prev.png", {Qt::Key_Left},
        [this](QObject* s) { prevFrame(s); });
    add(A::NextFrame, "Next frame", "icon-next.png", {Qt::Key_Right},
        [this](QObject* s) { nextFrame(s); });
    add(A::Play, "Play", "icon-play.png", {Qt::Key_Space}, [this](QObject* s) { playPause(s); });
    add(A::Speed, "Playback speed", "icon-speed.png", {Qt::Key_S},
        [this](QObject* s) { toggleAnimationSpeedView(s); });
    add(A::DeleteFrame, "Delete frame", "icon-delete-frame.png",
        {Qt::SHIFT | Qt::Key_Delete, Qt::SHIFT | Qt::Key_Backspace},
        [this](QObject* s) { removeCurrentFrame(s); });
    add(A::Sounds, "Frame sounds", "icon-sounds.png", {Qt::Key_A},
        [this](QObject*) { showSounds(); });
    add(A::Locks, "Lock items", "icon-locks.png", {Qt::Key_L}, [this](QObject*) { showLocks(); });
    add(A::Save, "Save", "icon-save.png", {Qt::CTRL | Qt::Key_S},
        [this](QObject*) { saveClicked(); });
    add(A::Close, "Close", "icon-close.png", {Qt::CTRL | Qt::Key_W},
        [this](QObject* s) { close(s); });
    // Not while playing: the frames on screen would change under the playback.
    add(
        A::Undo, "Undo", "icon-undo.png", {Qt::CTRL | Qt::Key_Z}, [this](QObject*) { undo(); },
        [this] { return !isPlaying_ && animation_.undoStack().canUndo(); });
    add(
        A::Redo, "Redo", "icon-redo.png", {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, Qt::CTRL | Qt::Key_Y},
        [this](QObject*) { redo(); },
        [this] { return !isPlaying_ && animation_.undoStack().canRedo(); });
    add(A::ToggleToolbar, "Lower the toolbar", "slide-down.png", {Qt::Key_T},
        [this](QObject* s) { toggleToolbar(s); });
    add(A::TogglePaintRow, "Colours", "arr-up.png", {Qt::Key_C},
        [this](QObject*) { togglePaintToolbar(); });
    declareStageActions();
    declarePoseActions();
    declareShootingActions();
    declareShellActions();
    declareExportActions();
}

void GameViewController::buildSpeedPanel(QWidget* root) {
    // The speed panel, parked off screen to the left until the speed button slides it in.
    animationSpeedView_ = new QWidget(root);
    animationSpeedView_->setObjectName(QStringLiteral("speedPanel"));
    animationSpeedView_->setStyleSheet(QStringLiteral(
        "#speedPanel { background: rgba(30, 32, 38, 225); border-top-right-radius: 8px; }"
        "QLabel { color: white; font-size: 11px; }"));
    animationSpeedView_->resize(230, kToolbarTab);
    auto* speedLayout = new QHBoxLayout(animationSpeedView_);
    speedLayout->setContentsMargins(8, 2, 8, 2);
    speedLayout->addWidget(new QLabel(QStringLiteral("Speed"), animationSpeedView_));
    animationSpeedSlider_ = new SpeedSlider(0.25, 4.0, 1.0, animationSpeedView_);
    animationSpeedSlider_->setFocusPolicy(Qt::NoFocus);
    // The slider shows the animation's speed: whoever sets it, the animation keeps it.
    animationSpeedSlider_->onDoubleValueChanged = [this](double v) {
        animation_.setAnimationSpeed(v);
    };
    animationSpeedSlider_->onValueChanged = [this] {
        animationSpeedValueChanged(animationSpeedSlider_);
    };
    speedLayout->addWidget(animationSpeedSlider_, 1);
}

void GameViewController::buildStoragePanels(QWidget* root) {
    // Full-screen panels while an animation is written or read, and the automatic save's label.
    auto makePanel = [root](const QString& name, const QString& text) {
        auto* panel = new QWidget(root);
        panel->setObjectName(name);
        panel->setStyleSheet(QStringLiteral("#%1 { background: rgba(0, 0, 0, 150); }"
                                            "QLabel { color: white; font-size: 18px; }")
                                 .arg(name));
        panel->setGeometry(0, 0, kScreenWidth, kScreenHeight);
        auto* label = new QLabel(text, panel);
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(0, 0, kScreenWidth, kScreenHeight);
        panel->hide();
        return panel;
    };
    savingView_ = makePanel(QStringLiteral("savingView"), QStringLiteral("Saving\u2026"));
    loadingView_ = makePanel(QStringLiteral("loadingView"), QStringLiteral("Loading\u2026"));
    auto* saving = new QLabel(QStringLiteral("Saving..."), root);
    saving->setObjectName(QStringLiteral("savingLabel"));
    saving->setFont(ccFontWithName(QStringLiteral("Helvetica"), 14));
    saving->setStyleSheet(QStringLiteral("background: transparent; color: blue;"));
    saving->setGeometry(40 - 30, 260 - 10, 60, 20);
    saving->hide();
    savingLabel_ = saving;
}

bool GameViewController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !isViewLoaded() || watched != view())
        return false;
    // No key acts on an animation whose frames are still being read.
    if (loadingFrames_)
        return true;
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeyCombination pressed(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
    return actions_.handleKey(pressed);
}

void GameViewController::buildScene() {
    const Size win = CCDirector::sharedDirector().winSize();
    mainScene_ = Scene::node();
    frameLayer_ = FrameLayer::layerWithColor(ccColor4B{255, 255, 255, 0}, win.width, win.height);
    frameLayer_->setIsTouchEnabled(true);
    frameLayer_->setAnchorPoint(Point(0, 0));
    backgroundLayer_ =
        ColorLayer::layerWithColor(ccColor4B{255, 255, 255, 255}, win.width, win.height);
    backgroundLayer_->setAnchorPoint(Point(0, 0));
    shadowLayer_ = ColorLayer::layerWithColor(ccColor4B{255, 255, 255, 0}, win.width, win.height);
    shadowLayer_->setAnchorPoint(Point(0, 0));
    mainScene_->addChild(backgroundLayer_, 0);
    mainScene_->addChild(shadowLayer_, 0);
    mainScene_->addChild(frameLayer_, 0);
    frameLayer_->setShadowLayer(shadowLayer_.get());
    frameLayer_->setBackgroundLayer(backgroundLayer_.get());
    frameLayer_->setGameController(this);
    presenter_ = std::make_unique<StagePresenter>(animation_, *frameLayer_, *shadowLayer_,
                                                  *backgroundLayer_);
}

void GameViewController::viewDidLoad() {
    CCDirector& director = CCDirector::sharedDirector();
    director.setAnimationInterval(1.0 / 60);
    director.setOpenGLView(sceneView_);
    director.enableRetinaDisplay(true);
    buildScene();
    buildPalettes();
    director.runWithScene(mainScene_);
    director.stopAnimation();

    isPlaying_ = false;
    animation_.clear();
    ++generation_;

    platform::setViewAlpha(flashView_, 0);
    platform::setViewFrame(flashView_, QRect());
    flashView_->setStyleSheet(QStringLiteral("background: white;"));
    flashView_->setAutoFillBackground(true);

    const QRect toolbarFrame = platform::viewFrame(toolbar_);
    platform::setViewCenter(animationSpeedView_,
                            QPointF(-animationSpeedView_->width(),
                                    toolbarFrame.y() + animationSpeedView_->height() * 0.5));
}

// ---------------------------------------------------------------- frames

void GameViewController::pushCommand(QUndoCommand* command) {
    animation_.push(command);
}

void GameViewController::undo() {
    if (shotInProgress())
        return;
    frameLayer_->frameSwitched();
    animation_.undoStack().undo();
}

void GameViewController::redo() {
    if (shotInProgress())
        return;
    frameLayer_->frameSwitched();
    animation_.undoStack().redo();
}

void GameViewController::setDirty(bool dirty) {
    if (dirty)
        animation_.markDirty();
    else
        animation_.undoStack().setClean();
}

void GameViewController::snap(QObject* sender) {
    // A shot takes its own frames; one taken in between would split it.
    if (shotInProgress())
        return;
    frameLayer_->frameSwitched();
    if (sender && animation_.frameCount() > 0) {
        flash();
        shadowLayer_->setVisible(true);
    }
    const bool posing = frameLayer_->editingHuman() != nullptr;
    if (posing)
        presenter_->setFiguresShowJoints(false);
    if (const Frame* current = animation_.currentFrame()) {
        animation_.push(new TakeFrameCommand(animation_, Animation::copyOfFrame(*current),
                                             animation_.currentFrameIndex() + 1));
    } else {
        // The first frame of a new or emptied animation is set-up, not an edit.
        animation_.clear();
    }
    // Taking a frame leaves the limbs of figures fully drawn, even while posing.
    presenter_->setStageOpacity(presenter_->switchOpacity(), 255);
    if (posing) {
        auto* figure = dynamic_cast<Hmn*>(frameLayer_->getChildByTag(111));
        frameLayer_->setEditingHuman(
            figure ? std::static_pointer_cast<Hmn>(figure->shared_from_this()) : nullptr);
        presenter_->setFiguresShowJoints(true);
    }
}

void GameViewController::noteFrameBackground(const Frame& frame, bool pictureFirst) {
    const bool picture =
        pictureFirst ? frame.hasBackgroundImage() : frame.background() == kCustomBackground;
    if (picture) {
        qCInfo(platform::lcKelvora) << "Set bg img" << frame.backgroundImage();
        animation_.setCustomBackgroundImage(frame.backgroundImage());
    } else {
        qCInfo(platform::lcKelvora, "Set bg %d", frame.background());
        animation_.setBackground(frame.background());
    }
    presenter_->showBackgroundOf(frame);
}

void GameViewController::stepToFrame(int index) {
    if (shotInProgress())
        return;
    frameLayer_->frameSwitched();
    // The presenter shows the frame, its onion skin, opacity and bubble text.
    if (index >= 0 && index < animation_.frameCount() && index != animation_.currentFrameIndex())
        animation_.setCurrentFrameAtIndex(index);
    // Also at either end: the frame's background and sounds again.
    if (const Frame* current = animation_.currentFrame()) {
        noteFrameBackground(*current, false);
        current->playSounds();
    }
}

void GameViewController::nextFrame(QObject* sender) {
    if (sender)
        shadowLayer_->setVisible(true);
    stepToFrame(animation_.currentFrameIndex() + 1);
}

void GameViewController::prevFrame(QObject*) {
    shadowLayer_->setVisible(true);
    const int index = animation_.currentFrameIndex();
    stepToFrame(index >= 1 ? index - 1 : index);
}

void GameViewController::setCurrentFrameAtIndex(int index) {
    if (index < 0 || index >= animation_.frameCount())
        return;
    animation_.setCurrentFrameAtIndex(index);
    frameLayer_->setVisible(true);
    noteFrameBackground(*animation_.currentFrame(), true);
    // A jump (restoring where the user was) starts without the onion skin.
    shadowLayer_->removeAllChildrenWithCleanup(true);
}

void GameViewController::removeCurrentFrame(QObject*) {
    if (shotInProgress())
        return;
    deleteFrameAlert_ =
        platform::AlertView::create(QStringLiteral("Delete current frame?"), QString(), this,
                                    QStringLiteral("Cancel"), {QStringLiteral("Delete")});
    deleteFrameAlert_->show();
}

void GameViewController::alertViewClickedButtonAtIndex(platform::AlertView& alert, int index) {
    if (&alert != deleteFrameAlert_.get())
        return;
    deleteFrameAlert_.reset();
    const int current = animation_.currentFrameIndex();
    if (index != 1 || current < 0 || current >= animation_.frameCount() || shotInProgress())
        return;
    frameLayer_->frameSwitched();
    animation_.push(new DeleteFrameCommand(animation_, current));
}

void GameViewController::clearFrame() {
    if (Frame* frame = animation_.currentFrame())
        animation_.push(new ClearFrameCommand(animation_, frame));
}

void GameViewController::clearAllFrames() {
    frameLayer_->reset();
    frameLayer_->removeAllChildrenWithCleanup(true);
    shadowLayer_->removeAllChildrenWithCleanup(true);
    animation_.clear();
}

namespace {

// Answers the keep-items question asked after a background change.
class ClearFrameAlertDelegate : public platform::AlertViewDelegate {
public:
    explicit ClearFrameAlertDelegate(GameViewController* controller) : controller_(controller) {}
    void alertViewDidDismissWithButtonIndex(platform::AlertView&, int index) override {
        if (index == 1)
            controller_->clearFrame();
    }
    // Taken away by the platform without an answer: the editor closes.
    void alertViewCancel(platform::AlertView&) override { controller_->doClose(); }

private:
    GameViewController* controller_;
};

} // namespace

void GameViewController::clearFrameRequest() {
    auto alert = platform::AlertView::create(
        QStringLiteral("Do you want the current items to remain on the screen?"), QString(),
        nullptr, QStringLiteral("Yes"), {QStringLiteral("No")});
    alert->setOwnedDelegate(std::make_shared<ClearFrameAlertDelegate>(this));
    alert->show();
}

void GameViewController::addSprite(const std::shared_ptr<CCSprite>& item) {
    Frame* frame = animation_.currentFrame();
    if (!frame)
        return;
    // What a save can hold is what the editor lets a frame hold.
    if (int(frame->sprites().size()) >= saveformat::kMaxItemsPerFrame) {
        platform::AlertView::create(
            QStringLiteral("This frame is full"),
            QStringLiteral("A frame holds at most %1 items.").arg(saveformat::kMaxItemsPerFrame),
            nullptr, QStringLiteral("OK"))
            ->show();
        return;
    }
    animation_.push(new AddItemCommand(animation_, frame, item));
}

void GameViewController::removeSprite(CCSprite* item) {
    Frame* frame = animation_.currentFrame();
    if (!frame || !item || !frame->containsSprite(item))
        return;
    animation_.push(new RemoveItemCommand(
        animation_, frame, std::static_pointer_cast<CCSprite>(item->shared_from_this())));
}

void GameViewController::setAnimationBackground(int code) {
    Frame* frame = animation_.currentFrame();
    if (frame) {
        qCInfo(platform::lcKelvora, "Set bg %d", code);
        // Only the code counts: a frame's picture is stored with the custom code alone.
        if (frame->background() != code) {
            BackgroundCommand::Background after = BackgroundCommand::of(animation_, *frame);
            after.frameCode = code;
            after.animationCode = code;
            if (code != kCustomBackground)
                after.framePicture = QImage();
            animation_.push(new BackgroundCommand(animation_, frame, after));
        }
    }
    animation_.setBackground(code);
    presenter_->showBackground(code, QImage());
}

void GameViewController::setAnimationBackgroundImage(const QImage& picture) {
    Frame* frame = animation_.currentFrame();
    if (frame) {
        qCInfo(platform::lcKelvora) << "Set bg img" << picture;
        const QImage& had = frame->backgroundImage();
        if (had.cacheKey() != picture.cacheKey() && had != picture) {
            BackgroundCommand::Background after = BackgroundCommand::of(animation_, *frame);
            after.framePicture = picture;
            after.animationPicture = picture;
            animation_.push(new BackgroundCommand(animation_, frame, after));
        }
    }
    animation_.setCustomBackgroundImage(picture);
    presenter_->showBackground(kCustomBackground, picture);
}

// ---------------------------------------------------------------- sounds

void GameViewController::leaveStageForScreen() {
    // Frames must not step behind the screen, nor a dragged item stay in hand (a locked one
    // would still turn by its handle).
    if (isPlaying_)
        stop();
    frameLayer_->frameSwitched();
    CCDirector::sharedDirector().stopAnimation();
}

void GameViewController::showSounds() {
    leaveStageForScreen();
    soundsController_->setFrame(animation_.currentFrame());
    presentModalViewController(soundsController_, true);
}

void GameViewController::showLocks() {
    leaveStageForScreen();
    const Frame* frame = animation_.currentFrame();
    lockController_->setSprites(frame ? frame->sprites()
                                      : std::vector<std::shared_ptr<CCSprite>>());
    presentModalViewController(lockController_, true);
}
