// Adding items from the editor's palettes and its figure button, with the mouse on the stage.
#include "EditorFixture.h"
#include "editor/ItemsLockController.h"
#include "editor/Palettes.h"
#include "editor/SoundsController.h"
#include "engine/CCScheduler.h"
#include "engine/CCScrollView.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/Knife.h"
#include "items/TapingSprite.h"
#include "items/Tree.h"
#include "platform/widgets/SceneView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>

namespace {

class AddingItemsTest : public EditorTest {
protected:
    static void run(float seconds) {
        for (float t = 0; t < seconds; t += 1.0f / 60)
            CCScheduler::sharedScheduler().tick(1.0f / 60);
    }
    void click(EditorActions::Id id) {
        QTest::mouseClick(gvc->actions().button(id), Qt::LeftButton);
        run(0.3f);
    }
    // A mouse drag from (240, 30) to (330, 30) in the view, as a hand would make it.
    static void dragAcross(QWidget* view) {
        QTest::mousePress(view, Qt::LeftButton, {}, QPoint(240, 30));
        for (int x = 250; x <= 330; x += 10) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x, 30), view->mapToGlobal(QPointF(x, 30)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view, &move);
        }
        QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(330, 30));
    }
    // Clicks a palette entry where the stage shows it.
    void clickEntry(CCScrollView* palette, TapingSprite* entry) {
        palette->setContentOffset(Point(240 - entry->position().x, 0));
        const Point at = palette->container_()->convertToWorldSpace(entry->position());
        QTest::mouseClick(gvc->sceneView(), Qt::LeftButton, {}, QPoint(int(at.x), int(320 - at.y)));
    }
};

TEST_F(AddingItemsTest, EntriesAndTheFigureButtonAddItemsThatUndo) {
    Palettes* p = gvc->palettes();
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(p->objectsVisible());
    click(EditorActions::Objects);
    EXPECT_TRUE(p->objectsVisible());
    clickEntry(p->objectsScroll(), p->objectEntry(2));
    const Frame* frame = gvc->currentFrame();
    ASSERT_EQ(frame->sprites().size(), 1u);
    auto* tree = dynamic_cast<Tree*>(frame->sprites()[0].get());
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->position(), Point(100, 100));
    EXPECT_EQ(gvc->frameLayer()->children().size(), 1u);
    EXPECT_TRUE(gvc->isDirty());
    EXPECT_TRUE(p->objectsVisible()); // adding never closes the palette

    click(EditorActions::Weapons);
    EXPECT_FALSE(p->objectsVisible());
    EXPECT_TRUE(p->weaponsVisible());
    clickEntry(p->weaponsScroll(), p->weaponEntry(1));
    ASSERT_EQ(frame->sprites().size(), 2u);
    EXPECT_NE(dynamic_cast<Knife*>(frame->sprites()[1].get()), nullptr);

    click(EditorActions::AddFigure);
    ASSERT_EQ(frame->sprites().size(), 3u);
    auto* figure = dynamic_cast<Hmn*>(frame->sprites()[2].get());
    ASSERT_NE(figure, nullptr);
    EXPECT_EQ(figure->position(), Point(240, 160));
    EXPECT_FLOAT_EQ(figure->hScale(), 0.3f);

    // Each add is a step of its own.
    gvc->undo();
    EXPECT_EQ(frame->sprites().size(), 2u);
    EXPECT_EQ(gvc->frameLayer()->children().size(), 2u);
    gvc->undo();
    gvc->undo();
    EXPECT_TRUE(frame->sprites().empty());
    EXPECT_FALSE(gvc->isDirty());
    gvc->redo();
    EXPECT_EQ(frame->sprites().size(), 1u);
    EXPECT_EQ(frame->sprites()[0].get(), tree);
}

TEST_F(AddingItemsTest, TheLocksAndSoundsEntriesOpenTheirScreens) {
    Palettes* p = gvc->palettes();
    click(EditorActions::Objects);
    clickEntry(p->objectsScroll(), p->objectEntry(40));
    EXPECT_EQ(gvc->modalViewController(), gvc->lockController());
    gvc->lockController()->done();
    clickEntry(p->objectsScroll(), p->objectEntry(41));
    EXPECT_EQ(gvc->modalViewController(), gvc->soundsController());
    EXPECT_TRUE(gvc->currentFrame()->sprites().empty());
    EXPECT_FALSE(gvc->isDirty());
}

TEST_F(AddingItemsTest, TheBasketShowsAndHides) {
    EXPECT_FALSE(gvc->basketVisible());
    click(EditorActions::Basket);
    EXPECT_TRUE(gvc->basketVisible());
    EXPECT_EQ(gvc->palettes()->basket()->opacity(), 150);
    click(EditorActions::Basket);
    EXPECT_FALSE(gvc->basketVisible());
}

TEST_F(AddingItemsTest, DraggingAShownPaletteLeavesTheStageBelowAlone) {
    auto b = box(Point(240, 290));
    gvc->addSprite(b);
    click(EditorActions::Objects);
    QWidget* view = gvc->sceneView();
    dragAcross(view);
    EXPECT_EQ(b->position(), Point(240, 290));
    EXPECT_EQ(gvc->frameLayer()->selectedItem(), nullptr);
    EXPECT_EQ(gvc->animation().undoStack().count(), 1); // only the add
    // The same drag with the palette hidden moves the box.
    click(EditorActions::Objects);
    dragAcross(view);
    EXPECT_EQ(b->position(), Point(330, 290));
}

} // namespace
