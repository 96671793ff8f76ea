#pragma once

#include "platform/widgets/ViewController.h"

class QTextBrowser;

// The about page, "wAbout.html" from the resources.
class AboutController : public platform::ViewController {
public:
    explicit AboutController(QObject* parent = nullptr);
    void close(QObject* sender);
    void viewDidAppear(bool) override;
    QTextBrowser* webView() const { return webView_; }

protected:
    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextBrowser* webView_ = nullptr;
};
