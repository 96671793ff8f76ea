#include "platform/widgets/ViewController.h"

#include "base/Screen.h"
#include "platform/widgets/ViewAnimation.h"

#include <QWidget>

namespace platform {

namespace {
constexpr double kPresentSeconds = 0.3;
}

ViewController::ViewController(QObject* parent) : QObject(parent) {}

ViewController::~ViewController() {
    if (presenter_ && presenter_->modal_ == this)
        presenter_->modal_ = nullptr;
    if (modal_)
        modal_->presenter_ = nullptr;
    delete view_.data();
}

QWidget* ViewController::view() {
    if (!view_) {
        loadView();
        if (!view_)
            setView(new QWidget);
        viewDidLoad();
    }
    return view_;
}

void ViewController::loadView() {
    auto* v = new QWidget;
    v->resize(kScreenWidth, kScreenHeight);
    setView(v);
}

void ViewController::setView(QWidget* view) {
    view_ = view;
}

ViewController* ViewController::topViewController() {
    ViewController* top = this;
    while (top->modal_)
        top = top->modal_;
    return top;
}

void ViewController::presentModalViewController(ViewController* vc, bool animated) {
    if (!vc || vc == this || modal_)
        return;
    QWidget* host = view()->window();
    QWidget* v = vc->view();
    modal_ = vc;
    vc->presenter_ = this;

    viewWillDisappear(animated);
    vc->viewWillAppear(animated);
    v->setParent(host);
    const QRect full(0, 0, host->width(), host->height());
    if (animated) {
        setViewFrame(v, full.translated(0, full.height()));
        v->show();
        v->raise();
        animateViewGeometry(v, full, kPresentSeconds);
    } else {
        setViewFrame(v, full);
        v->show();
        v->raise();
    }
    viewDidDisappear(animated);
    vc->viewDidAppear(animated);
}

void ViewController::dismissModalViewControllerAnimated(bool animated) {
    // Asked of the presented screen itself, it goes to the one that presented it.
    if (!modal_) {
        if (presenter_)
            presenter_->dismissModalViewControllerAnimated(animated);
        return;
    }
    // Screens presented over the one going away go with it.
    if (modal_->modal_)
        modal_->dismissModalViewControllerAnimated(false);
    ViewController* vc = modal_;
    QWidget* v = vc->view();
    vc->viewWillDisappear(animated);
    viewWillAppear(animated);
    modal_ = nullptr;
    vc->presenter_ = nullptr;
    if (animated) {
        QPointer<QWidget> guard(v);
        animateViewGeometry(v, viewFrame(v).translated(0, v->height()), kPresentSeconds, [guard] {
            if (guard)
                guard->hide();
        });
    } else {
        v->hide();
    }
    vc->viewDidDisappear(animated);
    viewDidAppear(animated);
}

} // namespace platform
