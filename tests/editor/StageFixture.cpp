#include "StageFixture.h"

#include "TestSupport.h"
#include "platform/AlertView.h"
#include "platform/Paths.h"
#include "platform/UserDefaults.h"
#include "platform/widgets/SceneView.h"
#include "platform/widgets/ViewAnimation.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QStyleHints>
#include <QThread>

Rect BasketEditor::basketRect() {
    const QSize picture = QImage(platform::resourcePath(QStringLiteral("basket.png"))).size();
    const float w = float(picture.width()), h = float(picture.height());
    return Rect(480 - 30 - w / 2, h - 30 - h / 2, w, h);
}

bool BasketEditor::basketContainsScreenPoint(Point screen) const {
    return basketRect().containsPoint(screen);
}

void StageTest::SetUp() {
    qputenv("KELVORA_HOME", testsupport::makeTempDir().toUtf8());
    platform::UserDefaults::resetStandardUserDefaults();
    savedDoubleClickInterval_ = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    allowDoubleTaps(false);
    // Known before the window shows, or its first touches go nowhere.
    touchScreen();
    editor = std::make_unique<BasketEditor>();
    editor->view();
    editor->startScene();
    window = std::make_unique<platform::Window>();
    window->setRootViewController(editor.get());
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    stage = editor->frameLayer();
}

void StageTest::TearDown() {
    for (const auto& a : platform::AlertView::visibleAlerts())
        a->cancel();
    platform::finishViewAnimations();
    editor->view()->setParent(nullptr);
    window.reset();
    editor.reset();
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(savedDoubleClickInterval_);
    platform::UserDefaults::resetStandardUserDefaults();
}

void StageTest::allowDoubleTaps(bool allow) {
    // Single taps: a millisecond's interval, waited out before every press.
    doubleTaps_ = allow;
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(allow ? 10000 : 1);
}

void StageTest::separateTaps() const {
    if (!doubleTaps_)
        QThread::msleep(3);
}

QPoint StageTest::viewPoint(Point screen) {
    return QPoint(int(std::lround(screen.x)), int(std::lround(320 - screen.y)));
}

QPointingDevice* StageTest::touchScreen() {
    static QPointingDevice* device = QTest::createTouchDevice();
    return device;
}

void StageTest::send(Phase phase, std::initializer_list<Finger> fingers) {
    if (phase == Phase::Press)
        separateTaps();
    std::set<int> mentioned;
    for (const Finger& f : fingers)
        mentioned.insert(f.id);
    auto seq = QTest::touchEvent(editor->sceneView(), touchScreen());
    for (int id : down_)
        if (!mentioned.count(id))
            seq.stationary(id);
    for (const Finger& f : fingers) {
        const QPoint at = viewPoint(f.at);
        if (phase == Phase::Press) {
            seq.press(f.id, at, editor->sceneView());
            down_.insert(f.id);
        } else if (phase == Phase::Move) {
            seq.move(f.id, at, editor->sceneView());
        } else {
            seq.release(f.id, at, editor->sceneView());
            down_.erase(f.id);
        }
    }
    seq.commit();
}

void StageTest::drag(Point from, std::initializer_list<Point> path) {
    press({{0, from}});
    Point last = from;
    for (Point p : path) {
        move({{0, p}});
        last = p;
    }
    release({{0, last}});
}

namespace {

void sendMouse(QWidget* view, QEvent::Type type, QPoint at, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers) {
    const QPointF local(at);
    QMouseEvent e(type, local, view->mapToGlobal(local),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, modifiers);
    QApplication::sendEvent(view, &e);
}

} // namespace

void StageTest::mousePress(Point at, Qt::KeyboardModifiers modifiers) {
    separateTaps();
    sendMouse(editor->sceneView(), QEvent::MouseButtonPress, viewPoint(at), Qt::LeftButton,
              modifiers);
}

void StageTest::mouseMove(Point at) {
    sendMouse(editor->sceneView(), QEvent::MouseMove, viewPoint(at), Qt::LeftButton,
              Qt::NoModifier);
}

void StageTest::mouseRelease(Point at) {
    sendMouse(editor->sceneView(), QEvent::MouseButtonRelease, viewPoint(at), Qt::NoButton,
              Qt::NoModifier);
}

void StageTest::mouseDoubleClick(Point at) {
    // What a window system sends for a double click: press, release, double click, release.
    mousePress(at);
    mouseRelease(at);
    sendMouse(editor->sceneView(), QEvent::MouseButtonDblClick, viewPoint(at), Qt::LeftButton,
              Qt::NoModifier);
    mouseRelease(at);
}
