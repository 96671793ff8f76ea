// Pose editing on the editor's side: the arrow and colour buttons that replace the toolbar
// while a figure is posed, and the colour row's buttons.
#include "document/Commands.h"
#include "editor/EditorLayout.h"
#include "editor/GameViewController.h"
#include "items/Hmn.h"
#include "platform/widgets/SceneView.h"

#include <QToolButton>

#include <array>
#include <functional>

using namespace editorlayout;

namespace {

struct ColorButton {
    const char* name;
    const char* icon;
    hmnColor color;
};

// By tag, from kFirstColorTag on.
constexpr std::array<ColorButton, GameViewController::kColorCount> kColors{{
    {"Green", "color-green.png", {31, 201, 28}},
    {"Red", "color-red.png", {225, 16, 16}},
    {"Blue", "color-blue.png", {16, 26, 225}},
    {"Yellow", "color-yellow.png", {225, 223, 16}},
    {"Purple", "color-purple.png", {197, 0, 127}},
    {"Black", "color-black.png", {0, 0, 0}},
    {"Orange", "color-orange.png", {235, 93, 10}},
    {"Pink", "color-pink.png", {244, 6, 198}},
    {"White", "color-white.png", {255, 255, 255}},
}};

// One arrow press moves the figure this far (stage points).
constexpr float kArrowStep = 5;

// The pose controls, in screen points: a row of colours along the bottom left, the arrows as a
// cross beside it.
constexpr int kPoseColorButton = 30;
constexpr int kPoseArrowButton = 36;
constexpr int kPaintColorButton = 40;

} // namespace

hmnColor GameViewController::colorForTag(int tag) {
    const int i = tag - kFirstColorTag;
    return i >= 0 && i < kColorCount ? kColors[size_t(i)].color : hmnColor{};
}

void GameViewController::declarePoseActions() {
    using A = EditorActions;
    auto add = [this](A::Id id, const QString& title, const QString& icon, Qt::Key key,
                      std::function<void(QObject*)> run) {
        A::Action a;
        a.title = title;
        a.icon = icon;
        if (key != Qt::Key_unknown)
            a.keys = {key};
        a.trigger = std::move(run);
        actions_.declare(id, std::move(a));
    };
    auto choose = [this](QObject* s) {
        setPlayerColor(s);
    };
    for (int i = 0; i < kColorCount; ++i) {
        const QString name = QString::fromLatin1(kColors[size_t(i)].name);
        const QString icon = QString::fromLatin1(kColors[size_t(i)].icon);
        // The digits pick from whichever colour buttons are on screen: the colour row while it
        // is raised, the pose controls while a figure is posed.
        add(A::Id(A::PaintColor1 + i), name, icon, Qt::Key(Qt::Key_1 + i), choose);
        add(A::Id(A::PoseColor1 + i), name, icon, Qt::Key(Qt::Key_1 + i), choose);
    }
    add(A::MoveLeft, QStringLiteral("Move the figure left"), QStringLiteral("arr-left.png"),
        Qt::Key_Left, [this](QObject* s) { moveLeft(s); });
    add(A::MoveRight, QStringLiteral("Move the figure right"), QStringLiteral("arr-right.png"),
        Qt::Key_Right, [this](QObject* s) { moveRight(s); });
    add(A::MoveUp, QStringLiteral("Move the figure up"), QStringLiteral("arr-up.png"), Qt::Key_Up,
        [this](QObject* s) { moveUp(s); });
    add(A::MoveDown, QStringLiteral("Move the figure down"), QStringLiteral("arr-down.png"),
        Qt::Key_Down, [this](QObject* s) { moveDown(s); });
    // No button: it works on the stage while it can be clicked.
    add(A::LeavePose, QStringLiteral("Stop posing"), QString(), Qt::Key_Escape,
        [this](QObject*) { leavePoseEditing(); });
    A::Action leave = actions_.action(A::LeavePose);
    leave.enabled = [this] {
        return frameLayer_ && frameLayer_->inZoom() && !frameLayer_->izZooming();
    };
    leave.keyArea = sceneView_;
    actions_.declare(A::LeavePose, std::move(leave));
}

void GameViewController::buildPoseControls(QWidget* root) {
    using A = EditorActions;
    for (int i = 0; i < kColorCount; ++i) {
        const int step = kPaintColorButton + kToolbarSpacing - 2;
        QToolButton* paint = actions_.makeButton(A::Id(A::PaintColor1 + i), paintRow_,
                                                 QRect(kToolbarRowX + i * step,
                                                       (kToolbarRow - kPaintColorButton) / 2,
                                                       kPaintColorButton, kPaintColorButton));
        QToolButton* pose = actions_.makeButton(A::Id(A::PoseColor1 + i), root,
                                                QRect(4 + i * (kPoseColorButton + 4),
                                                      kScreenHeight - 4 - kPoseColorButton,
                                                      kPoseColorButton, kPoseColorButton),
                                                2);
        for (QToolButton* b : {paint, pose}) {
            b->setProperty("tag", kFirstColorTag + i);
            b->setCheckable(true);
        }
        humanEditingControls_.push_back(pose);
    }
    // The arrows as a cross at the bottom, left of the camera button (which stays: frames are
    // taken while posing).
    const int a = kPoseArrowButton;
    const int left = kScreenWidth - 4 - kCameraButton - 4 - 3 * a;
    const int top = kScreenHeight - 4 - 3 * a;
    const std::pair<A::Id, QPoint> arrows[] = {{A::MoveLeft, QPoint(left, top + a)},
                                               {A::MoveRight, QPoint(left + 2 * a, top + a)},
                                               {A::MoveUp, QPoint(left + a, top)},
                                               {A::MoveDown, QPoint(left + a, top + 2 * a)}};
    for (const auto& [id, at] : arrows)
        humanEditingControls_.push_back(actions_.makeButton(id, root, QRect(at, QSize(a, a)), 2));
    setHumanEditingControlsVisible(false);
}

void GameViewController::setHumanEditingControlsVisible(bool visible) {
    for (QAbstractButton* b : humanEditingControls_)
        b->setVisible(visible);
}

void GameViewController::beginEditingHuman() {
    pauseButton()->hide();
    closeButton_->hide();
    hideToolbar();
    hideObjects(true);
    hideWeapons(true);
    setHumanEditingControlsVisible(true);
}

void GameViewController::endEditingHuman() {
    pauseButton()->show();
    closeButton_->show();
    showToolbar();
    setHumanEditingControlsVisible(false);
}

void GameViewController::moveLeft(QObject*) {
    movePlayerBy(Point(-kArrowStep, 0));
}

void GameViewController::moveRight(QObject*) {
    movePlayerBy(Point(kArrowStep, 0));
}

void GameViewController::moveUp(QObject*) {
    movePlayerBy(Point(0, kArrowStep));
}

void GameViewController::moveDown(QObject*) {
    movePlayerBy(Point(0, -kArrowStep));
}

void GameViewController::movePlayerBy(Point d) {
    FrameLayer& stage = *frameLayer_;
    // The camera keeps the figure where it was on the screen.
    const Point c = stage.cameraPosition();
    const float s = stage.stageScale();
    stage.moveCameraTo(Point(c.x + d.x * s, c.y + d.y * s));
    Hmn* figure = stage.editingHuman();
    if (!figure)
        return;
    const ItemPlacement before = ItemPlacement::of(*figure);
    figure->setPosition(figure->position() + d);
    Frame* frame = animation_.currentFrame();
    if (!frame || !frame->containsSprite(figure))
        return;
    animation_.push(new ItemPlacementCommand(
        animation_, frame, std::static_pointer_cast<CCSprite>(figure->shared_from_this()), before,
        ItemPlacement::of(*figure)));
}

void GameViewController::setPlayerColor(QObject* button) {
    const int tag = button ? button->property("tag").toInt() : 0;
    // Both rows show the chosen colour highlighted.
    for (int i = 0; i < kColorCount; ++i)
        for (int id : {EditorActions::PaintColor1 + i, EditorActions::PoseColor1 + i})
            if (QAbstractButton* b = actions_.button(EditorActions::Id(id)))
                b->setChecked(kFirstColorTag + i == tag);
    frameLayer_->setShouldSetHmnColor(true);
    frameLayer_->setHmnColorToSet(colorForTag(tag));
}

void GameViewController::leavePoseEditing() {
    frameLayer_->leavePoseEditing();
}
