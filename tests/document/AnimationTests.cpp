// The animation model and its commands, without any widget: random edit sequences undone and
// redone, saves in between, and what the stage shows after every step.
#include "SaveTestSupport.h"
#include "TestSupport.h"

#include "document/Animation.h"
#include "document/Commands.h"
#include "document/SaveInspector.h"
#include "engine/CCLayer.h"
#include "items/CopyingSprite.h"
#include "items/Hmn.h"
#include "items/Knife.h"
#include "items/SpeechBubble.h"
#include "items/Tree.h"
#include "sounds/SoundEffect.h"
#include "sounds/SoundManager.h"
#include "stage/FrameLayer.h"
#include "stage/StagePresenter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <random>
#include <unistd.h>

using namespace savetest;

namespace {

// An animation shown on a stage as the editor shows it.
struct Stage {
    Animation animation;
    std::shared_ptr<FrameLayer> stage = FrameLayer::layerWithColor({255, 255, 255, 0}, 480, 320);
    std::shared_ptr<CCLayerColor> shadow = ColorLayer::layerWithColor({255, 255, 255, 0}, 480, 320);
    std::shared_ptr<CCLayerColor> background =
        ColorLayer::layerWithColor({255, 255, 255, 255}, 480, 320);
    StagePresenter presenter{animation, *stage, *shadow, *background};

    Stage() { animation.clear(); }

    QJsonObject json() const {
        return snapshotToJson(SaveSnapshot::fromFrames(animation.frames(), animation.background(),
                                                       animation.customBackgroundImage(),
                                                       animation.animationSpeed()));
    }

    // The current frame is the one at the current index, the stage shows exactly its items at
    // full opacity, and the onion skin exactly the previous frame's.
    ::testing::AssertionResult shown() const {
        const int i = animation.currentFrameIndex();
        const Frame* current = animation.currentFrame();
        if (!current || animation.frameAt(i) != current)
            return ::testing::AssertionFailure() << "current frame is not frame " << i;
        const auto& items = current->sprites();
        if (stage->children().size() != items.size())
            return ::testing::AssertionFailure() << "stage holds " << stage->children().size()
                                                 << " children for " << items.size() << " items";
        for (size_t k = 0; k < items.size(); ++k) {
            if (stage->children()[k] != items[k])
                return ::testing::AssertionFailure() << "stage child " << k << " is not item " << k;
            if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(items[k].get());
                rgba && rgba->opacity() != 255)
                return ::testing::AssertionFailure() << "item " << k << " is faint";
        }
        const Frame* previous = animation.frameAt(i - 1);
        const size_t expected = previous ? previous->sprites().size() : 0;
        if (shadow->children().size() != expected)
            return ::testing::AssertionFailure()
                   << "onion skin holds " << shadow->children().size() << " for " << expected;
        for (size_t k = 0; k < expected; ++k)
            if (shadow->children()[k] != previous->sprites()[k])
                return ::testing::AssertionFailure() << "onion skin child " << k;
        return ::testing::AssertionSuccess();
    }
};

std::shared_ptr<CCSprite> randomItem(std::mt19937& rng) {
    switch (rng() % 4) {
    case 0:
        return figure(int(rng() % 50));
    case 1: {
        auto knife = Knife::knifeWithOrientation(1 + int(rng() % 2));
        knife->setPosition(Point(float(rng() % 400), float(rng() % 300)));
        return knife;
    }
    case 2: {
        auto bubble = SpeechBubble::spriteWithFile(QStringLiteral("speech-bubble.png"));
        bubble->setText(QStringLiteral("Hi %1").arg(rng() % 100));
        return bubble;
    }
    default:
        return Tree::tree();
    }
}

template <class T> std::shared_ptr<T> pick(const Frame& frame, std::mt19937& rng) {
    std::vector<std::shared_ptr<T>> found;
    for (const auto& item : frame.sprites())
        if (auto t = std::dynamic_pointer_cast<T>(item))
            found.push_back(t);
    if (found.empty())
        return nullptr;
    return found[rng() % found.size()];
}

// One random edit of the current frame or the frame list (or a step to another frame, which
// is not an edit).
void randomEdit(Stage& s, std::mt19937& rng, int& gesture) {
    Animation& a = s.animation;
    Frame* f = a.currentFrame();
    switch (rng() % 13) {
    case 0:
        a.push(new TakeFrameCommand(a, Animation::copyOfFrame(*f), a.currentFrameIndex() + 1));
        break;
    case 1:
        a.push(new DeleteFrameCommand(a, a.currentFrameIndex()));
        break;
    case 2: {
        std::vector<std::shared_ptr<SoundEffect>> sounds;
        for (int k = int(rng() % 3); k > 0; --k)
            sounds.push_back(sound(int(rng() % 59)));
        a.push(new FrameSoundsCommand(a, f, sounds));
        break;
    }
    case 3: {
        BackgroundCommand::Background b = BackgroundCommand::of(a, *f);
        b.frameCode = rng() % 2 ? kCustomBackground : int(rng() % 11);
        b.framePicture =
            b.frameCode == kCustomBackground ? picture(8, 6, int(rng() % 5)) : QImage();
        b.animationCode = b.frameCode;
        if (b.frameCode == kCustomBackground)
            b.animationPicture = b.framePicture;
        a.push(new BackgroundCommand(a, f, b));
        break;
    }
    case 4:
        a.push(new AddItemCommand(a, f, randomItem(rng)));
        break;
    case 5:
        if (!f->sprites().empty()) {
            // Taken out and, now and then, put back on top: joined figures survive both.
            auto item = f->sprites()[rng() % f->sprites().size()];
            a.push(new RemoveItemCommand(a, f, item));
            if (rng() % 2)
                a.push(new AddItemCommand(a, f, item));
        }
        break;
    case 6:
        if (!f->sprites().empty()) {
            // A drag in three moves, merged into one step.
            auto item = f->sprites()[rng() % f->sprites().size()];
            ++gesture;
            for (int k = 0; k < 3; ++k) {
                const ItemPlacement before = ItemPlacement::of(*item);
                item->setPosition(item->position() + Point(float(rng() % 9), -float(rng() % 7)));
                if (!dynamic_cast<Hmn*>(item.get())) {
                    item->setRotation(float(rng() % 360));
                    item->setScale(0.3f + float(rng() % 20) / 10);
                }
                a.push(new ItemPlacementCommand(a, f, item, before, ItemPlacement::of(*item),
                                                gesture));
            }
        }
        break;
    case 7:
        if (auto figure = pick<Hmn>(*f, rng)) {
            const Hmn::Pose before = figure->pose();
            Joint* hand = figure->rightForearm()->headJoint();
            hand->moveTo(hand->position() + Point(float(rng() % 21) - 10, 8), true);
            a.push(new PoseCommand(a, f, figure, before, figure->pose()));
        }
        break;
    case 8:
        if (auto figure = pick<Hmn>(*f, rng))
            a.push(new FigureColorCommand(a, f, figure,
                                          hmnColorMake(uint8_t(rng()), uint8_t(rng()), 9)));
        break;
    case 9:
        if (auto bubble = pick<SpeechBubble>(*f, rng))
            a.push(new BubbleTextCommand(a, f, bubble, QStringLiteral("said %1").arg(rng() % 99)));
        break;
    case 10: {
        // A shot: frames taken one after another, then pushed as one step.
        const int first = a.currentFrameIndex() + 1;
        std::vector<std::shared_ptr<Frame>> frames;
        for (int k = 0; k < 1 + int(rng() % 3); ++k) {
            frames.push_back(Animation::copyOfFrame(*a.currentFrame()));
            a.insertFrame(first + k, frames.back());
            a.setCurrentFrame(frames.back().get());
        }
        a.push(new ShotCommand(a, frames, first));
        break;
    }
    case 11:
        if (!f->sprites().empty() || !f->sounds().empty())
            a.push(new ClearFrameCommand(a, f));
        break;
    default:
        a.setCurrentFrameAtIndex(int(rng() % unsigned(a.frameCount())));
        break;
    }
}

class AnimationTest : public SaveTest {};

TEST_F(AnimationTest, RandomEditsUndoToTheStartRedoToTheEndAndSaveWhatWasThere) {
    std::mt19937 rng(20261208);
    int gesture = 0;
    for (int run = 0; run < 1000; ++run) {
        Stage s;
        s.animation.push(new AddItemCommand(s.animation, s.animation.currentFrame(), figure(run)));
        s.animation.markUnchanged();
        const QJsonObject start = s.json();
        const int edits = 1 + int(rng() % 40);
        // Every fifth run saves once in the middle (writes wait for the disk, so not all).
        const int saveAt = run % 5 == 0 ? int(rng() % unsigned(edits)) : -1;
        QJsonObject saved;
        for (int e = 0; e < edits; ++e) {
            randomEdit(s, rng, gesture);
            ASSERT_TRUE(s.shown()) << "run " << run << " edit " << e;
            if (e == saveAt) {
                saved = s.json();
                ASSERT_TRUE(save(run + 1, s.animation.snapshotForSave()));
                ASSERT_EQ(s.json(), saved) << "run " << run;
                ASSERT_FALSE(s.animation.isDirty());
            }
        }
        const QJsonObject end = s.json();
        while (s.animation.undoStack().canUndo()) {
            s.animation.undoStack().undo();
            ASSERT_TRUE(s.shown()) << "run " << run;
        }
        ASSERT_EQ(s.json(), start) << "run " << run;
        while (s.animation.undoStack().canRedo()) {
            s.animation.undoStack().redo();
            ASSERT_TRUE(s.shown()) << "run " << run;
        }
        ASSERT_EQ(s.json(), end) << "run " << run;
        if (run % 25 == 0) {
            QString where;
            ASSERT_TRUE(sameJson(comparable(load(run + 1)), saved, &where))
                << "run " << run << ": " << where.toStdString();
        }
    }
}

// Folder copies that keep each file's identity (same inode and time), so that what the ledger and
// the last save know of the folder stays true when it is put back.
void linkFolder(const QString& from, const QString& to) {
    for (const QString& name : filesIn(to))
        QFile::remove(QDir(to).filePath(name));
    for (const QString& name : filesIn(from))
        ASSERT_EQ(
            ::link(qPrintable(QDir(from).filePath(name)), qPrintable(QDir(to).filePath(name))), 0);
}

// Random edits of every kind with saves in between that write only what changed: after each
// save the folder holds exactly the bytes a save of everything writes into an empty folder, and
// loads as the animation; stopping a save at any of its steps, as a crash would, leaves the
// previous save or the new one whole.
TEST_F(AnimationTest, IncrementalSavesLeaveWhatAFullSaveWrites) {
    std::mt19937 rng(20261219);
    int gesture = 0;
    int packsLeft = 0; // packs a save did not write again
    for (int run = 0; run < 6; ++run) {
        SCOPED_TRACE(run);
        Stage s;
        for (int k = 1; k < 41 + 5 * run; ++k) {
            auto frame = std::make_shared<Frame>();
            frame->addSprite(randomItem(rng));
            frame->addSprite(randomItem(rng));
            if (k % 7 == 3) {
                frame->setBackground(kCustomBackground);
                frame->setBackgroundImage(picture(8, 6, k % 3));
            }
            s.animation.insertFrame(k, frame);
        }
        s.animation.markUnchanged();
        const QString folder = testsupport::makeTempDir();
        const QString kept = testsupport::makeTempDir();
        const int id = run + 1;
        QJsonObject saved;
        for (int round = 0; round < 7; ++round) {
            SCOPED_TRACE(round);
            for (int e = 1 + int(rng() % 5); e > 0; --e)
                randomEdit(s, rng, gesture);
            const QJsonObject now = s.json();
            const SaveSnapshot snapshot = s.animation.snapshotForSave();
            // Round 0 writes everything; one later round is stopped at each of its steps in
            // turn, the folder put back after each, until it runs to the end.
            const bool crashes = round == 1 + run % 7;
            if (crashes)
                linkFolder(folder, kept);
            SaveWriter writer(id, folder);
            for (int stop = 0;; ++stop) {
                QStringList steps;
                if (crashes)
                    writer.setStepHook([&](const QString& step) {
                        steps.append(step);
                        return steps.size() <= stop;
                    });
                if (writer.write(snapshot, nullptr, nullptr))
                    break;
                ASSERT_TRUE(crashes);
                PictureLedger scratch; // what the writer's ledger knows stays as it was
                const SaveReader::Result r = SaveReader(id, folder, scratch).read(nullptr);
                ASSERT_TRUE(r.complete()) << steps.join(' ');
                // The last step named is the one refused.
                const qsizetype commit = steps.indexOf("commit");
                const bool committed = commit >= 0 && commit < steps.size() - 1;
                QString where;
                ASSERT_TRUE(sameJson(comparable(r), committed ? now : saved, &where))
                    << qPrintable(steps.join(' ')) << ": " << qPrintable(where);
                linkFolder(kept, folder);
            }
            s.animation.saveSucceeded(writer.savedState());
            saved = now;
            packsLeft += int(s.animation.frameCount() + 19) / 20 -
                         int(writer.writtenFiles().filter(".plist").size());

            const QString full = testsupport::makeTempDir();
            PictureLedger fresh;
            SaveSnapshot everything = snapshot;
            everything.previous.reset();
            ASSERT_TRUE(SaveWriter(id, full, fresh).write(everything, nullptr, nullptr));
            const QString difference = sameFolders(folder, full);
            ASSERT_TRUE(difference.isEmpty()) << qPrintable(difference);
        }
        QString where;
        PictureLedger scratch;
        ASSERT_TRUE(
            sameJson(comparable(SaveReader(id, folder, scratch).read(nullptr)), saved, &where))
            << qPrintable(where);
    }
    EXPECT_GT(packsLeft, 20);
}

TEST_F(AnimationTest, UndoingAFrameDeleteGivesBackFiguresThatDragWhole) {
    Stage s;
    Animation& a = s.animation;
    auto h = figure(4);
    a.push(new AddItemCommand(a, a.currentFrame(), h));
    a.push(new TakeFrameCommand(a, Animation::copyOfFrame(*a.currentFrame()), 1));
    a.push(new DeleteFrameCommand(a, 0));
    a.push(new DeleteFrameCommand(a, 0));
    ASSERT_EQ(a.frameCount(), 1);
    EXPECT_TRUE(a.currentFrame()->sprites().empty()); // the placeholder frame
    a.undoStack().undo();
    a.undoStack().undo();
    ASSERT_EQ(a.frameCount(), 2);
    EXPECT_EQ(a.currentFrameIndex(), 0);
    ASSERT_EQ(a.currentFrame()->sprites().front(), h);
    EXPECT_TRUE(s.shown());

    // Dragging the hand pulls the whole arm, and every articulation stays joined.
    Joint* hand = h->rightForearm()->headJoint();
    const Point shoulder = h->rightArm()->tailJoint()->position();
    hand->moveTo(hand->position() + Point(30, 25), true);
    EXPECT_NE(h->rightArm()->tailJoint()->position(), shoulder);
    for (int l = 0; l < Hmn::LimbCount; ++l)
        for (Joint* end : {h->limb(Hmn::Limb(l))->headJoint(), h->limb(Hmn::Limb(l))->tailJoint()})
            for (Joint* other : end->connectedJoints()) {
                EXPECT_NEAR(end->position().x, other->position().x, 1e-3);
                EXPECT_NEAR(end->position().y, other->position().y, 1e-3);
            }
}

TEST_F(AnimationTest, ChangedExactlyWhenAwayFromTheLastSave) {
    Stage s;
    Animation& a = s.animation;
    EXPECT_FALSE(a.isDirty());
    a.push(new AddItemCommand(a, a.currentFrame(), figure(1)));
    EXPECT_TRUE(a.isDirty());
    a.undoStack().undo();
    EXPECT_FALSE(a.isDirty()); // back where it was saved

    a.undoStack().redo();
    a.snapshotForSave();
    EXPECT_FALSE(a.isDirty());
    a.undoStack().undo();
    EXPECT_TRUE(a.isDirty());
    a.undoStack().redo();
    EXPECT_FALSE(a.isDirty());

    // Edits while the save is written leave it changed; a failed save keeps it changed.
    a.snapshotForSave();
    a.push(new TakeFrameCommand(a, std::make_shared<Frame>(), 1));
    EXPECT_TRUE(a.isDirty());
    a.snapshotForSave();
    a.saveFailed();
    EXPECT_TRUE(a.isDirty());

    // Loading and starting anew are not edits, and nothing before them can be undone.
    a.clear();
    EXPECT_FALSE(a.isDirty());
    EXPECT_FALSE(a.undoStack().canUndo());
}

TEST_F(AnimationTest, TheStackKeepsAHundredStepsAndDragsMergeIntoOne) {
    Stage s;
    Animation& a = s.animation;
    auto knife = Knife::knifeWithOrientation(1);
    a.push(new AddItemCommand(a, a.currentFrame(), knife));
    for (int k = 0; k < 5; ++k) {
        const ItemPlacement before = ItemPlacement::of(*knife);
        knife->setPosition(knife->position() + Point(1, 0));
        a.push(new ItemPlacementCommand(a, a.currentFrame(), knife, before,
                                        ItemPlacement::of(*knife), 7));
    }
    EXPECT_EQ(a.undoStack().count(), 2);
    a.undoStack().undo();
    EXPECT_EQ(knife->position(), Point(0, 0));
    for (int k = 0; k < 150; ++k)
        a.push(new TakeFrameCommand(a, std::make_shared<Frame>(), a.currentFrameIndex() + 1));
    EXPECT_EQ(a.undoStack().count(), Animation::kUndoLimit);
    // The saved state fell off the stack: nothing brings the animation back to it.
    while (a.undoStack().canUndo())
        a.undoStack().undo();
    EXPECT_TRUE(a.isDirty());
}

} // namespace
