#include "editor/GameViewController.h"

#include "editor/SoundsController.h"
#include "editor/SpeedSlider.h"
#include "engine/CCDirector.h"
#include "engine/CCLabelTTF.h"
#include "engine/CCTextureCache.h"
#include "items/CopyingSprite.h"
#include "items/Hmn.h"
#include "items/SpeechBubble.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/widgets/SceneView.h"
#include "platform/widgets/ViewAnimation.h"
#include "sounds/SoundEffect.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

namespace {

// Layout of the screen, in points.
constexpr int kScreenWidth = 480;
constexpr int kScreenHeight = 320;
constexpr int kToolbarTab = 30; // the strip above the toolbar's buttons with its toggle
constexpr int kToolbarRow = 47;
constexpr int kToolbarHeight = kToolbarTab + kToolbarRow;
constexpr int kToolbarButton = 44;

// The figure being posed and the stage while it is posed.
constexpr uint8_t kPosingOpacity = 150;

QIcon iconNamed(const QString& name) {
    QIcon icon;
    icon.addFile(platform::resourcePath(name));
    icon.addFile(platform::resourcePath(CCTextureCache::hdName(name)));
    return icon;
}

QToolButton* makeButton(QWidget* parent, const QString& icon, const QString& tip,
                        const QRect& frame) {
    auto* b = new QToolButton(parent);
    b->setIcon(iconNamed(icon));
    b->setIconSize(QSize(frame.width() - 8, frame.height() - 8));
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setGeometry(frame);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

GameViewController::GameViewController(QObject* parent) : platform::ViewController(parent) {}

GameViewController::~GameViewController() {
    if (playTimer_)
        playTimer_->invalidate();
    if (deleteFrameAlert_)
        deleteFrameAlert_->setDelegate(nullptr);
    if (frameLayer_)
        frameLayer_->setGameController(nullptr);
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

    // The toolbar along the bottom edge: a tab strip above a row of buttons. Only the buttons
    // take touches; the rest of the tab strip lets them through to the stage.
    toolbar_ = new QWidget(root);
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    platform::setViewFrame(toolbar_,
                           QRect(0, kScreenHeight - kToolbarHeight, kScreenWidth, kToolbarHeight));
    auto* row = new QWidget(toolbar_);
    row->setObjectName(QStringLiteral("toolbarRow"));
    row->setGeometry(0, kToolbarTab, kScreenWidth, kToolbarRow);
    row->setStyleSheet(QStringLiteral("#toolbarRow { background: rgba(30, 32, 38, 225); }"
                                      "QToolButton { border: none; }"));
    struct Command {
        const char* icon;
        const char* tip;
        void (GameViewController::*action)(QObject*);
        std::vector<QKeyCombination> keys;
    };
    const Command commands[] = {
        {"icon-prev.png", "Previous frame (Left)", &GameViewController::prevFrame, {Qt::Key_Left}},
        {"icon-next.png", "Next frame (Right)", &GameViewController::nextFrame, {Qt::Key_Right}},
        {"icon-speed.png", "Playback speed", &GameViewController::toggleAnimationSpeedView, {}},
        {"icon-delete-frame.png",
         "Delete frame (Delete)",
         &GameViewController::removeCurrentFrame,
         {Qt::Key_Delete, Qt::Key_Backspace}},
    };
    int x = 30;
    for (const Command& c : commands) {
        auto* b = makeButton(
            row, QString::fromLatin1(c.icon), QString::fromLatin1(c.tip),
            QRect(x, (kToolbarRow - kToolbarButton) / 2, kToolbarButton, kToolbarButton));
        QObject::connect(b, &QToolButton::clicked, this,
                         [this, b, a = c.action] { (this->*a)(b); });
        for (QKeyCombination key : c.keys)
            keyButtons_.emplace_back(key, b);
        x += kToolbarButton + 6;
    }
    auto* sounds =
        makeButton(row, QStringLiteral("icon-sounds.png"), QStringLiteral("Frame sounds"),
                   QRect(x, (kToolbarRow - kToolbarButton) / 2, kToolbarButton, kToolbarButton));
    QObject::connect(sounds, &QToolButton::clicked, this, [this] { showSounds(); });
    x += kToolbarButton + 6;
    auto* saveButton =
        makeButton(row, QStringLiteral("icon-save.png"), QStringLiteral("Save (Ctrl+S)"),
                   QRect(x, (kToolbarRow - kToolbarButton) / 2, kToolbarButton, kToolbarButton));
    QObject::connect(saveButton, &QToolButton::clicked, this, [this] { saveClicked(); });
    keyButtons_.emplace_back(Qt::CTRL | Qt::Key_S, saveButton);
    toolbar_->setMask(QRegion(row->geometry()));

    pauseButton_ = makeButton(root, QStringLiteral("icon-play.png"), QStringLiteral("Play (Space)"),
                              QRect(4, kScreenHeight - kToolbarHeight - 4 - kToolbarButton,
                                    kToolbarButton, kToolbarButton));
    QObject::connect(pauseButton_, &QToolButton::clicked, this,
                     [this] { playPause(pauseButton_); });
    cameraButton_ =
        makeButton(root, QStringLiteral("icon-snapshot.png"), QStringLiteral("New frame (N)"),
                   QRect(kScreenWidth - 4 - 52, kScreenHeight - kToolbarHeight - 4 - 52, 52, 52));
    QObject::connect(cameraButton_, &QToolButton::clicked, this, [this] { snap(cameraButton_); });
    keyButtons_.emplace_back(Qt::Key_Space, pauseButton_);
    keyButtons_.emplace_back(Qt::Key_N, cameraButton_);
    // Clicking anywhere on the editor gives it the keyboard (its buttons never take it).
    root->setFocusPolicy(Qt::StrongFocus);
    root->installEventFilter(this);

    // The speed panel, parked off screen to the left until the speed button slides it in.
    animationSpeedView_ = new QWidget(root);
    animationSpeedView_->setObjectName(QStringLiteral("speedPanel"));
    animationSpeedView_->setStyleSheet(QStringLiteral(
        "#speedPanel { background: rgba(30, 32, 38, 225); border-top-right-radius: 8px; }"
        "QLabel { color: white; font-size: 11px; }"));
    animationSpeedView_->resize(230, kToolbarTab);
    auto* speedLayout = new QHBoxLayout(animationSpeedView_);
    speedLayout->setContentsMargins(8, 2, 8, 2);
    auto* speedLabel = new QLabel(QStringLiteral("Speed"), animationSpeedView_);
    speedLayout->addWidget(speedLabel);
    animationSpeedSlider_ = new SpeedSlider(0.25, 4.0, 1.0, animationSpeedView_);
    animationSpeedSlider_->setFocusPolicy(Qt::NoFocus);
    animationSpeedSlider_->onValueChanged = [this] {
        animationSpeedValueChanged(animationSpeedSlider_);
    };
    speedLayout->addWidget(animationSpeedSlider_, 1);

    flashView_ = new QWidget(root);
    flashView_->setObjectName(QStringLiteral("flash"));
    flashView_->setAttribute(Qt::WA_TransparentForMouseEvents);

    closeButton_ = makeButton(root, QStringLiteral("icon-close.png"), QStringLiteral("Close"),
                              QRect(4, 4, 40, 40));
    QObject::connect(closeButton_, &QToolButton::clicked, this, [this] { close(closeButton_); });

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

    soundsController_ = new SoundsController(this);
    soundsController_->onFrameSoundsChanged = [this] {
        setDirty(true);
    };

    setView(root);
}

bool GameViewController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !isViewLoaded() || watched != view())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeyCombination pressed(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
    for (const auto& [combination, button] : keyButtons_) {
        if (combination != pressed)
            continue;
        // A key does what a click would, and only where a click could reach the button: not
        // under an alert, a panel or another screen.
        QWidget* top = button->window();
        if (button->isVisible() && button->isEnabled() &&
            top->childAt(button->mapTo(top, button->rect().center())) == button)
            button->click();
        return true;
    }
    return false;
}

void GameViewController::viewDidLoad() {
    CCDirector& director = CCDirector::sharedDirector();
    director.setAnimationInterval(1.0 / 60);
    director.setOpenGLView(sceneView_);
    director.enableRetinaDisplay(true);

    const Size win = director.winSize();
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

    director.runWithScene(mainScene_);
    director.stopAnimation();

    isPlaying_ = false;
    frames_.clear();
    currentFrame_ = nullptr;
    currentFrameIndex_ = -1;
    snap(nullptr);

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

uint8_t GameViewController::switchOpacity() const {
    return frameLayer_->editingHuman() ? kPosingOpacity : 255;
}

void GameViewController::repopulateStage() {
    frameLayer_->removeAllChildrenWithCleanup(true);
    if (currentFrame_)
        currentFrame_->addSpritesToLayer(frameLayer_.get());
}

void GameViewController::setStageOpacity(uint8_t itemOpacity, uint8_t limbOpacity) {
    for (const auto& child : frameLayer_->children()) {
        if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(child.get()))
            rgba->setOpacity(itemOpacity);
        if (auto* figure = dynamic_cast<Hmn*>(child.get()))
            for (const auto& limb : figure->children())
                if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(limb.get()))
                    rgba->setOpacity(limbOpacity);
    }
}

void GameViewController::showBubbleLabels() {
    for (const auto& child : frameLayer_->children())
        if (auto* bubble = dynamic_cast<SpeechBubble*>(child.get()))
            if (!bubble->children().empty())
                bubble->children().front()->setVisible(true);
}

void GameViewController::setFiguresShowJoints(bool show) {
    for (const auto& child : frameLayer_->children())
        if (auto* figure = dynamic_cast<Hmn*>(child.get()))
            figure->setShowJoints(show);
}

void GameViewController::applyFrameBackground(const Frame& frame) {
    if (frame.background() == kCustomBackground)
        setAnimationBackgroundImage(frame.backgroundImage());
    else
        setAnimationBackground(frame.background());
}

void GameViewController::snap(QObject* sender) {
    frameLayer_->frameSwitched();
    if (sender && !frames_.empty()) {
        flash();
        shadowLayer_->setVisible(true);
    }
    auto frame = std::make_unique<Frame>();
    if (currentFrame_) {
        for (const auto& item : currentFrame_->sprites())
            if (auto copy = copySprite(*item))
                frame->addSprite(copy);
        frame->setBackground(currentFrame_->background());
        frame->setBackgroundImage(currentFrame_->backgroundImage());
    }
    // Taking a frame after an existing one changes the animation; making the first, empty one
    // (a new or emptied animation) does not.
    const bool copied = currentFrame_ != nullptr;

    Frame* added = frame.get();
    if (size_t(currentFrameIndex_ + 1) == frames_.size())
        frames_.push_back(std::move(frame));
    else
        frames_.insert(frames_.begin() + (currentFrameIndex_ + 1), std::move(frame));
    ++currentFrameIndex_;
    currentFrame_ = added;

    const bool posing = frameLayer_->editingHuman() != nullptr;
    if (posing)
        setFiguresShowJoints(false);
    repopulateStage();
    setStageOpacity(switchOpacity(), 255);
    setupShadow();
    if (posing) {
        auto* figure = dynamic_cast<Hmn*>(frameLayer_->getChildByTag(111));
        frameLayer_->setEditingHuman(
            figure ? std::static_pointer_cast<Hmn>(figure->shared_from_this()) : nullptr);
        setFiguresShowJoints(true);
    }
    if (copied)
        isDirty_ = true;
}

void GameViewController::stepToFrame(int index) {
    frameLayer_->frameSwitched();
    if (index >= 0 && index < int(frames_.size()) && index != currentFrameIndex_) {
        currentFrameIndex_ = index;
        currentFrame_ = frames_[size_t(index)].get();
        repopulateStage();
        setupShadow();
        setStageOpacity(switchOpacity(), switchOpacity());
        showBubbleLabels();
    }
    // Also at either end: the frame's background and sounds again.
    if (currentFrame_) {
        applyFrameBackground(*currentFrame_);
        currentFrame_->playSounds();
    }
}

void GameViewController::nextFrame(QObject* sender) {
    if (sender)
        shadowLayer_->setVisible(true);
    stepToFrame(currentFrameIndex_ + 1);
}

void GameViewController::prevFrame(QObject*) {
    shadowLayer_->setVisible(true);
    stepToFrame(currentFrameIndex_ >= 1 ? currentFrameIndex_ - 1 : currentFrameIndex_);
}

void GameViewController::setCurrentFrameAtIndex(int index) {
    if (index < 0 || index >= int(frames_.size()))
        return;
    currentFrameIndex_ = index;
    currentFrame_ = frames_[size_t(index)].get();
    repopulateStage();
    frameLayer_->setVisible(true);
    if (currentFrame_->hasBackgroundImage())
        setAnimationBackgroundImage(currentFrame_->backgroundImage());
    else
        setAnimationBackground(currentFrame_->background());
    shadowLayer_->removeAllChildrenWithCleanup(true);
}

void GameViewController::removeCurrentFrame(QObject*) {
    deleteFrameAlert_ =
        platform::AlertView::create(QStringLiteral("Delete current frame?"), QString(), this,
                                    QStringLiteral("Cancel"), {QStringLiteral("Delete")});
    deleteFrameAlert_->show();
}

void GameViewController::alertViewClickedButtonAtIndex(platform::AlertView& alert, int index) {
    if (&alert != deleteFrameAlert_.get())
        return;
    deleteFrameAlert_.reset();
    if (index != 1 || currentFrameIndex_ < 0 || currentFrameIndex_ >= int(frames_.size()))
        return;
    std::unique_ptr<Frame> removed = std::move(frames_[size_t(currentFrameIndex_)]);
    removed->breakFigureConnections();
    frames_.erase(frames_.begin() + currentFrameIndex_);
    if (frames_.empty()) {
        currentFrame_ = nullptr;
        currentFrameIndex_ = -1;
        snap(nullptr);
    }
    if (currentFrameIndex_ > int(frames_.size()) - 1)
        --currentFrameIndex_;
    currentFrame_ = frames_[size_t(currentFrameIndex_)].get();
    repopulateStage();
    // The new current frame may be the one the onion skin had dimmed (when the last frame
    // went): its items must not stay faint on the stage.
    setStageOpacity(switchOpacity(), switchOpacity());
    showBubbleLabels();
    frameLayer_->frameSwitched();
    isDirty_ = true;
}

void GameViewController::clearFrame() {
    frameLayer_->removeAllChildrenWithCleanup(true);
    if (!currentFrame_)
        return;
    currentFrame_->removeAllSprites();
    currentFrame_->removeAllSounds();
    isDirty_ = true;
}

void GameViewController::clearAllFrames() {
    frameLayer_->removeAllChildrenWithCleanup(true);
    shadowLayer_->removeAllChildrenWithCleanup(true);
    for (auto& f : frames_)
        f->breakFigureConnections();
    frames_.clear();
    currentFrame_ = nullptr;
    currentFrameIndex_ = -1;
    snap(nullptr);
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
    isDirty_ = true;
    frameLayer_->addChild(item);
    if (currentFrame_)
        currentFrame_->addSprite(item);
}

void GameViewController::removeSprite(CCSprite* item) {
    isDirty_ = true;
    frameLayer_->remove(item);
    if (currentFrame_)
        currentFrame_->removeSprite(item);
}

void GameViewController::setAnimationBackground(int code) {
    backgroundLayer_->removeAllChildrenWithCleanup(true);
    if (currentFrame_ && !frames_.empty()) {
        qCInfo(platform::lcKelvora, "Set bg %d", code);
        // Only the code counts: a frame's picture is stored with the custom code alone.
        if (currentFrame_->background() != code)
            isDirty_ = true;
        currentFrame_->setBackground(code);
    }
    background_ = code;
    const QString file = backgroundFileForCode(code);
    if (file.isEmpty())
        return;
    auto sprite = Sprite::spriteWithFile(file);
    if (!sprite)
        return;
    const Size win = CCDirector::sharedDirector().winSize();
    sprite->setPosition(Point(win.width / 2, win.height / 2));
    backgroundLayer_->addChild(sprite);
}

void GameViewController::setAnimationBackgroundImage(const QImage& picture) {
    backgroundLayer_->removeAllChildrenWithCleanup(true);
    if (currentFrame_ && !frames_.empty()) {
        qCInfo(platform::lcKelvora) << "Set bg img" << picture;
        if (currentFrame_->backgroundImage().cacheKey() != picture.cacheKey() &&
            currentFrame_->backgroundImage() != picture)
            isDirty_ = true;
        currentFrame_->setBackgroundImage(picture);
    }
    customBackgroundImage_ = picture;
    // A frame whose own picture is missing shows no background rather than failing.
    if (picture.isNull())
        return;
    auto sprite = Sprite::spriteWithCGImage(picture);
    if (!sprite)
        return;
    sprite->setOpacityModifyRGB(false);
    const Size win = CCDirector::sharedDirector().winSize();
    sprite->setPosition(Point(win.width / 2, win.height / 2));
    backgroundLayer_->addChild(sprite);
}

// ---------------------------------------------------------------- playback

void GameViewController::play() {
    frameLayer_->frameSwitched();
    toolbar_->setVisible(false);
    cameraButton_->setVisible(false);
    if (currentFrameIndex_ == 0 && currentFrame_)
        currentFrame_->playSounds();
    shadowLayer_->setVisible(false);
    if (currentFrameIndex_ + 1 == int(frames_.size()))
        currentFrameIndex_ = -1;
    const double period = 1.0 / (animationSpeedSlider_->doubleValue() * 6.0);
    playTimer_ =
        platform::Timer::scheduledTimer(period, true, [this](platform::Timer&) { playStep(); });
    isPlaying_ = true;
    pauseButton_->setIcon(iconNamed(QStringLiteral("icon-pause.png")));
    pauseButton_->setToolTip(QStringLiteral("Pause (Space)"));
}

void GameViewController::playStep() {
    // As unsigned, an index of -1 comes before frame 0.
    if (unsigned(currentFrameIndex_ + 1) < frames_.size()) {
        nextFrame(nullptr);
        return;
    }
    stop();
}

void GameViewController::stop() {
    toolbar_->setVisible(true);
    cameraButton_->setVisible(true);
    if (playTimer_)
        playTimer_->invalidate();
    playTimer_.reset();
    isPlaying_ = false;
    pauseButton_->setIcon(iconNamed(QStringLiteral("icon-play.png")));
    pauseButton_->setToolTip(QStringLiteral("Play (Space)"));
}

void GameViewController::playPause(QObject*) {
    if (isPlaying_)
        stop();
    else
        play();
}

void GameViewController::animationSpeedValueChanged(QObject*) {
    if (!isPlaying_)
        return;
    stop();
    play();
}

void GameViewController::toggleAnimationSpeedView(QObject*) {
    if (animationSpeedViewVisible_)
        hideAnimationSpeedView();
    else
        showAnimationSpeedView();
}

void GameViewController::showAnimationSpeedView() {
    const QPointF c = platform::viewCenter(animationSpeedView_);
    animationSpeedView_->raise();
    platform::animateViewCenter(animationSpeedView_,
                                QPointF(animationSpeedView_->width() * 0.5, c.y()), 0.2);
    animationSpeedViewVisible_ = true;
}

void GameViewController::hideAnimationSpeedView() {
    const QPointF c = platform::viewCenter(animationSpeedView_);
    platform::animateViewCenter(animationSpeedView_,
                                QPointF(-animationSpeedView_->width() * 0.5, c.y()), 0.2);
    animationSpeedViewVisible_ = false;
}

void GameViewController::setupShadow() {
    shadowLayer_->removeAllChildrenWithCleanup(true);
    if (currentFrameIndex_ <= 0)
        return;
    frames_[size_t(currentFrameIndex_ - 1)]->addSpritesToLayer(shadowLayer_.get());
    for (const auto& child : shadowLayer_->children()) {
        if (auto* figure = dynamic_cast<Hmn*>(child.get()))
            for (const auto& limb : figure->children())
                if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(limb.get()))
                    rgba->setOpacity(50);
        if (auto* bubble = dynamic_cast<SpeechBubble*>(child.get()))
            if (!bubble->children().empty())
                bubble->children().front()->setVisible(false);
        if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(child.get()))
            rgba->setOpacity(50);
    }
}

void GameViewController::flash() {
    QWidget* v = view();
    flashView_->raise();
    platform::setViewFrame(flashView_, QRect(0, 0, v->width(), v->height()));
    platform::setViewAlpha(flashView_, 1.0);
    platform::animateViewAlpha(flashView_, 0.0, platform::kDefaultAnimationDuration);
}

// ---------------------------------------------------------------- sounds

void GameViewController::showSounds() {
    CCDirector::sharedDirector().stopAnimation();
    soundsController_->setFrame(currentFrame_);
    presentModalViewController(soundsController_, true);
}
