#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace platform {

// A screen: it owns a view, built on first use, and is told when the view appears and
// disappears. Screens are presented modally over each other inside the one window.
class ViewController : public QObject {
public:
    explicit ViewController(QObject* parent = nullptr);
    ~ViewController() override;

    QWidget* view();
    bool isViewLoaded() const { return view_ != nullptr; }

    // Covers the window with `vc`'s view (sliding up when animated). This screen disappears
    // underneath: it is told viewWillDisappear/viewDidDisappear, `vc` viewWillAppear/viewDidAppear.
    void presentModalViewController(ViewController* vc, bool animated);
    // Takes away the screen this one presents, or this one when it is presented itself.
    void dismissModalViewControllerAnimated(bool animated);
    ViewController* modalViewController() const { return modal_; }
    ViewController* parentViewController() const { return presenter_; }
    // The screen on top: this one or the last of those presented over it.
    ViewController* topViewController();

    virtual void viewWillAppear(bool) {}
    virtual void viewDidAppear(bool) {}
    virtual void viewWillDisappear(bool) {}
    virtual void viewDidDisappear(bool) {}

protected:
    // Builds the view; the default is an empty 480 × 320 widget.
    virtual void loadView();
    virtual void viewDidLoad() {}
    void setView(QWidget* view);

private:
    QPointer<QWidget> view_;
    ViewController* modal_ = nullptr;
    ViewController* presenter_ = nullptr;
};

} // namespace platform
