#include "shell/DetailController.h"

#include "platform/AlertView.h"
#include "platform/Log.h"
#include "shell/NavigationController.h"
#include "shell/ShellLook.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

DetailController::DetailController(QObject* parent) : platform::ViewController(parent) {}

void DetailController::loadView() {
    QWidget* page = shelllook::makePage(QStringLiteral("rename"));
    const shelllook::Bar bar = shelllook::makeBar(page, QStringLiteral("Animation Name"),
                                                  QStringLiteral("Cancel"), QStringLiteral("Save"));
    QObject::connect(bar.left, &QPushButton::clicked, this, [this, b = bar.left] { cancel(b); });
    QObject::connect(bar.right, &QPushButton::clicked, this, [this, b = bar.right] { save(b); });
    textField_ = new QLineEdit(page);
    textField_->setObjectName(QStringLiteral("nameField"));
    QFont bold = textField_->font();
    bold.setBold(true);
    bold.setPixelSize(16);
    textField_->setFont(bold);
    textField_->setPlaceholderText(QStringLiteral("Animation Title"));
    // 10 points taller than a plain field.
    textField_->setGeometry(20, shelllook::kBarHeight + 30, 440, 30 + 10);
    textField_->setStyleSheet(QStringLiteral(
        "QLineEdit { background: white; border: 1px solid #c8c7cc; border-radius: 8px; "
        "padding: 0 10px; }"));
    auto* hint = new QLabel(QStringLiteral("Return saves the name, Escape cancels."), page);
    hint->setStyleSheet(QStringLiteral("color: #6b6b70; font-size: 11px;"));
    hint->setGeometry(24, shelllook::kBarHeight + 76, 430, 20);
    textField_->installEventFilter(this);
    page->installEventFilter(this);
    setView(page);
}

void DetailController::setSaves(QVector<SavesIndex::Entry>* saves, int index) {
    saves_ = saves;
    index_ = index;
}

void DetailController::viewWillAppear(bool) {
    view();
    textField_->setEnabled(true);
    const bool valid = saves_ && index_ >= 0 && index_ < saves_->size();
    textField_->setText(valid ? (*saves_)[index_].saveName : QString());
    textField_->selectAll();
    textField_->setFocus();
}

void DetailController::save(QObject*) {
    if (saves_ && index_ >= 0 && index_ < saves_->size()) {
        SavesIndex::Entry& entry = (*saves_)[index_];
        QString error;
        // The entry keeps its place in the list; only its name changes.
        if (SavesIndex::shared().rename(entry.saveId, textField_->text(), &error)) {
            entry.saveName = textField_->text();
        } else {
            qCWarning(platform::lcKelvora) << "Rename failed:" << error;
            platform::AlertView::create(QStringLiteral("The animation was not renamed"), error,
                                        nullptr, QStringLiteral("OK"))
                ->show();
            return;
        }
    }
    if (auto* nav = NavigationController::of(this))
        nav->popViewControllerAnimated(true);
}

void DetailController::cancel(QObject*) {
    if (auto* nav = NavigationController::of(this))
        nav->popViewControllerAnimated(true);
}

bool DetailController::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        save(nullptr);
        return true;
    case Qt::Key_Escape:
        cancel(nullptr);
        return true;
    default:
        return false;
    }
}
