#include "stage/StagePresenter.h"

#include "document/Animation.h"
#include "engine/CCDirector.h"
#include "engine/CCSprite.h"
#include "items/Hmn.h"
#include "items/SpeechBubble.h"
#include "stage/FrameLayer.h"

namespace {

void setOpacityOfLimbs(CCNode& figure, uint8_t opacity) {
    for (const auto& limb : figure.children())
        if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(limb.get()))
            rgba->setOpacity(opacity);
}

void setBubbleLabelVisible(CCNode& bubble, bool visible) {
    if (!bubble.children().empty())
        bubble.children().front()->setVisible(visible);
}

} // namespace

StagePresenter::StagePresenter(Animation& animation, FrameLayer& stage, CCNode& shadowLayer,
                               CCNode& backgroundLayer, QObject* parent)
    : QObject(parent), animation_(animation), stage_(stage), shadowLayer_(shadowLayer),
      backgroundLayer_(backgroundLayer) {
    connect(&animation, &Animation::currentFrameChanged, this, [this] {
        if (following_)
            showCurrentFrame();
    });
    connect(&animation, &Animation::framesChanged, this, [this] {
        if (following_)
            framesChanged();
    });
    connect(&animation, &Animation::frameItemsChanged, this, [this](Frame* f) {
        if (following_)
            itemsChanged(f);
    });
    connect(&animation, &Animation::frameBackgroundChanged, this, [this](Frame* f) {
        if (following_)
            backgroundChanged(f);
    });
}

uint8_t StagePresenter::switchOpacity() const {
    return stage_.editingHuman() ? kPosingOpacity : 255;
}

void StagePresenter::showCurrentFrame() {
    repopulateStage();
    setupShadow();
    setStageOpacity(switchOpacity(), switchOpacity());
    showBubbleLabels();
    if (const Frame* frame = animation_.currentFrame())
        showBackgroundOf(*frame);
}

void StagePresenter::repopulateStage() {
    // The stage's own controls stay: the handle of a selected item outlives its redrawing.
    stage_.removeAllItems();
    if (const Frame* frame = animation_.currentFrame())
        frame->addSpritesToLayer(&stage_);
    // The item a finger holds (or the figure whose joint it holds) may have left the frame (an
    // undo, a delete).
    const CCNode* held = stage_.heldSprite();
    if (held && held->parent() != &stage_)
        stage_.frameSwitched();
}

void StagePresenter::setupShadow() {
    shadowLayer_.removeAllChildrenWithCleanup(true);
    const int index = animation_.indexOf(animation_.currentFrame());
    if (index <= 0)
        return;
    animation_.frameAt(index - 1)->addSpritesToLayer(&shadowLayer_);
    for (const auto& child : shadowLayer_.children()) {
        if (dynamic_cast<Hmn*>(child.get()))
            setOpacityOfLimbs(*child, kOnionSkinOpacity);
        if (dynamic_cast<SpeechBubble*>(child.get()))
            setBubbleLabelVisible(*child, false);
        if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(child.get()))
            rgba->setOpacity(kOnionSkinOpacity);
    }
}

void StagePresenter::setStageOpacity(uint8_t itemOpacity, uint8_t limbOpacity) {
    for (const auto& child : stage_.children()) {
        if (stage_.isStageControl(child.get()))
            continue;
        if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(child.get()))
            rgba->setOpacity(itemOpacity);
        if (dynamic_cast<Hmn*>(child.get()))
            setOpacityOfLimbs(*child, limbOpacity);
    }
}

void StagePresenter::showBubbleLabels() {
    for (const auto& child : stage_.children())
        if (dynamic_cast<SpeechBubble*>(child.get()))
            setBubbleLabelVisible(*child, true);
}

void StagePresenter::setFiguresShowJoints(bool show) {
    for (const auto& child : stage_.children())
        if (auto* figure = dynamic_cast<Hmn*>(child.get()))
            figure->setShowJoints(show);
}

void StagePresenter::showBackground(int code, const QImage& picture) {
    backgroundLayer_.removeAllChildrenWithCleanup(true);
    std::shared_ptr<Sprite> sprite;
    if (code == kCustomBackground) {
        // A frame whose own picture is missing shows no background rather than failing.
        if (picture.isNull())
            return;
        sprite = Sprite::spriteWithCGImage(picture);
        if (sprite)
            sprite->setOpacityModifyRGB(false);
    } else {
        const QString file = backgroundFileForCode(code);
        if (file.isEmpty())
            return;
        sprite = Sprite::spriteWithFile(file);
    }
    if (!sprite)
        return;
    const Size win = CCDirector::sharedDirector().winSize();
    sprite->setPosition(Point(win.width / 2, win.height / 2));
    backgroundLayer_.addChild(sprite);
}

void StagePresenter::showBackgroundOf(const Frame& frame) {
    showBackground(frame.background(), frame.backgroundImage());
}

void StagePresenter::framesChanged() {
    // A frame inserted or taken out before the current one changes what the onion skin shows.
    if (animation_.currentFrame())
        setupShadow();
}

void StagePresenter::itemsChanged(Frame* frame) {
    if (frame == animation_.currentFrame()) {
        repopulateStage();
        // While a figure is posed the zoom has set every opacity already: an edit of the pose
        // must not undo the fade.
        if (!stage_.editingHuman())
            setStageOpacity(switchOpacity(), switchOpacity());
        showBubbleLabels();
        return;
    }
    const int index = animation_.indexOf(animation_.currentFrame());
    if (index > 0 && animation_.frameAt(index - 1) == frame)
        setupShadow();
}

void StagePresenter::backgroundChanged(Frame* frame) {
    if (frame == animation_.currentFrame())
        showBackgroundOf(*frame);
}
