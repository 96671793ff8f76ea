#include "shell/LoadAnimationController.h"

#include "document/PictureLedger.h"
#include "document/SaveFiles.h"
#include "editor/GameViewController.h"
#include "editor/ListScreen.h"
#include "platform/AlertView.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "shell/DetailController.h"
#include "shell/NavigationController.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

LoadAnimationController::LoadAnimationController(QObject* parent)
    : platform::ViewController(parent) {}

void LoadAnimationController::loadView() {
    ListScreen s =
        ListScreen::make(QStringLiteral("loadAnimation"), QStringLiteral("Load Animation"));
    table_ = s.list;
    editButton_ = s.done;
    editButton_->setText(QStringLiteral("Edit"));
    editButton_->setObjectName(QStringLiteral("editButton"));
    editButton_->setFocusPolicy(Qt::NoFocus);
    QObject::connect(editButton_, &QPushButton::clicked, this,
                     [this] { toggleEditing(editButton_); });
    auto* barLayout = static_cast<QHBoxLayout*>(editButton_->parentWidget()->layout());
    auto* closeButton = new QPushButton(QStringLiteral("Close"), editButton_->parentWidget());
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setFocusPolicy(Qt::NoFocus);
    barLayout->insertWidget(0, closeButton);
    QObject::connect(closeButton, &QPushButton::clicked, this,
                     [this, closeButton] { close(closeButton); });

    header_ = new QLabel(s.root);
    header_->setObjectName(QStringLiteral("listHeader"));
    header_->setStyleSheet(QStringLiteral("color: #6d6d72; font-size: 13px; padding: 10px 12px;"));
    static_cast<QVBoxLayout*>(s.root->layout())->insertWidget(1, header_);

    QObject::connect(table_, &QListWidget::itemClicked, this,
                     [this](QListWidgetItem* item) { didSelectRow(table_->row(item)); });
    table_->installEventFilter(this);
    s.root->installEventFilter(this);
    setView(s.root);
}

QString LoadAnimationController::sectionHeader() const {
    return saves_.isEmpty() ? QStringLiteral("You have no saved animations") : QString();
}

void LoadAnimationController::viewWillAppear(bool) {
    view();
    table_->clearSelection();
    saves_ = SavesIndex::shared().entries();
    reloadData();
    table_->setFocus();
}

void LoadAnimationController::reloadData() {
    table_->clear();
    const QString header = sectionHeader();
    header_->setText(header);
    header_->setVisible(!header.isEmpty());
    for (int row = 0; row < saves_.size(); ++row) {
        auto* item = new QListWidgetItem(saves_[row].saveName, table_);
        // One height in both modes, room for the delete button.
        item->setSizeHint(QSize(0, 36));
        if (!editing_)
            continue;
        // Editing: a delete button before the name and the disclosure sign after it.
        auto* cell = new QWidget;
        cell->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        auto* layout = new QHBoxLayout(cell);
        layout->setContentsMargins(6, 0, 10, 0);
        auto* remove = new QPushButton(QStringLiteral("\u2212"), cell);
        remove->setObjectName(QStringLiteral("deleteRow"));
        remove->setToolTip(QStringLiteral("Delete (Delete key)"));
        remove->setFocusPolicy(Qt::NoFocus);
        remove->setFixedSize(22, 22);
        remove->setStyleSheet(QStringLiteral("QPushButton { background: #e0443e; color: white; "
                                             "border: none; border-radius: 11px; "
                                             "font-weight: bold; padding: 0; }"));
        const int saveId = saves_[row].saveId;
        QObject::connect(remove, &QPushButton::clicked, this, [this, saveId] {
            for (int r = 0; r < saves_.size(); ++r)
                if (saves_[r].saveId == saveId)
                    commitDelete(r);
        });
        layout->addWidget(remove, 0, Qt::AlignVCenter);
        layout->addSpacing(28);
        layout->addStretch(1);
        auto* disclosure = new QLabel(QStringLiteral("\u203a"), cell);
        disclosure->setStyleSheet(QStringLiteral("color: #c7c7cc; font-size: 20px;"));
        layout->addWidget(disclosure);
        // The name stays the item's own text, drawn right of the delete button.
        item->setText(QStringLiteral("         ") + saves_[row].saveName);
        item->setData(Qt::UserRole, saves_[row].saveName);
        table_->setItemWidget(item, cell);
    }
}

void LoadAnimationController::toggleEditing(QObject*) {
    editing_ = !editing_;
    editButton_->setText(editing_ ? QStringLiteral("Done") : QStringLiteral("Edit"));
    editButton_->setStyleSheet(editing_ ? QStringLiteral("font-weight: bold;") : QString());
    reloadData();
}

void LoadAnimationController::didSelectRow(int row) {
    if (row < 0 || row >= saves_.size())
        return;
    if (editing_) {
        if (!detailController_)
            detailController_ = new DetailController(this);
        detailController_->setSaves(&saves_, row);
        if (auto* nav = NavigationController::of(this))
            nav->pushViewController(detailController_, true);
        return;
    }
    if (!gameController_)
        return;
    table_->clearSelection();
    gameController_->view();
    gameController_->startScene();
    presentModalViewController(gameController_, false);
    gameController_->loadWithId(saves_[row].saveId);
}

void LoadAnimationController::deleteSaveFiles(int saveId, const QString& folder) {
    // Index, packs, and whatever an unfinished save of it left.
    savefiles::removeSaveFiles(saveId, folder);
    const QDir dir(folder);
    const QStringList pictures =
        dir.entryList({QStringLiteral("bg-*")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : pictures) {
        if (savefiles::saveIdOfFile(name) != saveId)
            continue;
        const QString path = dir.filePath(name);
        QFile::remove(path);
        PictureLedger::shared().forget(path);
    }
}

void LoadAnimationController::commitDelete(int row) {
    if (row < 0 || row >= saves_.size())
        return;
    const int saveId = saves_[row].saveId;
    deleteSaveFiles(saveId, platform::documentsFolder());
    QString error;
    if (!SavesIndex::shared().remove(saveId, &error)) {
        qCWarning(platform::lcKelvora)
            << "Cannot remove save" << saveId << "from the list:" << error;
        platform::AlertView::create(QStringLiteral("The animation was not removed from the list"),
                                    error, nullptr, QStringLiteral("OK"))
            ->show();
        return;
    }
    saves_.removeAt(row);
    reloadData();
}

void LoadAnimationController::close(QObject*) {
    if (editing_)
        toggleEditing(nullptr);
    if (auto* nav = NavigationController::of(this))
        nav->dismissModalViewControllerAnimated(true);
    else
        dismissModalViewControllerAnimated(true);
}

bool LoadAnimationController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && editing_ && watched == table_) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            commitDelete(table_->currentRow());
            return true;
        }
    }
    return ListScreen::handleKey(
        watched, event, table_, [this] { close(nullptr); }, [this](int row) { didSelectRow(row); });
}
