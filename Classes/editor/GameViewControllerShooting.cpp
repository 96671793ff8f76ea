// Shooting mode on the editor's side: the fire button and its key, the frame commands that wait
// for a running shot, and the collision question.
#include "editor/GameViewController.h"

#include <memory>

using A = EditorActions;

namespace {

// Hands the answer to the stage that asked, if it is still there.
class CollisionAlertDelegate : public platform::AlertViewDelegate {
public:
    explicit CollisionAlertDelegate(std::weak_ptr<CCNode> stage) : stage_(std::move(stage)) {}
    // Once the alert is gone, so that the next question never shows beside it.
    void alertViewDidDismissWithButtonIndex(platform::AlertView&, int index) override {
        if (auto stage = std::dynamic_pointer_cast<FrameLayer>(stage_.lock()))
            stage->alertViewClickedButtonAtIndex(index);
    }
    // Taken away without an answer: the shot stops where it is.
    void alertViewCancel(platform::AlertView&) override {
        if (auto stage = std::dynamic_pointer_cast<FrameLayer>(stage_.lock()))
            stage->alertViewClickedButtonAtIndex(1);
    }

private:
    std::weak_ptr<CCNode> stage_;
};

} // namespace

void GameViewController::declareShootingActions() {
    A::Action fire;
    fire.title = QStringLiteral("Shooting mode");
    fire.icon = QStringLiteral("shooting-off.png");
    fire.keys = {Qt::Key_F};
    fire.trigger = [this](QObject* s) {
        switchFire(s);
    };
    fire.enabled = [this] {
        const FrameLayer* stage = frameLayer_.get();
        return !isPlaying_ && !shotInProgress() &&
               !(stage && (stage->inZoom() || stage->izZooming()));
    };
    actions_.declare(A::Fire, std::move(fire));
    // A shot takes frames one after another: nothing else may step, take, delete, play, undo
    // or close until it ends.
    for (A::Id id : {A::NewFrame, A::PreviousFrame, A::NextFrame, A::Play, A::DeleteFrame, A::Undo,
                     A::Redo, A::Close}) {
        A::Action a = actions_.action(id);
        std::function<bool()> rule = std::move(a.enabled);
        a.enabled = [this, rule] {
            return !shotInProgress() && (!rule || rule());
        };
        actions_.declare(id, std::move(a));
    }
}

void GameViewController::switchFire(QObject* sender) {
    FrameLayer* stage = frameLayer_.get();
    // Posing owns the figure tagged for it; a shot would clear that tag.
    if (!stage || stage->inZoom() || stage->izZooming() || stage->editingHuman())
        return;
    if (sender && (isPlaying_ || shotInProgress()))
        return;
    stage->setShootingMode(!stage->shootingMode());
}

void GameViewController::askToContinueFiring() {
    collisionAlert_ = platform::AlertView::create(
        QStringLiteral("Collision detected"), QStringLiteral("Continue firing sequence?"), nullptr,
        QStringLiteral("Continue"), {QStringLiteral("Stop")});
    collisionAlert_->setOwnedDelegate(
        std::make_shared<CollisionAlertDelegate>(frameLayer_->weak_from_this()));
    collisionAlert_->show();
}

void GameViewController::shootingStateChanged() {
    const bool on = frameLayer_ && frameLayer_->shootingMode();
    const A::Action& fire = actions_.action(A::Fire);
    const QString icon =
        on ? QStringLiteral("shooting-on.png") : QStringLiteral("shooting-off.png");
    if (fire.icon != icon)
        actions_.setLook(
            A::Fire, on ? QStringLiteral("Leave shooting mode") : QStringLiteral("Shooting mode"),
            icon);
    actions_.refreshEnabled();
}
