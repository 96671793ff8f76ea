#pragma once

#include "editor/GameViewController.h"
#include "platform/widgets/Window.h"

#include <QPointingDevice>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <set>

// The editor with a basket where the palettes put it: the picture at half size, centred 30
// points in from the lower right corner, hit anywhere in its unscaled rectangle.
class BasketEditor : public GameViewController {
public:
    bool basketShown = false;
    bool basketVisible() const override { return basketShown; }
    bool basketContainsScreenPoint(Point screen) const override;
    static Rect basketRect();
    // Where a shown palette covers the stage (none when empty).
    Rect palette;
    bool shownPaletteContains(Point screen) const override {
        return palette.size.width > 0 && palette.containsPoint(screen);
    }
};

// An editor in a shown window, driven through its scene view and the real touch dispatcher:
// QTest touch sequences for fingers and mouse events for the desktop mapping. Points are
// screen points (origin bottom-left, y up), as the stage measures them.
class StageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Taps are single unless a test allows double taps (quick taps at one spot).
    void allowDoubleTaps(bool allow);

    // One touch event: fingers pressed, moved or lifted together; the others stay still.
    struct Finger {
        int id;
        Point at;
    };
    enum class Phase { Press, Move, Release };
    void send(Phase phase, std::initializer_list<Finger> fingers);
    void press(std::initializer_list<Finger> f) { send(Phase::Press, f); }
    void move(std::initializer_list<Finger> f) { send(Phase::Move, f); }
    void release(std::initializer_list<Finger> f) { send(Phase::Release, f); }
    // One finger down, along the path, up.
    void drag(Point from, std::initializer_list<Point> path);
    void tap(Point at) { drag(at, {}); }

    // The mouse, with the scene view's finger mapping (Alt: mirrored finger, Alt+Shift:
    // parallel one).
    void mousePress(Point at, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void mouseMove(Point at);
    void mouseRelease(Point at);
    void mouseDoubleClick(Point at);

    static QPoint viewPoint(Point screen);

    std::unique_ptr<BasketEditor> editor;
    std::unique_ptr<platform::Window> window;
    FrameLayer* stage = nullptr;

private:
    void separateTaps() const;
    static QPointingDevice* touchScreen();
    std::set<int> down_;
    bool doubleTaps_ = false;
    int savedDoubleClickInterval_ = 0;
};
