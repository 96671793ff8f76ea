#include "shell/AboutController.h"

#include "platform/Paths.h"
#include "shell/ShellLook.h"

#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QTextBrowser>

AboutController::AboutController(QObject* parent) : platform::ViewController(parent) {}

void AboutController::loadView() {
    QWidget* page = shelllook::makePage(QStringLiteral("about"));
    const shelllook::Bar bar =
        shelllook::makeBar(page, QStringLiteral("About"), QString(), QStringLiteral("Close"));
    QObject::connect(bar.right, &QPushButton::clicked, this, [this, b = bar.right] { close(b); });
    webView_ = new QTextBrowser(page);
    webView_->setObjectName(QStringLiteral("aboutPage"));
    webView_->setOpenExternalLinks(true);
    webView_->setFrameShape(QFrame::NoFrame);
    webView_->setGeometry(0, shelllook::kBarHeight, page->width(),
                          page->height() - shelllook::kBarHeight);
    webView_->installEventFilter(this);
    page->setFocusPolicy(Qt::StrongFocus);
    page->setFocusProxy(webView_);
    page->installEventFilter(this);
    setView(page);
}

void AboutController::viewDidLoad() {
    QFile page(platform::resourcePath(QStringLiteral("wAbout.html")));
    if (page.open(QIODevice::ReadOnly))
        webView_->setHtml(QString::fromUtf8(page.readAll()));
    webView_->setSearchPaths({platform::resourceFolder()});
}

void AboutController::viewDidAppear(bool) {
    view()->setFocus();
}

void AboutController::close(QObject*) {
    dismissModalViewControllerAnimated(true);
}

bool AboutController::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close(nullptr);
        return true;
    }
    return false;
}
