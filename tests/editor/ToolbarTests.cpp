// The toolbar as the user meets it: its slides, its row of buttons, the close button's place
// and the keys its tooltips promise.

#include "EditorFixture.h"
#include "editor/EditorLayout.h"
#include "editor/Palettes.h"
#include "engine/CCScheduler.h"
#include "platform/widgets/ViewAnimation.h"

#include <QAbstractButton>
#include <QKeySequence>
#include <QScrollArea>

namespace {

using A = EditorActions;
using ToolbarTest = WindowedEditorTest;

struct Places {
    QRect toolbar, pause, camera;
    bool operator==(const Places&) const = default;
};

TEST_F(ToolbarTest, TogglesMoveByTheirStepsAndEndWhereTheyBegan) {
    auto places = [this] {
        platform::finishViewAnimations();
        return Places{platform::viewFrame(gvc->toolbar()), platform::viewFrame(gvc->pauseButton()),
                      platform::viewFrame(gvc->cameraButton())};
    };
    auto icon = [this](A::Id id) {
        return gvc->actions().action(id).icon;
    };
    const Places rest = places();

    press(Qt::Key_T); // lowered: the pause button goes with it
    Places p = places();
    EXPECT_EQ(p.toolbar, rest.toolbar.translated(0, 47));
    EXPECT_TRUE(gvc->pauseButton()->isHidden());
    EXPECT_EQ(icon(A::ToggleToolbar), "slide-up.png");
    gvc->toggleToolbar(nullptr);
    EXPECT_EQ(places(), rest);
    EXPECT_FALSE(gvc->pauseButton()->isHidden());
    EXPECT_EQ(icon(A::ToggleToolbar), "slide-down.png");

    press(Qt::Key_C); // the colour row rises, and the buttons above the toolbar with it
    p = places();
    EXPECT_EQ(p.toolbar, rest.toolbar.translated(0, -47));
    EXPECT_EQ(p.pause, rest.pause.translated(0, -47));
    EXPECT_EQ(p.camera, rest.camera.translated(0, -47));
    EXPECT_EQ(icon(A::TogglePaintRow), "arr-down.png");
    EXPECT_TRUE(A::isReachable(gvc->actions().button(A::PaintColor1)));

    // The moves are relative: lowering now brings the toolbar back to its resting place.
    gvc->toggleToolbar(nullptr);
    EXPECT_EQ(places().toolbar, rest.toolbar);
    gvc->toggleToolbar(nullptr);
    gvc->togglePaintToolbar();
    EXPECT_EQ(places(), rest);
    EXPECT_EQ(icon(A::TogglePaintRow), "arr-up.png");

    // Posing lowers it by 100 and back.
    gvc->hideToolbar();
    EXPECT_EQ(places().toolbar, rest.toolbar.translated(0, 100));
    gvc->showToolbar();
    EXPECT_EQ(places(), rest);
}

TEST_F(ToolbarTest, EveryButtonOfTheRowCanBeScrolledWhollyOnScreen) {
    auto* row = gvc->toolbar()->findChild<QScrollArea*>();
    ASSERT_NE(row, nullptr);
    QWidget* root = gvc->view();
    const QRect screen(0, 0, 480, 320);
    EXPECT_TRUE(
        screen.contains(QRect(row->viewport()->mapTo(root, QPoint()), row->viewport()->size())));
    const auto buttons = row->widget()->findChildren<QAbstractButton*>();
    ASSERT_GE(buttons.size(), 13);
    for (QAbstractButton* b : buttons) {
        row->ensureWidgetVisible(b, 0, 0);
        const QRect at(b->mapTo(root, QPoint()), b->size());
        EXPECT_TRUE(screen.contains(at)) << b->accessibleName().toStdString();
        // Undo and redo are greyed out with nothing to undo.
        EXPECT_TRUE(!b->isEnabled() || A::isReachable(b)) << b->accessibleName().toStdString();
    }
}

TEST_F(ToolbarTest, TheCloseButtonCoversNoPaletteEntryNorTheBasket) {
    const QRect close = platform::viewFrame(gvc->closeButton())
                            .translated(platform::viewFrame(gvc->toolbar()).topLeft());
    auto covered = [&] {
        for (int x = close.left(); x <= close.right(); x += 2)
            for (int y = close.top(); y <= close.bottom(); y += 2) {
                const Point scene(float(x), float(320 - y));
                if (gvc->shownPaletteContains(scene) || gvc->basketContainsScreenPoint(scene))
                    return true;
            }
        return false;
    };
    gvc->showBasket();
    for (auto show : {&GameViewController::showObjects, &GameViewController::showWeapons}) {
        (gvc.get()->*show)(false);
        for (int i = 0; i < 30; ++i)
            CCScheduler::sharedScheduler().tick(1.0f / 60);
        EXPECT_FALSE(covered());
        EXPECT_TRUE(A::isReachable(gvc->closeButton()));
    }
}

TEST_F(ToolbarTest, EveryActionHasAKeyAndItsTooltipNamesIt) {
    for (int id = 0; id < A::Count; ++id) {
        const A::Action& a = gvc->actions().action(A::Id(id));
        EXPECT_FALSE(a.keys.empty()) << a.title.toStdString();
        if (!a.button)
            continue;
        for (QKeyCombination k : a.keys)
            EXPECT_TRUE(
                a.button->toolTip().contains(QKeySequence(k).toString(QKeySequence::NativeText)))
                << a.button->toolTip().toStdString();
    }
}

} // namespace
