#include "shell/NavigationController.h"

#include "base/Screen.h"
#include "platform/widgets/ViewAnimation.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

namespace {

constexpr double kSlideSeconds = 0.25;

QHash<const platform::ViewController*, NavigationController*>& stacks() {
    static QHash<const platform::ViewController*, NavigationController*> s;
    return s;
}

} // namespace

NavigationController::NavigationController(platform::ViewController* root, QObject* parent)
    : platform::ViewController(parent), stack_{root} {
    stacks().insert(root, this);
}

NavigationController::~NavigationController() {
    for (auto* vc : stack_)
        stacks().remove(vc);
}

NavigationController* NavigationController::of(const platform::ViewController* vc) {
    return stacks().value(vc, nullptr);
}

void NavigationController::loadView() {
    auto* v = new QWidget;
    v->setObjectName(QStringLiteral("navigation"));
    v->resize(kScreenWidth, kScreenHeight);
    QWidget* root = stack_.front()->view();
    root->setParent(v);
    root->setGeometry(0, 0, kScreenWidth, kScreenHeight);
    root->show();
    setView(v);
}

void NavigationController::pushViewController(platform::ViewController* vc, bool animated) {
    view();
    platform::ViewController* from = stack_.back();
    QWidget* v = vc->view();
    from->viewWillDisappear(animated);
    vc->viewWillAppear(animated);
    stack_.push_back(vc);
    stacks().insert(vc, this);
    v->setParent(view());
    const QRect full(0, 0, kScreenWidth, kScreenHeight);
    v->show();
    v->raise();
    if (animated) {
        platform::setViewFrame(v, full.translated(full.width(), 0));
        platform::animateViewGeometry(v, full, kSlideSeconds);
    } else {
        platform::setViewFrame(v, full);
    }
    from->view()->hide();
    from->viewDidDisappear(animated);
    vc->viewDidAppear(animated);
}

void NavigationController::popViewControllerAnimated(bool animated) {
    if (stack_.size() < 2)
        return;
    platform::ViewController* top = stack_.back();
    stack_.pop_back();
    stacks().remove(top);
    platform::ViewController* under = stack_.back();
    top->viewWillDisappear(animated);
    under->viewWillAppear(animated);
    QWidget* v = top->view();
    under->view()->show();
    if (animated) {
        QPointer<QWidget> guard(v);
        platform::animateViewGeometry(v, platform::viewFrame(v).translated(v->width(), 0),
                                      kSlideSeconds, [guard] {
                                          if (guard)
                                              guard->hide();
                                      });
    } else {
        v->hide();
    }
    top->viewDidDisappear(animated);
    under->viewDidAppear(animated);
}

void NavigationController::viewWillAppear(bool animated) {
    stack_.back()->viewWillAppear(animated);
}

void NavigationController::viewDidAppear(bool animated) {
    stack_.back()->viewDidAppear(animated);
}

void NavigationController::viewWillDisappear(bool animated) {
    stack_.back()->viewWillDisappear(animated);
}

void NavigationController::viewDidDisappear(bool animated) {
    stack_.back()->viewDidDisappear(animated);
}
