#pragma once

#include <QImage>
#include <QObject>

#include <cstdint>

class Animation;
class CCNode;
class Frame;
class FrameLayer;

// Keeps the stage showing the animation: the current frame's items on the stage layer, the
// frame before it faintly on the onion-skin layer, and the frame's background. It follows the
// animation's notifications, so every edit, undo and redo shows up the same way.
//
// Items live on one layer at a time: the onion skin borrows the previous frame's own items, so
// an item that becomes current again comes back faint and without its bubble text. Every switch
// therefore resets opacity and labels.
class StagePresenter : public QObject {
public:
    // Opacity of the stage while a figure is posed, and of the onion skin.
    static constexpr uint8_t kPosingOpacity = 150;
    static constexpr uint8_t kOnionSkinOpacity = 50;

    StagePresenter(Animation& animation, FrameLayer& stage, CCNode& shadowLayer,
                   CCNode& backgroundLayer, QObject* parent = nullptr);

    // The current frame shown whole: its items at the switch opacity with their bubble text,
    // the onion skin, and its background.
    void showCurrentFrame();
    // The stage's children become exactly the current frame's items, in order, plus the
    // stage's own controls.
    void repopulateStage();
    // The onion skin shows the frame before the current one (none for the first).
    void setupShadow();
    // Opacity of the stage's items after a switch; the limbs of figures get `limbOpacity`.
    void setStageOpacity(uint8_t itemOpacity, uint8_t limbOpacity);
    void showBubbleLabels();
    void setFiguresShowJoints(bool show);
    // 150 while a figure is posed, else 255.
    uint8_t switchOpacity() const;
    // Shows a built-in background or, for the custom code, the picture (nothing when there is
    // none). Changes nothing of the animation.
    void showBackground(int code, const QImage& picture);
    void showBackgroundOf(const Frame& frame);

    // While off, notifications are ignored (a load fills the animation, then shows it once).
    void setFollowing(bool following) { following_ = following; }

private:
    void framesChanged();
    void itemsChanged(Frame* frame);
    void backgroundChanged(Frame* frame);

    Animation& animation_;
    FrameLayer& stage_;
    CCNode& shadowLayer_;
    CCNode& backgroundLayer_;
    bool following_ = true;
};
