// Selecting, dragging, turning, resizing and deleting items on the stage, through the scene
// view and the touch dispatcher.

#include "StageFixture.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/Knife.h"

#include <QApplication>

#include <cmath>

namespace {

class StageTouchTest : public StageTest {
protected:
    template <class T> std::shared_ptr<T> put(std::shared_ptr<T> item, Point at) {
        item->setPosition(at);
        editor->addSprite(item);
        return item;
    }
    std::shared_ptr<BoundingSprite> box(Point at) {
        return put(BoundingSprite::spriteWithFile("box.png"), at);
    }
    std::shared_ptr<Knife> knife(Point at) { return put(Knife::knifeWithOrientation(1), at); }
    int undoCount() { return editor->animation().undoStack().count(); }
    bool inFrame(CCSprite* item) { return editor->currentFrame()->containsSprite(item); }
};

TEST_F(StageTouchTest, TheHandleDragsNearTheItemsCentreAndTurnsFurtherOut) {
    struct Case {
        float scale;
        float screenOffset; // from the knife's centre, in screen points
        bool drags;
    };
    // The drag zone is 20 screen points: 20 stage points at scale 1, 7.14 at scale 2.8.
    const Case cases[] = {{1, 10, true}, {1, 25, false}, {2.8f, 19, true}, {2.8f, 21, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "scale " << c.scale << " offset " << c.screenOffset);
        stage->setScale(c.scale);
        auto k = knife(Point(100, 100));
        const Point centre(100 * c.scale, 100 * c.scale);
        tap(centre);
        ASSERT_EQ(stage->movingSprite(), k.get());
        EXPECT_TRUE(stage->rotatingControl()->visible());
        press({{0, Point(centre.x + c.screenOffset, centre.y)}});
        EXPECT_EQ(stage->movingTouch() != nullptr, c.drags);
        EXPECT_EQ(stage->rotatingTouch() != nullptr, !c.drags);
        release({{0, Point(centre.x + c.screenOffset, centre.y)}});
        editor->removeSprite(k.get());
    }
}

TEST_F(StageTouchTest, ATouchPicksTheLowestUnlockedItemAndAFigureGetsNoHandle) {
    auto lower = box(Point(200, 160));
    auto upper = box(Point(200, 160));
    struct Case {
        bool lowerLocked, upperLocked;
        CCSprite* picked;
    };
    const Case cases[] = {
        {false, false, lower.get()}, {true, false, upper.get()}, {true, true, nullptr}};
    for (const Case& c : cases) {
        lower->setLocked(c.lowerLocked);
        upper->setLocked(c.upperLocked);
        tap(Point(200, 160));
        EXPECT_EQ(stage->movingSprite(), c.picked);
        EXPECT_EQ(stage->rotatingControl()->visible(), c.picked != nullptr);
        tap(Point(400, 300)); // empty stage: deselects
        EXPECT_EQ(stage->movingSprite(), nullptr);
    }
    auto h = Hmn::node();
    h->setScale(0.3f);
    put(h, Point(380, 160));
    Point onFigure;
    for (float dy = -60; dy <= 60 && stage->itemAt(onFigure) != h.get(); dy += 2)
        onFigure = Point(380, 160 + dy);
    ASSERT_EQ(stage->itemAt(onFigure), h.get());
    press({{0, onFigure}});
    EXPECT_EQ(stage->movingSprite(), h.get());
    EXPECT_FALSE(stage->rotatingControl()->visible());
    release({{0, onFigure}});
}

TEST_F(StageTouchTest, DraggingMovesTheItemByItsGrabOffsetAsOneStep) {
    auto b = box(Point(100, 100));
    const int before = undoCount();
    drag(Point(110, 105), {Point(150, 150), Point(180, 170), Point(200, 180)});
    EXPECT_EQ(b->position(), Point(190, 175));
    // The finger lifted inside the handle, which followed the item: still selected.
    EXPECT_EQ(stage->selectedItem(), b.get());
    EXPECT_EQ(stage->rotatingControl()->position(), Point(190, 175));
    EXPECT_EQ(undoCount(), before + 1);
    editor->undo();
    EXPECT_EQ(b->position(), Point(100, 100));
    editor->redo();
    EXPECT_EQ(b->position(), Point(190, 175));
    // A tap that moves nothing records nothing; one on empty stage deselects.
    tap(Point(190, 175));
    EXPECT_EQ(undoCount(), before + 1);
    tap(Point(400, 280));
    EXPECT_EQ(stage->selectedItem(), nullptr);
    EXPECT_FALSE(stage->rotatingControl()->visible());
}

TEST_F(StageTouchTest, TurningFollowsTheFingerAroundTheItemOnlyWhenItMoves) {
    auto k = knife(Point(200, 160));
    tap(Point(200, 160));
    const int before = undoCount();
    // A clockwise quarter turn, 25 points out.
    std::vector<Point> arc;
    for (int deg = 0; deg >= -90; deg -= 15)
        arc.push_back(
            Point(200 + 25 * std::cos(deg * M_PI / 180), 160 + 25 * std::sin(deg * M_PI / 180)));
    press({{0, arc.front()}});
    ASSERT_NE(stage->rotatingTouch(), nullptr);
    for (size_t i = 1; i < arc.size(); ++i)
        move({{0, arc[i]}});
    release({{0, arc.back()}});
    EXPECT_NEAR(k->rotation(), 90, 1e-3);
    EXPECT_EQ(undoCount(), before + 1);
    editor->undo();
    EXPECT_NEAR(k->rotation(), 0, 1e-3);

    // Another finger moving does not turn the item again.
    tap(Point(200, 160));
    press({{1, Point(400, 280)}});
    press({{0, Point(225, 160)}});
    move({{0, Point(200, 135)}});
    EXPECT_NEAR(k->rotation(), 90, 1e-3);
    move({{1, Point(410, 280)}});
    move({{1, Point(420, 290)}});
    EXPECT_NEAR(k->rotation(), 90, 1e-3);
    release({{0, Point(200, 135)}, {1, Point(420, 290)}});
}

TEST_F(StageTouchTest, SpreadingTwoFingersResizesWithinLimitsAsOneStep) {
    struct Case {
        float from;
        float spread; // screen points, in five moves
        float to;
    };
    const Case cases[] = {{1, 50, 1.2f}, {2.45f, 50, 2.5f}, {0.4f, -50, 0.3f}, {1, -25, 0.9f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " spread " << c.spread);
        auto b = box(Point(240, 160));
        b->setScale(c.from);
        const int before = undoCount();
        press({{0, Point(240, 160)}, {1, Point(300, 160)}});
        ASSERT_EQ(stage->movingSprite(), b.get());
        // Both fingers move apart (or together), half the spread each.
        const auto at = [&](int i) {
            const float half = c.spread * float(i) / 10;
            return std::pair{Point(240 - half, 160), Point(300 + half, 160)};
        };
        for (int i = 1; i <= 5; ++i)
            move({{0, at(i).first}, {1, at(i).second}});
        release({{0, at(5).first}, {1, at(5).second}});
        EXPECT_NEAR(b->scale(), c.to, 1e-5);
        // Lifted outside the handle, but after a resize: still selected.
        EXPECT_EQ(stage->selectedItem(), b.get());
        EXPECT_EQ(undoCount(), before + 1);
        editor->undo();
        EXPECT_FLOAT_EQ(b->scale(), c.from);
        editor->removeSprite(b.get());
    }
}

TEST_F(StageTouchTest, TheBasketDeletesOnlyWhileShownAndOnlyWhereTheFingerLifts) {
    const Rect basket = BasketEditor::basketRect();
    const Point inBasket(basket.origin.x + basket.size.width / 2,
                         basket.origin.y + basket.size.height / 2);
    struct Case {
        bool shown;
        bool liftInBasket;
        float scale;
        Point camera;
        bool deleted;
    };
    const Case cases[] = {
        {false, true, 1, Point(0, 0), false},
        {true, false, 1, Point(0, 0), false},
        {true, true, 1, Point(0, 0), true},
        // The basket stays where it is on the screen however the camera looks.
        {true, true, 2.8f, Point(100, 50), true},
        {true, true, 1, Point(-60, 20), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.shown << c.liftInBasket << " camera " << c.camera.x);
        editor->basketShown = c.shown;
        stage->setScale(c.scale);
        stage->moveCameraTo(c.camera);
        const Point start(240, 160);
        const Point placed = stage->stagePoint(Point(start.x, 320 - start.y));
        auto b = box(placed);
        const int before = undoCount();
        const Point end = c.liftInBasket ? inBasket : Point(300, 100);
        drag(start, {Point((start.x + end.x) / 2, (start.y + end.y) / 2), end});
        EXPECT_EQ(!inFrame(b.get()), c.deleted);
        EXPECT_EQ(undoCount(), before + 1);
        if (c.deleted) {
            EXPECT_EQ(stage->movingSprite(), nullptr);
            EXPECT_FALSE(stage->rotatingControl()->visible());
            // Undoing the delete brings the item back where it was picked up.
            editor->undo();
            EXPECT_TRUE(inFrame(b.get()));
            EXPECT_EQ(b->position(), placed);
        }
        editor->removeSprite(b.get());
    }
}

TEST_F(StageTouchTest, TouchesBeginningOnAShownPaletteAreIgnored) {
    auto b = box(Point(240, 280));
    editor->palette = Rect(0, 250, 480, 70);
    press({{0, Point(240, 280)}});
    EXPECT_EQ(stage->nTouches(), 0);
    move({{0, Point(240, 200)}});
    release({{0, Point(240, 200)}});
    EXPECT_EQ(stage->movingSprite(), nullptr);
    EXPECT_EQ(b->position(), Point(240, 280));
    editor->palette = Rect();
    tap(Point(240, 280));
    EXPECT_EQ(stage->movingSprite(), b.get());
}

TEST_F(StageTouchTest, TheFingerCountNeverGoesBelowZero) {
    box(Point(100, 100));
    press({{0, Point(100, 100)}});
    EXPECT_EQ(stage->nTouches(), 1);
    // The animation is cleared under the finger: the stage starts from no fingers.
    editor->clearAllFrames();
    EXPECT_EQ(stage->nTouches(), 0);
    release({{0, Point(100, 100)}});
    EXPECT_EQ(stage->nTouches(), 0);
    press({{0, Point(100, 100)}, {1, Point(300, 100)}});
    EXPECT_EQ(stage->nTouches(), 2);
    release({{0, Point(100, 100)}, {1, Point(300, 100)}});
    EXPECT_EQ(stage->nTouches(), 0);
}

TEST_F(StageTouchTest, DeleteDeletesTheSelectedItemAndShiftDeleteTheFrame) {
    auto b = box(Point(100, 100));
    editor->snap(nullptr);
    ASSERT_EQ(editor->frames().size(), 2u);
    auto keep = editor->currentFrame()->sprites().front();
    auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key, modifiers);
    };
    // Nothing selected: Delete does nothing at all.
    press(Qt::Key_Delete);
    EXPECT_TRUE(inFrame(keep.get()));
    EXPECT_TRUE(platform::AlertView::visibleAlerts().empty());

    tap(Point(100, 100));
    ASSERT_EQ(stage->selectedItem(), keep.get());
    const int before = undoCount();
    press(Qt::Key_Backspace);
    EXPECT_FALSE(inFrame(keep.get()));
    EXPECT_EQ(stage->selectedItem(), nullptr);
    EXPECT_EQ(editor->frames().size(), 2u);
    EXPECT_EQ(undoCount(), before + 1);
    EXPECT_TRUE(platform::AlertView::visibleAlerts().empty());

    press(Qt::Key_Delete, Qt::ShiftModifier);
    ASSERT_EQ(platform::AlertView::visibleAlerts().size(), 1u);
    EXPECT_EQ(platform::AlertView::visibleAlerts().back()->title(), "Delete current frame?");
}

TEST_F(StageTouchTest, TheMouseSelectsDragsTurnsAndResizes) {
    auto b = box(Point(200, 160));
    // Click and drag.
    mousePress(Point(205, 160));
    mouseMove(Point(225, 170));
    mouseRelease(Point(225, 170));
    EXPECT_EQ(b->position(), Point(220, 170));
    EXPECT_EQ(stage->selectedItem(), b.get());
    // The handle turns: a quarter turn clockwise.
    mousePress(Point(245, 170));
    mouseMove(Point(238, 152));
    mouseMove(Point(220, 145));
    mouseRelease(Point(220, 145));
    EXPECT_NEAR(b->rotation(), 90, 1e-3);
    // Alt adds a finger mirrored around the centre: dragging away from it spreads the two.
    const int before = editor->animation().undoStack().count();
    mousePress(Point(220, 160), Qt::AltModifier);
    mouseMove(Point(208, 160));
    mouseMove(Point(195, 160));
    mouseRelease(Point(195, 160));
    // Spread from 2 × 20 to 2 × 45 points around the centre (240, 160): +50.
    EXPECT_NEAR(b->scale(), 1.2f, 1e-5);
    EXPECT_EQ(editor->animation().undoStack().count(), before + 1);
    // Dragged onto the basket.
    editor->basketShown = true;
    const Rect basket = BasketEditor::basketRect();
    mousePress(Point(195, 170));
    mouseMove(Point(300, 100));
    mouseMove(Point(basket.origin.x + 10, basket.origin.y + 10));
    mouseRelease(Point(basket.origin.x + 10, basket.origin.y + 10));
    EXPECT_FALSE(inFrame(b.get()));
}

} // namespace
