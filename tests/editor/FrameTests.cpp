#include "EditorFixture.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/SpeechBubble.h"

#include <QImage>

namespace {

using FrameTest = EditorTest;

TEST_F(FrameTest, StartsWithOneEmptyCleanFrame) {
    ASSERT_EQ(gvc->frames().size(), 1u);
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
    EXPECT_EQ(gvc->currentFrame(), &frame(0));
    EXPECT_TRUE(frame(0).sprites().empty());
    EXPECT_EQ(frame(0).background(), 0);
    EXPECT_FALSE(gvc->isDirty());
    // No flash at load.
    EXPECT_TRUE(gvc->flashView()->geometry().isEmpty());
}

TEST_F(FrameTest, SnapCopiesItemsIntoANewFrameAfterTheCurrentOne) {
    auto b = box(Point(100, 100));
    b->setTag(5);
    b->setLocked(true);
    gvc->addSprite(b);
    auto h = figure(Point(240, 160));
    h->setTag(111);
    gvc->addSprite(h);
    frame(0).addSound(sound("Kiss"));
    gvc->setDirty(false);

    gvc->snap(gvc->cameraButton());
    ASSERT_EQ(gvc->frames().size(), 2u);
    EXPECT_EQ(gvc->currentFrameIndex(), 1);
    EXPECT_TRUE(gvc->isDirty());
    const Frame& f1 = frame(1);
    ASSERT_EQ(f1.sprites().size(), 2u);
    EXPECT_TRUE(f1.sounds().empty());
    auto* b1 = dynamic_cast<BoundingSprite*>(f1.sprites()[0].get());
    ASSERT_NE(b1, nullptr);
    EXPECT_NE(b1, b.get());
    EXPECT_EQ(b1->tag(), 5);
    EXPECT_TRUE(b1->locked());
    EXPECT_EQ(f1.sprites()[1]->tag(), 111);
    // The copy moves on its own.
    b1->setPosition(Point(300, 50));
    EXPECT_EQ(b->position(), Point(100, 100));
    // The stage shows the new frame's items, in order.
    ASSERT_EQ(gvc->frameLayer()->children().size(), 2u);
    EXPECT_EQ(gvc->frameLayer()->children()[0].get(), b1);
    EXPECT_TRUE(gvc->shadowLayer()->visible());

    // Snapping in the middle inserts right after the current frame.
    gvc->prevFrame(nullptr);
    frame(0).sprites()[0]->setTag(9);
    gvc->snap(nullptr);
    ASSERT_EQ(gvc->frames().size(), 3u);
    EXPECT_EQ(gvc->currentFrameIndex(), 1);
    EXPECT_EQ(frame(1).sprites()[0]->tag(), 9);
    EXPECT_EQ(frame(2).sprites()[0]->tag(), 5);
    EXPECT_EQ(frame(2).sprites()[0].get(), b1);
}

TEST_F(FrameTest, SnapKeepsTheFramesBackgroundAndPicture) {
    QImage pic(480, 320, QImage::Format_RGB32);
    pic.fill(Qt::darkCyan);
    gvc->setAnimationBackground(kCustomBackground);
    gvc->setAnimationBackgroundImage(pic);
    gvc->snap(nullptr);
    EXPECT_EQ(frame(1).background(), kCustomBackground);
    EXPECT_EQ(frame(1).backgroundImage().cacheKey(), pic.cacheKey());
    gvc->setAnimationBackground(4);
    EXPECT_EQ(frame(1).background(), 4);
    EXPECT_FALSE(frame(1).hasBackgroundImage());
    EXPECT_EQ(frame(0).background(), kCustomBackground);
}

TEST_F(FrameTest, StepsPastEitherEndOnlyReplaySoundsAndBackground) {
    gvc->setAnimationBackground(3);
    gvc->setDirty(false);
    frame(0).addSound(sound("Laser"));
    frame(0).addSound(sound("Boing"));
    takePlayed();
    gvc->prevFrame(nullptr);
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
    EXPECT_EQ(takePlayed(), (QStringList{"Laser.aif", "Boing.aif"}));
    gvc->nextFrame(nullptr);
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
    EXPECT_EQ(takePlayed(), (QStringList{"Laser.aif", "Boing.aif"}));
    EXPECT_EQ(gvc->background(), 3);
    EXPECT_EQ(gvc->backgroundLayer()->children().size(), 1u);
    EXPECT_FALSE(gvc->isDirty());

    gvc->snap(nullptr);
    frame(1).addSound(sound("Zip"));
    gvc->setAnimationBackground(5);
    gvc->prevFrame(nullptr);
    EXPECT_EQ(gvc->background(), 3);
    EXPECT_EQ(takePlayed(), (QStringList{"Laser.aif", "Boing.aif"}));
    gvc->nextFrame(gvc->cameraButton());
    EXPECT_EQ(gvc->background(), 5);
    EXPECT_EQ(takePlayed(), (QStringList{"Zip.aif"}));
}

TEST_F(FrameTest, DeletingFrames) {
    gvc->addSprite(box(Point(10, 10)));
    gvc->setDirty(false);
    gvc->removeCurrentFrame(nullptr);
    // "Cancel" keeps everything.
    answerAlert("Delete current frame?", "Cancel");
    EXPECT_EQ(frame(0).sprites().size(), 1u);
    EXPECT_FALSE(gvc->isDirty());
    // Deleting the only frame leaves one empty frame.
    gvc->removeCurrentFrame(nullptr);
    answerAlert("Delete current frame?", "Delete");
    ASSERT_EQ(gvc->frames().size(), 1u);
    EXPECT_TRUE(frame(0).sprites().empty());
    EXPECT_EQ(frame(0).background(), 0);
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
    EXPECT_TRUE(gvc->frameLayer()->children().empty());
    EXPECT_TRUE(gvc->isDirty());

    // Deleting the last of several makes the new last frame current, at full strength.
    auto b = box(Point(50, 50));
    gvc->addSprite(b);
    gvc->snap(nullptr);
    gvc->snap(nullptr);
    ASSERT_EQ(gvc->currentFrameIndex(), 2);
    gvc->removeCurrentFrame(nullptr);
    answerAlert("Delete current frame?", "Delete");
    ASSERT_EQ(gvc->frames().size(), 2u);
    EXPECT_EQ(gvc->currentFrameIndex(), 1);
    EXPECT_EQ(gvc->currentFrame(), &frame(1));
    ASSERT_EQ(gvc->frameLayer()->children().size(), 1u);
    EXPECT_EQ(gvc->frameLayer()->children()[0].get(), frame(1).sprites()[0].get());
    EXPECT_EQ(frame(1).sprites()[0]->opacity(), 255);

    // Deleting in the middle shows the frame that followed.
    gvc->prevFrame(nullptr);
    frame(1).sprites()[0]->setTag(77);
    gvc->prevFrame(nullptr);
    gvc->removeCurrentFrame(nullptr);
    answerAlert("Delete current frame?", "Delete");
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
    EXPECT_EQ(gvc->currentFrame()->sprites()[0]->tag(), 77);
}

TEST_F(FrameTest, ClearAllFramesLeavesOneCleanEmptyFrame) {
    gvc->addSprite(box(Point(1, 1)));
    gvc->snap(nullptr);
    gvc->snap(nullptr);
    gvc->setAnimationBackground(7);
    gvc->setDirty(false);
    gvc->clearAllFrames();
    ASSERT_EQ(gvc->frames().size(), 1u);
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
    EXPECT_TRUE(frame(0).sprites().empty());
    EXPECT_EQ(frame(0).background(), 0);
    EXPECT_FALSE(frame(0).hasBackgroundImage());
    EXPECT_TRUE(gvc->frameLayer()->children().empty());
    EXPECT_TRUE(gvc->shadowLayer()->children().empty());
    EXPECT_FALSE(gvc->isDirty());
}

TEST_F(FrameTest, KeepItemsQuestionAfterABackgroundChange) {
    gvc->addSprite(box(Point(1, 1)));
    frame(0).addSound(sound("Zip"));
    gvc->setDirty(false);
    gvc->clearFrameRequest();
    answerAlert("Do you want the current items to remain on the screen?", "Yes");
    EXPECT_EQ(frame(0).sprites().size(), 1u);
    EXPECT_EQ(frame(0).sounds().size(), 1u);
    EXPECT_FALSE(gvc->isDirty());
    gvc->clearFrameRequest();
    answerAlert("Do you want the current items to remain on the screen?", "No");
    EXPECT_TRUE(frame(0).sprites().empty());
    EXPECT_TRUE(frame(0).sounds().empty());
    EXPECT_TRUE(gvc->frameLayer()->children().empty());
    EXPECT_TRUE(gvc->isDirty());

    // Cancelled by the platform: the editor closes the animation.
    gvc->addSprite(box(Point(1, 1)));
    gvc->snap(nullptr);
    gvc->clearFrameRequest();
    platform::AlertView::visibleAlerts().back()->cancel();
    ASSERT_EQ(gvc->frames().size(), 1u);
    EXPECT_TRUE(frame(0).sprites().empty());
}

TEST_F(FrameTest, CustomCodeWithoutAPictureShowsNoBackground) {
    frame(0).setBackground(kCustomBackground);
    gvc->snap(nullptr);
    gvc->setCurrentFrameAtIndex(0);
    EXPECT_EQ(gvc->background(), kCustomBackground);
    EXPECT_TRUE(gvc->backgroundLayer()->children().empty());
    gvc->setAnimationBackground(2);
    EXPECT_EQ(gvc->backgroundLayer()->children().size(), 1u);
    // Stepping there takes the picture path with no picture: the layer is left empty.
    frame(0).setBackground(kCustomBackground);
    gvc->nextFrame(nullptr);
    gvc->prevFrame(nullptr);
    EXPECT_TRUE(gvc->backgroundLayer()->children().empty());
    // Out-of-range indices are ignored.
    gvc->setCurrentFrameAtIndex(5);
    gvc->setCurrentFrameAtIndex(-1);
    EXPECT_EQ(gvc->currentFrameIndex(), 0);
}

TEST_F(FrameTest, BackgroundsAndWhatMarksTheAnimationChanged) {
    // Numbers without a picture leave the stage white, and are still recorded.
    for (int code : {0, 11, 1}) {
        gvc->setAnimationBackground(2);
        gvc->setAnimationBackground(code);
        EXPECT_EQ(gvc->background(), code);
        EXPECT_EQ(gvc->currentFrame()->background(), code);
        EXPECT_TRUE(gvc->backgroundLayer()->children().empty()) << code;
    }
    EXPECT_TRUE(gvc->isDirty()); // the frame's background changed
    gvc->setDirty(false);
    gvc->setAnimationBackground(1);
    EXPECT_FALSE(gvc->isDirty()); // nothing changed
    gvc->setAnimationBackground(10);
    EXPECT_EQ(gvc->backgroundLayer()->children().size(), 1u);
    EXPECT_TRUE(gvc->isDirty());

    QImage pic(100, 100, QImage::Format_RGB32);
    pic.fill(Qt::red);
    gvc->setDirty(false);
    gvc->setAnimationBackgroundImage(pic);
    EXPECT_EQ(gvc->background(), 10); // the picture does not change the code
    EXPECT_TRUE(gvc->isDirty());
    gvc->setDirty(false);
    gvc->setAnimationBackgroundImage(pic);
    EXPECT_FALSE(gvc->isDirty());

    // Stepping and adding sounds through the frame's own lists leave it clean; items do not.
    gvc->snap(nullptr);
    gvc->setDirty(false);
    gvc->prevFrame(nullptr);
    gvc->nextFrame(nullptr);
    gvc->setCurrentFrameAtIndex(0);
    EXPECT_FALSE(gvc->isDirty());
    auto b = box(Point(5, 5));
    gvc->addSprite(b);
    EXPECT_TRUE(gvc->isDirty());
    gvc->setDirty(false);
    gvc->removeSprite(b.get());
    EXPECT_TRUE(gvc->isDirty());
    EXPECT_TRUE(gvc->currentFrame()->sprites().empty());
}

TEST_F(FrameTest, SwitchingRestoresOpacityAndPosingKeepsTheFigure) {
    auto h = figure(Point(200, 150));
    h->setTag(111);
    gvc->addSprite(h);
    gvc->frameLayer()->setEditingHuman(h);
    gvc->snap(gvc->cameraButton());
    auto* copy = dynamic_cast<Hmn*>(gvc->frameLayer()->getChildByTag(111));
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, h.get());
    EXPECT_EQ(gvc->frameLayer()->editingHuman(), copy);
    // While posing, items dim to 150; snap keeps the limbs at full strength.
    EXPECT_EQ(copy->opacity(), 150);
    EXPECT_EQ(copy->body()->opacity(), 255);
    EXPECT_TRUE(copy->body()->showJoints());
    gvc->prevFrame(nullptr);
    EXPECT_EQ(h->opacity(), 150);
    EXPECT_EQ(h->body()->opacity(), 150);
    gvc->frameLayer()->setEditingHuman(nullptr);
    gvc->nextFrame(nullptr);
    EXPECT_EQ(copy->opacity(), 255);
    EXPECT_EQ(copy->head()->opacity(), 255);
}

} // namespace
