#include "EditorFixture.h"
#include "editor/ItemsLockController.h"
#include "engine/CCDirector.h"
#include "items/BoundingSprite.h"
#include "items/Bullet.h"
#include "items/Hmn.h"
#include "items/Knife.h"
#include "items/SpeechBubble.h"
#include "items/Tree.h"
#include "platform/widgets/SceneView.h"

#include <QListWidget>
#include <QTest>

namespace {

using LocksScreenTest = EditorTest;

TEST_F(LocksScreenTest, RowsNameEachItemAndClicksFlipItsLock) {
    auto paint = BoundingSprite::spriteWithFile("paint-red.png");
    auto coffin = BoundingSprite::spriteWithFile("coffin-closed.png");
    using Row = std::pair<std::shared_ptr<CCSprite>, QString>;
    using Item = std::shared_ptr<CCSprite>;
    const std::vector<Row> rows = {
        Row(Item(figure(Point(200, 150))), "Stick Figure"),
        Row(Item(bubble(Point(50, 50), "Hi")), QStringLiteral("Speech Bubble \u201cHi\u201d")),
        Row(Item(Tree::tree()), "Tree"),
        Row(Item(Knife::knifeWithOrientation(1)), "Knife"),
        Row(paint, "Paint-red"),
        Row(coffin, "Coffin-closed"),
        Row(Item(Bullet::spriteWithFile("bullet.png")), "Bullet"),
        Row(Item(Sprite::spriteWithFile("blood.png")), "Sprite"), // an older file's plain sprite
    };
    for (const auto& [item, title] : rows) {
        ASSERT_TRUE(item) << title.toStdString();
        gvc->addSprite(item);
    }
    gvc->setDirty(false);
    gvc->showLocks();
    ItemsLockController* locks = gvc->lockController();
    EXPECT_EQ(gvc->modalViewController(), locks);
    EXPECT_FALSE(CCDirector::sharedDirector().isAnimating());
    QListWidget* list = locks->tableView();
    ASSERT_EQ(list->count(), int(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(list->item(int(i))->text(), rows[i].second);

    QListWidgetItem* treeRow = list->item(2);
    const qint64 unlockedIcon = treeRow->icon().cacheKey();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(treeRow).center());
    EXPECT_TRUE(ItemsLockController::isLocked(*rows[2].first));
    EXPECT_NE(treeRow->icon().cacheKey(), unlockedIcon);
    locks->selectRow(2);
    EXPECT_FALSE(ItemsLockController::isLocked(*rows[2].first));
    locks->selectRow(7); // nothing to lock, nothing fails
    locks->selectRow(0);
    EXPECT_TRUE(ItemsLockController::isLocked(*rows[0].first));
    // Locks are not part of the animation.
    EXPECT_FALSE(gvc->isDirty());
    locks->done();
    EXPECT_TRUE(CCDirector::sharedDirector().isAnimating());
}

TEST_F(LocksScreenTest, OpeningAScreenStopsPlaybackAndDropsTheSelection) {
    gvc->addSprite(box(Point(100, 100)));
    // A click selects the box; the locks list must not leave it in hand (locked, its handle
    // would still turn it).
    QTest::mouseClick(gvc->sceneView(), Qt::LeftButton, {}, QPoint(100, 220));
    ASSERT_NE(gvc->frameLayer()->selectedItem(), nullptr);
    gvc->showLocks();
    EXPECT_EQ(gvc->frameLayer()->selectedItem(), nullptr);
    gvc->lockController()->done();

    gvc->snap(nullptr);
    gvc->setCurrentFrameAtIndex(0);
    gvc->play();
    ASSERT_TRUE(gvc->isPlaying());
    gvc->showLocks();
    EXPECT_FALSE(gvc->isPlaying());
    EXPECT_EQ(gvc->frameLayer()->movingSprite(), nullptr);
    gvc->lockController()->done();
    gvc->play();
    gvc->showSounds();
    EXPECT_FALSE(gvc->isPlaying());
}

} // namespace
