#include "editor/SpeechBubbleEditController.h"

#include "base/Screen.h"
#include "engine/CCDirector.h"
#include "items/SpeechBubble.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

SpeechBubbleEditController::SpeechBubbleEditController(QObject* parent)
    : platform::ViewController(parent) {}

void SpeechBubbleEditController::loadView() {
    auto* root = new QWidget;
    root->setObjectName(QStringLiteral("bubbleScreen"));
    root->resize(kScreenWidth, kScreenHeight);
    auto* layout = new QVBoxLayout(root);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new QWidget(root);
    bar->setObjectName(QStringLiteral("bubbleBar"));
    bar->setFixedHeight(40);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(10, 4, 10, 4);
    auto button = [this, bar, barLayout](const QString& title, const QString& name, auto action) {
        auto* b = new QPushButton(title, bar);
        b->setObjectName(name);
        b->setFocusPolicy(Qt::NoFocus);
        QObject::connect(b, &QPushButton::clicked, this, action);
        barLayout->addWidget(b);
        return b;
    };
    button(QStringLiteral("Cancel"), QStringLiteral("bubbleCancel"), [this] {
        cancel();
    })->setToolTip(QStringLiteral("Cancel (Esc)"));
    auto* title = new QLabel(QStringLiteral("Speech bubble"), bar);
    title->setObjectName(QStringLiteral("bubbleTitle"));
    title->setAlignment(Qt::AlignCenter);
    barLayout->addWidget(title, 1);
    button(QStringLiteral("Clear"), QStringLiteral("bubbleClear"), [this] { clear(); });
    button(QStringLiteral("Done"), QStringLiteral("bubbleDone"), [this] {
        done();
    })->setToolTip(QStringLiteral("Done (Ctrl+Return)"));
    layout->addWidget(bar);

    // A text view, not a line: Return starts a new line of the bubble's text.
    textView_ = new QPlainTextEdit(root);
    textView_->setObjectName(QStringLiteral("bubbleText"));
    textView_->setTabChangesFocus(true);
    auto* holder = new QWidget(root);
    auto* holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(20, 16, 20, 16);
    holderLayout->addWidget(textView_);
    layout->addWidget(holder, 1);
    textView_->installEventFilter(this);
    root->installEventFilter(this);
    setView(root);
}

void SpeechBubbleEditController::viewDidLoad() {
    // The grouped-table background of the phone's settings-like screens.
    view()->setStyleSheet(
        QStringLiteral("#bubbleScreen { background: #efeff4; }"
                       "#bubbleBar { background: #f7f7f7; border-bottom: 1px solid #c8c7cc; }"
                       "#bubbleTitle { font-weight: bold; font-size: 15px; }"
                       "#bubbleText { background: white; border: 1px solid #c8c7cc;"
                       " border-radius: 8px; font-size: 16px; padding: 4px; }"));
}

void SpeechBubbleEditController::viewWillAppear(bool) {
    view();
    const auto bubble = bubble_.lock();
    textView_->setPlainText(bubble ? bubble->text() : QString());
    textView_->moveCursor(QTextCursor::End);
    textView_->setFocus();
}

void SpeechBubbleEditController::viewDidAppear(bool) {
    // Shown now, the field can really take the keyboard.
    textView_->setFocus();
}

bool SpeechBubbleEditController::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
        cancel();
        return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        (key->modifiers() & Qt::ControlModifier)) {
        done();
        return true;
    }
    return false;
}

void SpeechBubbleEditController::clear() {
    view();
    textView_->clear();
}

void SpeechBubbleEditController::done() {
    view();
    const QString text = textView_->toPlainText();
    if (const auto bubble = bubble_.lock(); bubble && bubble->text() != text) {
        if (setBubbleText)
            setBubbleText(bubble, text);
        else
            bubble->setText(text);
    }
    close();
}

void SpeechBubbleEditController::cancel() {
    close();
}

void SpeechBubbleEditController::close() {
    dismissModalViewControllerAnimated(true);
    CCDirector::sharedDirector().startAnimation();
}
