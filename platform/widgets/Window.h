#pragma once

#include "platform/AlertView.h"

#include <QWidget>

#include <map>

namespace platform {

class ViewController;

// The program's one window: 480 × 320 points holding the root screen, the screens presented
// over it and the alerts on top of everything.
class Window : public QWidget, public AlertView::Presenter {
public:
    explicit Window(QWidget* parent = nullptr);
    ~Window() override;

    void setRootViewController(ViewController* vc);
    ViewController* rootViewController() const { return root_; }

    void present(AlertView& alert) override;
    void dismiss(AlertView& alert) override;
    // The widget showing an alert (tests press its buttons).
    QWidget* alertWidget(const AlertView& alert) const;

private:
    ViewController* root_ = nullptr;
    std::map<const AlertView*, QWidget*> overlays_;
};

} // namespace platform
