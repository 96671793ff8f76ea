// The toolbar: its scrolling row of buttons, the colour row under it, and how it slides.
#include "editor/EditorLayout.h"
#include "editor/GameViewController.h"
#include "platform/widgets/ViewAnimation.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QScroller>
#include <QToolButton>
#include <QWheelEvent>

using namespace editorlayout;

namespace {

// The toolbar's row of buttons scrolls sideways when they do not all fit: a mouse wheel turns
// it, a finger drags it.
class ButtonRow : public QScrollArea {
public:
    explicit ButtonRow(QWidget* parent) : QScrollArea(parent) {
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setFocusPolicy(Qt::NoFocus);
        viewport()->setAutoFillBackground(false);
        QScroller::grabGesture(viewport(), QScroller::TouchGesture);
    }

protected:
    void wheelEvent(QWheelEvent* e) override {
        const QPoint d = e->angleDelta();
        const int step = std::abs(d.x()) > std::abs(d.y()) ? d.x() : d.y();
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - step / 4);
        e->accept();
    }
};

} // namespace

void GameViewController::buildToolbar(QWidget* root) {
    // The toolbar along the bottom edge: a tab strip above a row of buttons. Only the row takes
    // touches; the rest of the tab strip lets them through to the stage.
    toolbar_ = new QWidget(root);
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    // The colour row waits below the screen's edge until it is raised.
    platform::setViewFrame(toolbar_, QRect(0, kScreenHeight - kToolbarHeight, kScreenWidth,
                                           kToolbarHeight + kToolbarRow));
    toolbarRow_ = new QWidget(toolbar_);
    toolbarRow_->setObjectName(QStringLiteral("toolbarRow"));
    toolbarRow_->setGeometry(0, kToolbarTab, kScreenWidth, kToolbarRow);
    toolbarRow_->setStyleSheet(QStringLiteral("#toolbarRow { background: rgba(30, 32, 38, 225); }"
                                              "QToolButton { border: none; }"
                                              "QScrollArea, #toolbarButtons { background: "
                                              "transparent; }"));
    auto* row = new ButtonRow(toolbarRow_);
    row->setGeometry(kToolbarRowX, 0, kToolbarRowWidth, kToolbarRow);
    auto* buttons = new QWidget;
    buttons->setObjectName(QStringLiteral("toolbarButtons"));
    int x = 0;
    for (EditorActions::Id id :
         {EditorActions::AddFigure, EditorActions::Objects, EditorActions::Weapons,
          EditorActions::Fire, EditorActions::Basket, EditorActions::PreviousFrame,
          EditorActions::NextFrame, EditorActions::Speed, EditorActions::DeleteFrame,
          EditorActions::Sounds, EditorActions::Locks, EditorActions::ChangeBackground,
          EditorActions::Save, EditorActions::Export, EditorActions::Undo, EditorActions::Redo}) {
        actions_.makeButton(
            id, buttons,
            QRect(x, (kToolbarRow - kToolbarButton) / 2, kToolbarButton, kToolbarButton));
        x += kToolbarButton + kToolbarSpacing;
    }
    buttons->resize(x, kToolbarRow);
    row->setWidget(buttons);
    buildToolbarToggles();

    actions_.makeButton(EditorActions::Play, root,
                        QRect(4, kScreenHeight - kToolbarHeight - 4 - kToolbarButton,
                              kToolbarButton, kToolbarButton));
    actions_.makeButton(EditorActions::NewFrame, root,
                        QRect(kScreenWidth - 4 - kCameraButton,
                              kScreenHeight - kToolbarHeight - 4 - kCameraButton, kCameraButton,
                              kCameraButton));
}

void GameViewController::buildToolbarToggles() {
    // The tab above the row holds the toggle that lowers the toolbar; the colour row's toggle
    // sits at the row's left end. Only these, the row and the colour row take touches.
    actions_.makeButton(EditorActions::ToggleToolbar, toolbar_,
                        QRect(0, 0, kToolbarTab, kToolbarTab), 2);
    // The close button beside it: the palettes slide over the stage's top edge and the basket
    // sits at the right end, so the left of the tab is the one place nothing else uses.
    const QRect closeFrame(kToolbarTab + 4, 0, kToolbarTab, kToolbarTab);
    closeButton_ = actions_.makeButton(EditorActions::Close, toolbar_, closeFrame, 2);
    actions_.makeButton(EditorActions::TogglePaintRow, toolbarRow_,
                        QRect(0, (kToolbarRow - kToolbarTab) / 2, kToolbarRowX, kToolbarTab), 4);
    auto* paintRow = new QWidget(toolbar_);
    paintRow->setObjectName(QStringLiteral("paintRow"));
    paintRow->setStyleSheet(QStringLiteral("#paintRow { background: rgba(30, 32, 38, 225); }"
                                           "QToolButton { border: none; }"));
    paintRow->setGeometry(0, kToolbarHeight, kScreenWidth, kToolbarRow);
    paintRow_ = paintRow;
    QRegion touchable(toolbarRow_->geometry());
    touchable += paintRow->geometry();
    touchable += QRect(0, 0, kToolbarTab, kToolbarTab);
    touchable += closeFrame;
    toolbar_->setMask(touchable);
}

void GameViewController::moveToolbarBy(int dy) {
    QRect r = platform::viewFrame(toolbar_);
    r.translate(0, dy);
    platform::animateViewGeometry(toolbar_, r, platform::kDefaultAnimationDuration);
    // The play and camera buttons stand above the toolbar: they rise with it when the colour
    // row comes up, and stay where they rest when it goes down.
    for (QWidget* b :
         {static_cast<QWidget*>(pauseButton()), static_cast<QWidget*>(cameraButton())}) {
        const int rest = kScreenHeight - kToolbarHeight - 4 - b->height();
        QRect f = platform::viewFrame(b);
        f.moveTop(std::min(rest, r.top() - 4 - b->height()));
        platform::animateViewGeometry(b, f, platform::kDefaultAnimationDuration);
    }
}

void GameViewController::showToolbar() {
    moveToolbarBy(-kToolbarHideDistance);
}

void GameViewController::hideToolbar() {
    moveToolbarBy(kToolbarHideDistance);
}

void GameViewController::showPaintToolbar() {
    moveToolbarBy(-kToolbarRow);
}

void GameViewController::hidePaintToolbar() {
    moveToolbarBy(kToolbarRow);
}

void GameViewController::togglePaintToolbar() {
    if (!paintToolbarIsVisible_) {
        showPaintToolbar();
        paintToolbarIsVisible_ = true;
        actions_.setLook(EditorActions::TogglePaintRow, QStringLiteral("Hide the colours"),
                         QStringLiteral("arr-down.png"));
    } else {
        hidePaintToolbar();
        paintToolbarIsVisible_ = false;
        actions_.setLook(EditorActions::TogglePaintRow, QStringLiteral("Colours"),
                         QStringLiteral("arr-up.png"));
    }
}

void GameViewController::toggleToolbar(QObject*) {
    // Relative moves: each state undoes its own, whatever the colour row does.
    if (toolbarHidden_) {
        moveToolbarBy(-kToolbarRow);
        actions_.setLook(EditorActions::ToggleToolbar, QStringLiteral("Lower the toolbar"),
                         QStringLiteral("slide-down.png"));
        toolbarHidden_ = false;
        pauseButton()->show();
    } else {
        pauseButton()->hide();
        moveToolbarBy(kToolbarRow);
        actions_.setLook(EditorActions::ToggleToolbar, QStringLiteral("Raise the toolbar"),
                         QStringLiteral("slide-up.png"));
        toolbarHidden_ = true;
    }
}

void GameViewController::showView(QWidget* view, bool animated) {
    const QPointF c(platform::viewCenter(view).x(), view->height() / 2.0);
    if (animated)
        platform::animateViewCenter(view, c);
    else
        platform::setViewCenter(view, c);
}

void GameViewController::hideView(QWidget* view, bool animated) {
    const QPointF c(platform::viewCenter(view).x(), -view->height() / 2.0);
    if (animated)
        platform::animateViewCenter(view, c);
    else
        platform::setViewCenter(view, c);
}
