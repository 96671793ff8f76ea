// Shooting mode through the touch dispatcher: the path drawn from a weapon's firing point, the
// shot's frames and bullets, the collision question, the fire button and one undo step per shot.

#include "StageFixture.h"
#include "document/Commands.h"
#include "editor/Catalogue.h"
#include "engine/CCDirector.h"
#include "items/Bullet.h"
#include "items/Hmn.h"
#include "items/Weapon.h"
#include "platform/AlertView.h"
#include "platform/Timer.h"
#include "platform/widgets/ViewAnimation.h"

#include <QImage>
#include <QTest>

#include <cmath>
#include <set>

namespace {

using A = EditorActions;
using Alerts = platform::AlertView;

// Palette entries.
constexpr int kGunRight = 3, kGunLeft = 4, kGrenade = 9, kShuriken = 16, kM16 = 23;
constexpr int kBox = 1, kTree = 2, kBlood = 7, kBubble = 26;

class ShootingTest : public StageTest {
protected:
    // A weapon of a palette entry, at scale 1, its firing point exactly at `fire`.
    std::shared_ptr<Weapon> weapon(int tag, Point fire) {
        auto w = Catalogue::makeWeapon(tag);
        w->setScale(1);
        w->setPosition(Point(0, 0));
        const Point off = w->shootingStartPoint();
        w->setPosition(Point(fire.x - off.x, fire.y - off.y));
        // Float rounding may leave it an ulp off: nudged onto the point.
        for (int i = 0; i < 8 && w->shootingStartPoint() != fire; ++i) {
            const Point p = w->position(), got = w->shootingStartPoint();
            w->setPosition(Point(std::nextafter(p.x, p.x + (fire.x - got.x)),
                                 std::nextafter(p.y, p.y + (fire.y - got.y))));
        }
        EXPECT_EQ(w->shootingStartPoint(), fire);
        editor->addSprite(w);
        return w;
    }
    std::shared_ptr<CCSprite> object(int tag, Point at) {
        auto o = Catalogue::makeObject(tag);
        o->setPosition(at);
        editor->addSprite(o);
        return o;
    }
    // `moves` points from `from`, each `step` further.
    static std::vector<Point> stroke(Point from, Point step, int moves) {
        std::vector<Point> path;
        for (int k = 1; k <= moves; ++k)
            path.push_back(Point(from.x + float(k) * step.x, from.y + float(k) * step.y));
        return path;
    }
    void fireMode() {
        editor->switchFire(editor->actions().button(A::Fire));
        ASSERT_TRUE(stage->shootingMode());
    }
    // Mode on, a finger from `from` along `path`, lifted.
    void shoot(Point from, const std::vector<Point>& path) {
        fireMode();
        press({{0, from}});
        for (Point p : path)
            move({{0, p}});
        release({{0, path.empty() ? from : path.back()}});
    }
    // Steps until the shot ends or asks; the number of steps.
    int run(const std::function<void(int)>& afterStep = {}) {
        int steps = 0;
        while (platform::Timer* t = stage->shootingTimer()) {
            EXPECT_DOUBLE_EQ(t->timeInterval(), 1.0 / 60);
            t->fire();
            ++steps;
            if (afterStep)
                afterStep(steps);
        }
        return steps;
    }
    void answer(const QString& button) {
        const auto alerts = Alerts::visibleAlerts();
        ASSERT_EQ(alerts.size(), 1u);
        ASSERT_EQ(alerts[0]->title(), "Collision detected");
        ASSERT_EQ(alerts[0]->message(), "Continue firing sequence?");
        ASSERT_EQ(alerts[0]->buttonTitleAtIndex(0), "Continue");
        alerts[0]->dismissWithClickedButtonIndex(alerts[0]->indexOfButton(button));
    }
    // The item of a frame that is the travelling bullet: a gun's Bullet, or the thrown weapon.
    static CCSprite* bulletIn(const Frame& f, bool thrown) {
        for (const auto& s : f.sprites())
            if (thrown ? dynamic_cast<Weapon*>(s.get()) != nullptr
                       : dynamic_cast<Bullet*>(s.get()) != nullptr)
                return s.get();
        return nullptr;
    }
    int frameCount() const { return editor->animation().frameCount(); }
};

TEST_F(ShootingTest, ThePathKeepsPointsFiveApartIgnoresShortMovesAndFillsLongOnes) {
    const Point f(100, 160);
    weapon(kGunRight, f);
    struct Case {
        const char* name;
        std::vector<float> moves; // x offsets from the firing point, finger positions in turn
        std::vector<float> path;  // x offsets of the path points
    };
    const Case cases[] = {
        {"exactly 5 apart", {5, 10, 15}, {0, 5, 10, 15}},
        {"one move of 23, then 2 more ignored", {23, 25, 28}, {0, 5, 10, 15, 20, 28}},
        {"moves of 3 add up", {3, 6, 9, 12, 15, 18}, {0, 5, 14}},
        {"within the slack of 5", {3, 5}, {0, 5}},
        {"no move", {}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fireMode();
        press({{0, f}});
        for (float x : c.moves)
            move({{0, Point(f.x + x, f.y)}});
        std::vector<float> got;
        for (Point p : stage->shootingPoints()) {
            EXPECT_EQ(p.y, f.y);
            got.push_back(p.x - f.x);
        }
        EXPECT_EQ(got, c.path);
        // The path shows in blue over the stage once it has two points.
        const QImage shown = CCDirector::sharedDirector().renderToImage(QSize(960, 640));
        bool blue = false;
        for (int y = 640 - 2 * int(f.y) - 2; y <= 640 - 2 * int(f.y) + 2; ++y) {
            const QRgb px = shown.pixel(2 * int(f.x) + 6, y);
            blue = blue || (qBlue(px) > 200 && qRed(px) < 60 && qGreen(px) < 60);
        }
        EXPECT_EQ(blue, got.size() >= 2);
        release({{0, f}});
        run();
        editor->clearAllFrames();
        weapon(kGunRight, f);
    }
}

TEST_F(ShootingTest, EachStepTakesAFrameWithTheBulletTurnedAlongThePath) {
    struct Case {
        const char* name;
        int weapon;
        Point step;
        int moves;
        float rotation;
    };
    const Case cases[] = {
        {"right, facing 1", kGunRight, {5, 0}, 20, 360},
        {"right, facing 2", kGunLeft, {5, 0}, 20, 540},
        {"up", kGunRight, {0, 5}, 6, 270},
        {"down", kGunRight, {0, -5}, 6, -270},
        {"left", kGunRight, {-5, 0}, 6, 180},
        {"grenade right", kGrenade, {5, 0}, 6, 360 + 180 + 180},
        {"grenade left", kGrenade, {-5, 0}, 6, 180 + 180},
    };
    const Point f(240, 160);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        editor->clearAllFrames();
        auto w = weapon(c.weapon, f);
        const bool thrown = w->bullet().get() == w.get();
        shoot(f, stroke(f, c.step, c.moves));
        const auto path = stage->shootingPoints();
        ASSERT_EQ(path.size(), size_t(c.moves + 1));
        run();
        // N points, N - 2 frames; the bullet of frame k at path point k + 1.
        ASSERT_EQ(frameCount(), 1 + c.moves - 1);
        for (int k = 1; k < frameCount(); ++k) {
            const CCSprite* b = bulletIn(*editor->frames()[size_t(k)], thrown);
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->position(), path[size_t(k + 1)]);
            EXPECT_FLOAT_EQ(b->rotation(), c.rotation);
        }
        // The end of the path ends the mode.
        EXPECT_FALSE(stage->shootingMode());
        EXPECT_EQ(stage->shootingWeapon(), nullptr);
        EXPECT_EQ(editor->actions().action(A::Fire).icon.toStdString(), "shooting-off.png");
    }
    // The shuriken spins 15 a step, whatever the path.
    editor->clearAllFrames();
    auto shuriken = weapon(kShuriken, f);
    shuriken->setRotation(10);
    shoot(f, stroke(f, Point(0, 5), 8));
    run();
    for (int k = 1; k < frameCount(); ++k)
        EXPECT_FLOAT_EQ(bulletIn(*editor->frames()[size_t(k)], true)->rotation(), 10 + 15 * k);
}

TEST_F(ShootingTest, AMachineRifleAddsABulletEverySeventhStepUpToFive) {
    const Point f(20, 160);
    weapon(kM16, f);
    shoot(f, stroke(f, Point(5, 0), 39));
    const auto path = stage->shootingPoints();
    ASSERT_EQ(path.size(), 40u);
    run([&](int s) {
        if (s > 38)
            return;
        std::set<int> tags;
        for (const auto& child : stage->children())
            if (dynamic_cast<Bullet*>(child.get()))
                tags.insert(child->tag());
        std::set<int> expected{777};
        for (int j = 1; j <= std::min(4, s / 7); ++j) {
            expected.insert(778 + j);
            EXPECT_EQ(stage->getChildByTag(778 + j)->position(), path[size_t(s + 1 - 7 * j)]);
        }
        EXPECT_EQ(tags, expected) << "step " << s;
    });
    EXPECT_EQ(frameCount(), 39);
    EXPECT_EQ(stage->getChildByTag(777), nullptr);
}

TEST_F(ShootingTest, HitsAskOncePerItemAndOnlyFiguresAndCollidingPropsAreHit) {
    const Point f(40, 160);
    weapon(kGunRight, f);
    auto tree = object(kTree, Point(150, 160));
    object(kBlood, Point(100, 160));
    weapon(kGunLeft, Point(200, 160));
    auto figure = Catalogue::makeFigure();
    editor->addSprite(figure);
    // Every item on the path; each is hit where the path first enters it.
    const auto path = stroke(f, Point(5, 0), 70);
    auto firstHit = [&](const CCSprite& item) {
        for (size_t i = 0; i < path.size(); ++i)
            if (item.containsPoint(path[i]))
                return int(i);
        return -1;
    };
    for (float y = 100; firstHit(*figure) < 0 && y < 220; y += 5)
        figure->setPosition(Point(330, y));
    ASSERT_GE(firstHit(*tree), 0);
    ASSERT_GT(firstHit(*figure), firstHit(*tree));

    shoot(f, path);
    // Touches while the shot runs change nothing.
    tap(f);
    tap(Point(460, 20));
    EXPECT_TRUE(stage->shootingMode());
    EXPECT_EQ(stage->shootingPoints().size(), path.size() + 1);

    std::vector<Point> askedAt;
    for (run(); !Alerts::visibleAlerts().empty(); run()) {
        askedAt.push_back(stage->getChildByTag(777)->position());
        answer("Continue");
    }
    ASSERT_EQ(askedAt.size(), 2u);
    EXPECT_TRUE(tree->containsPoint(askedAt[0]));
    EXPECT_TRUE(figure->containsPoint(askedAt[1]));
    EXPECT_EQ(frameCount(), 1 + int(path.size() + 1) - 2);

    // A speech bubble asks too; Stop ends the shot and keeps the mode on until a touch that
    // lands on no firing point.
    editor->clearAllFrames();
    weapon(kGunRight, f);
    object(kBubble, Point(120, 160));
    shoot(f, stroke(f, Point(5, 0), 40));
    run();
    answer("Stop");
    EXPECT_EQ(stage->shootingTimer(), nullptr);
    EXPECT_EQ(stage->shootingWeapon(), nullptr);
    EXPECT_EQ(stage->getChildByTag(777), nullptr);
    EXPECT_TRUE(stage->shootingMode());
    EXPECT_EQ(editor->actions().action(A::Fire).icon.toStdString(), "shooting-on.png");
    const int frames = frameCount();
    tap(Point(400, 250));
    EXPECT_FALSE(stage->shootingMode());
    EXPECT_EQ(frameCount(), frames);
}

TEST_F(ShootingTest, AShotIsOneStepOfUndoAndOnlyItsFramesMarkTheAnimationChanged) {
    const Point f(100, 160);
    auto gun = weapon(kGunRight, f);
    editor->animation().markUnchanged();
    const auto before = editor->frames()[0]->sprites();
    fireMode();
    press({{0, f}});
    for (Point p : stroke(f, Point(5, 0), 5))
        move({{0, p}});
    EXPECT_FALSE(editor->isDirty());
    release({{0, Point(125, 160)}});
    run();
    EXPECT_TRUE(editor->isDirty());
    ASSERT_EQ(frameCount(), 5);
    ASSERT_EQ(editor->animation().undoStack().count(), 1);
    const auto taken = editor->frames();

    editor->undo();
    EXPECT_EQ(frameCount(), 1);
    EXPECT_EQ(editor->frames()[0]->sprites(), before);
    EXPECT_EQ(gun->bullet()->parent(), nullptr);
    EXPECT_FALSE(editor->isDirty());
    editor->redo();
    EXPECT_EQ(editor->frames(), taken);
    EXPECT_TRUE(editor->frames()[0]->containsSprite(gun->bullet().get()));
    EXPECT_EQ(editor->currentFrameIndex(), 4);
}

TEST_F(ShootingTest, TheFireButtonAndItsKeySwitchTheModeAndATouchOffTheWeaponsEndsIt) {
    QAbstractButton* button = editor->actions().button(A::Fire);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->toolTip().endsWith("(F)"));
    for (bool on : {true, false}) {
        QTest::keyClick(editor->view(), Qt::Key_F);
        EXPECT_EQ(stage->shootingMode(), on);
        EXPECT_EQ(editor->actions().action(A::Fire).icon.toStdString(),
                  on ? "shooting-on.png" : "shooting-off.png");
    }
    // The mouse as the finger: press on the firing point, drag, release.
    const Point f(100, 160);
    weapon(kGunRight, f);
    QTest::keyClick(editor->view(), Qt::Key_F);
    mousePress(f);
    for (Point p : stroke(f, Point(5, 0), 4))
        mouseMove(p);
    mouseRelease(Point(120, 160));
    run();
    EXPECT_EQ(frameCount(), 4);
    QTest::keyClick(editor->view(), Qt::Key_F);
    tap(Point(300, 250));
    EXPECT_FALSE(stage->shootingMode());
}

// ---- the faults mended

TEST_F(ShootingTest, FrameCommandsWaitForAShotAndAMissingBulletEndsIt) {
    const Point f(60, 160);
    weapon(kGunRight, f);
    shoot(f, stroke(f, Point(5, 0), 12));
    for (int i = 0; i < 3; ++i)
        stage->shootingTimer()->fire();
    const int frames = frameCount(), current = editor->currentFrameIndex();
    for (A::Id id : {A::NewFrame, A::PreviousFrame, A::NextFrame, A::Play, A::DeleteFrame, A::Undo,
                     A::Redo, A::Close}) {
        const auto& action = editor->actions().action(id);
        EXPECT_FALSE(action.enabled()) << action.title.toStdString();
        action.trigger(nullptr);
        EXPECT_TRUE(Alerts::visibleAlerts().empty()) << action.title.toStdString();
        EXPECT_EQ(frameCount(), frames) << action.title.toStdString();
        EXPECT_EQ(editor->currentFrameIndex(), current) << action.title.toStdString();
        EXPECT_FALSE(editor->isPlaying());
    }
    EXPECT_FALSE(editor->actions().action(A::Fire).enabled());
    editor->switchFire(editor->actions().button(A::Fire));
    EXPECT_TRUE(stage->shootingMode());

    // The bullet taken off the stage: the next step ends the shot with the frames it has.
    stage->removeChild(stage->getChildByTag(777), true);
    stage->shootingTimer()->fire();
    EXPECT_EQ(stage->shootingTimer(), nullptr);
    EXPECT_FALSE(stage->isShotInProgress());
    EXPECT_FALSE(stage->shootingMode());
    EXPECT_EQ(frameCount(), frames);
    EXPECT_EQ(editor->animation().undoStack().count(), 2); // the gun's add and the shot
    EXPECT_TRUE(editor->actions().action(A::Undo).enabled());

    // A frame taken while a path is drawn drops the path: lifting the finger fires nothing.
    fireMode();
    press({{0, f}});
    move({{0, Point(f.x + 20, f.y)}});
    QTest::keyClick(editor->view(), Qt::Key_N);
    EXPECT_EQ(stage->shootingWeapon(), nullptr);
    release({{0, Point(f.x + 20, f.y)}});
    EXPECT_FALSE(stage->isShotInProgress());
    EXPECT_EQ(frameCount(), frames + 1);
}

TEST_F(ShootingTest, FiringAgainAfterAShotThatTookNoFramePlacesTheSameBulletAgain) {
    const Point f(100, 160);
    auto gun = weapon(kGunRight, f);
    for (const auto& path : {std::vector<Point>{}, stroke(f, Point(5, 0), 1)}) {
        for (int shot = 0; shot < 2; ++shot) {
            EXPECT_NO_THROW(shoot(f, path));
            run();
            EXPECT_EQ(frameCount(), 1);
            int bullets = 0;
            for (const auto& child : stage->children())
                bullets += dynamic_cast<Bullet*>(child.get()) != nullptr;
            EXPECT_EQ(bullets, 1);
            EXPECT_EQ(gun->bullet()->position(), f);
            EXPECT_TRUE(editor->frames()[0]->containsSprite(gun->bullet().get()));
        }
    }
}

TEST_F(ShootingTest, SeveralHitsInOneStepAskOneAtATimeAndResumeOnce) {
    const Point f(60, 160);
    for (const char* last : {"Continue", "Stop"}) {
        SCOPED_TRACE(last);
        editor->clearAllFrames();
        weapon(kGunRight, f);
        auto box = object(kBox, Point(120, 160));
        object(kBox, Point(120, 160));
        ASSERT_TRUE(box->containsPoint(Point(120, 160)));
        shoot(f, stroke(f, Point(5, 0), 30));
        run();
        EXPECT_EQ(stage->pendingCollisionQuestions(), 2);
        answer(last);
        if (QString(last) == "Stop") {
            EXPECT_TRUE(Alerts::visibleAlerts().empty());
            EXPECT_FALSE(stage->isShotInProgress());
            EXPECT_TRUE(stage->shootingMode());
            continue;
        }
        EXPECT_EQ(stage->shootingTimer(), nullptr);
        answer("Continue");
        ASSERT_NE(stage->shootingTimer(), nullptr);
        // One timer: each further step takes exactly one frame.
        const int frames = frameCount();
        stage->shootingTimer()->fire();
        EXPECT_EQ(frameCount(), frames + 1);
        run();
        EXPECT_TRUE(Alerts::visibleAlerts().empty());
        EXPECT_EQ(frameCount(), 1 + 31 - 2);
    }
}

TEST_F(ShootingTest, WhilePosingTheFireButtonDoesNothingAndThePosedFigureKeepsItsTag) {
    auto figure = Catalogue::makeFigure();
    editor->addSprite(figure);
    allowDoubleTaps(true);
    const Point body = figure->body()->position();
    tap(Point(470, 310));
    tap(body);
    tap(body);
    allowDoubleTaps(false);
    ASSERT_TRUE(stage->inZoom());
    while (platform::Timer* t = stage->editHumanTimer())
        t->fire();
    platform::finishViewAnimations();
    EXPECT_FALSE(editor->actions().action(A::Fire).enabled());
    editor->switchFire(editor->actions().button(A::Fire));
    editor->switchFire();
    EXPECT_FALSE(stage->shootingMode());
    EXPECT_EQ(figure->tag(), FrameLayer::kPosedTag);
    EXPECT_EQ(stage->editingHuman(), figure.get());
}

} // namespace
