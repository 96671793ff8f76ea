#pragma once

#include "platform/widgets/ViewController.h"

#include <vector>

// A stack of screens shown one at a time in the same place: pushing slides the new one in from
// the right, popping slides it back out. Each screen has its own bar. The screen on top is told
// when the stack itself appears and disappears.
class NavigationController : public platform::ViewController {
public:
    explicit NavigationController(platform::ViewController* root, QObject* parent = nullptr);
    ~NavigationController() override;

    void pushViewController(platform::ViewController* vc, bool animated);
    void popViewControllerAnimated(bool animated);
    const std::vector<platform::ViewController*>& viewControllers() const { return stack_; }
    platform::ViewController* visibleViewController() const { return stack_.back(); }
    // The stack a screen is on, or none.
    static NavigationController* of(const platform::ViewController* vc);

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;

protected:
    void loadView() override;

private:
    std::vector<platform::ViewController*> stack_;
};
