#include "platform/widgets/Window.h"

#include "base/Screen.h"
#include "platform/widgets/ViewController.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace platform {

namespace {

// A dimmed cover over the whole window with the alert's panel in the middle.
//
// Keys: Return (or Enter) answers a name prompt with its first other button and closes a
// one-button alert; Escape answers a name prompt with its cancel button and closes a one-button
// alert. Other questions wait for a click (or Tab and Space): their cancel buttons are answers
// such as "Exit", which a stray key must not give.
class AlertOverlay : public QWidget {
public:
    AlertOverlay(QWidget* parent, AlertView& alert)
        : QWidget(parent), alert_(alert.shared_from_this()) {
        setObjectName(QStringLiteral("alert"));
        setFocusPolicy(Qt::StrongFocus);
        setGeometry(parent->rect());
        auto* panel = new QWidget(this);
        panel->setObjectName(QStringLiteral("alertPanel"));
        panel->setStyleSheet(QStringLiteral(
            "#alertPanel { background: #f4f4f6; border: 1px solid #9a9aa2; border-radius: 10px; }"
            "QLabel#alertTitle { font-weight: bold; font-size: 14px; color: #1c1c1e; }"
            "QLabel#alertMessage { font-size: 12px; color: #2c2c2e; }"
            "QPushButton { min-height: 24px; padding: 2px 12px; font-size: 13px; }"));
        auto* layout = new QVBoxLayout(panel);
        layout->setContentsMargins(14, 12, 14, 12);
        layout->setSpacing(8);
        auto* title = new QLabel(alert.title(), panel);
        title->setObjectName(QStringLiteral("alertTitle"));
        title->setWordWrap(true);
        title->setAlignment(Qt::AlignCenter);
        layout->addWidget(title);
        // A message of blank lines only makes room for the text field; ours has its own.
        if (!alert.message().trimmed().isEmpty()) {
            auto* message = new QLabel(alert.message(), panel);
            message->setObjectName(QStringLiteral("alertMessage"));
            message->setWordWrap(true);
            message->setAlignment(Qt::AlignCenter);
            layout->addWidget(message);
        }
        if (alert.hasTextField()) {
            auto* field = new QLineEdit(alert.text(), panel);
            field->setPlaceholderText(alert.placeholder());
            field->setObjectName(QStringLiteral("alertText"));
            QObject::connect(field, &QLineEdit::textChanged, [weak = alert_](const QString& t) {
                if (auto a = weak.lock())
                    a->setText(t);
            });
            layout->addWidget(field);
            focus_ = field;
        }
        auto* row = new QHBoxLayout;
        for (int i = 0; i < alert.numberOfButtons(); ++i) {
            auto* b = new QPushButton(alert.buttonTitleAtIndex(i), panel);
            b->setObjectName(QStringLiteral("alertButton%1").arg(i));
            if (i == alert.cancelButtonIndex())
                b->setAutoDefault(false);
            QObject::connect(b, &QPushButton::clicked, [weak = alert_, i] {
                if (auto a = weak.lock())
                    a->dismissWithClickedButtonIndex(i, true);
            });
            row->addWidget(b);
        }
        layout->addLayout(row);
        const int w = std::min(300, parent->width() - 20);
        panel->setFixedWidth(w);
        panel->adjustSize();
        panel->move((width() - panel->width()) / 2, (height() - panel->height()) / 2);
        if (alert.numberOfButtons() == 1) {
            returnButton_ = escapeButton_ = 0;
        } else if (alert.hasTextField()) {
            if (alert.firstOtherButtonIndex() < alert.numberOfButtons())
                returnButton_ = alert.firstOtherButtonIndex();
            escapeButton_ = alert.cancelButtonIndex();
        }
    }

    // Takes the keyboard once on screen, so that keys reach the alert rather than what is under it.
    void takeFocus() {
        if (focus_)
            focus_->setFocus();
        else
            setFocus();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        int index = -1;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            index = returnButton_;
        else if (event->key() == Qt::Key_Escape)
            index = escapeButton_;
        const auto alert = alert_.lock();
        if (index < 0 || !alert || !alert->isVisible()) {
            QWidget::keyPressEvent(event);
            return;
        }
        event->accept();
        alert->dismissWithClickedButtonIndex(index, true);
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0, 0, 0, 90));
    }

private:
    std::weak_ptr<AlertView> alert_;
    QWidget* focus_ = nullptr;
    int returnButton_ = -1;
    int escapeButton_ = -1;
};

} // namespace

Window::Window(QWidget* parent) : QWidget(parent) {
    setFixedSize(kScreenWidth, kScreenHeight);
    setWindowTitle(QStringLiteral("Kelvora"));
    AlertView::setPresenter(this);
}

Window::~Window() {
    if (AlertView::presenter() == this)
        AlertView::setPresenter(nullptr);
}

void Window::setRootViewController(ViewController* vc) {
    root_ = vc;
    QWidget* v = vc->view();
    vc->viewWillAppear(false);
    v->setParent(this);
    v->setGeometry(rect());
    v->show();
    vc->viewDidAppear(false);
}

void Window::present(AlertView& alert) {
    auto* overlay = new AlertOverlay(this, alert);
    overlays_[&alert] = overlay;
    overlay->show();
    overlay->raise();
    overlay->takeFocus();
}

void Window::dismiss(AlertView& alert) {
    auto it = overlays_.find(&alert);
    if (it == overlays_.end())
        return;
    it->second->hide();
    it->second->deleteLater();
    overlays_.erase(it);
    // The keyboard goes back to the newest alert still on screen, else to the screen on top.
    const auto visible = AlertView::visibleAlerts();
    for (auto a = visible.rbegin(); a != visible.rend(); ++a) {
        if (auto o = overlays_.find(a->get()); o != overlays_.end()) {
            static_cast<AlertOverlay*>(o->second)->takeFocus();
            return;
        }
    }
    if (root_)
        root_->topViewController()->view()->setFocus();
}

QWidget* Window::alertWidget(const AlertView& alert) const {
    auto it = overlays_.find(&alert);
    return it == overlays_.end() ? nullptr : it->second;
}

} // namespace platform
