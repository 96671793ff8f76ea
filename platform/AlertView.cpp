#include "platform/AlertView.h"

#include <algorithm>

namespace platform {

namespace {
std::vector<std::shared_ptr<AlertView>>& shown() {
    static std::vector<std::shared_ptr<AlertView>> alerts;
    return alerts;
}
AlertView::Presenter* gPresenter = nullptr;
} // namespace

std::shared_ptr<AlertView> AlertView::create(const QString& title, const QString& message,
                                             AlertViewDelegate* delegate,
                                             const QString& cancelButtonTitle,
                                             const QStringList& otherButtonTitles) {
    std::shared_ptr<AlertView> a(new AlertView);
    a->title_ = title;
    a->message_ = message;
    a->delegate_ = delegate;
    a->hasCancel_ = !cancelButtonTitle.isNull();
    if (a->hasCancel_)
        a->buttons_ << cancelButtonTitle;
    a->buttons_ << otherButtonTitles;
    return a;
}

void AlertView::setOwnedDelegate(std::shared_ptr<AlertViewDelegate> d) {
    ownedDelegate_ = std::move(d);
    delegate_ = ownedDelegate_.get();
}

QString AlertView::buttonTitleAtIndex(int i) const {
    return i >= 0 && i < buttons_.size() ? buttons_[i] : QString();
}

int AlertView::indexOfButton(const QString& title) const {
    return int(buttons_.indexOf(title));
}

void AlertView::show() {
    if (visible_)
        return;
    visible_ = true;
    shown().push_back(shared_from_this());
    if (gPresenter)
        gPresenter->present(*this);
}

void AlertView::takeDown() {
    visible_ = false;
    if (gPresenter)
        gPresenter->dismiss(*this);
}

void AlertView::dismissWithClickedButtonIndex(int index, bool) {
    // Keep this alert (and its delegate) alive until both messages have been sent.
    auto self = shared_from_this();
    auto keepDelegate = ownedDelegate_;
    if (delegate_)
        delegate_->alertViewClickedButtonAtIndex(*this, index);
    takeDown();
    std::erase(shown(), self);
    if (delegate_)
        delegate_->alertViewDidDismissWithButtonIndex(*this, index);
    ownedDelegate_.reset();
}

void AlertView::cancel() {
    auto self = shared_from_this();
    auto keepDelegate = ownedDelegate_;
    takeDown();
    std::erase(shown(), self);
    if (delegate_)
        delegate_->alertViewCancel(*this);
    ownedDelegate_.reset();
}

std::vector<std::shared_ptr<AlertView>> AlertView::visibleAlerts() {
    return shown();
}

void AlertView::setPresenter(Presenter* presenter) {
    gPresenter = presenter;
}

AlertView::Presenter* AlertView::presenter() {
    return gPresenter;
}

} // namespace platform
