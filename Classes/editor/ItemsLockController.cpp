#include "editor/ItemsLockController.h"

#include "editor/ListScreen.h"
#include "engine/CCDirector.h"
#include "engine/CCTextureCache.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/LockingSprite.h"
#include "items/SpeechBubble.h"
#include "platform/Paths.h"

#include <QIcon>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

namespace {

QIcon lockIcon(bool locked) {
    const QString name = locked ? QStringLiteral("lock-locked-small.png")
                                : QStringLiteral("lock-unlocked-small.png");
    QIcon icon;
    icon.addFile(platform::resourcePath(name));
    icon.addFile(platform::resourcePath(CCTextureCache::hdName(name)));
    return icon;
}

// "coffin-closed.png" -> "Coffin-closed": every ".png" dropped, each space-separated word with a
// capital first letter and the rest lower case.
QString pictureTitle(QString picture) {
    picture.remove(QStringLiteral(".png"));
    QStringList words = picture.split(QLatin1Char(' '));
    for (QString& w : words)
        if (!w.isEmpty())
            w = w.left(1).toUpper() + w.mid(1).toLower();
    return words.join(QLatin1Char(' '));
}

} // namespace

ItemsLockController::ItemsLockController(QObject* parent) : platform::ViewController(parent) {}

QString ItemsLockController::titleFor(const CCSprite& item) {
    if (dynamic_cast<const Hmn*>(&item))
        return QStringLiteral("Stick Figure");
    if (const auto* bubble = dynamic_cast<const SpeechBubble*>(&item))
        return QStringLiteral("Speech Bubble \u201c%1\u201d").arg(bubble->text());
    if (dynamic_cast<const BoundingSprite*>(&item))
        return pictureTitle(item.textureName());
    if (const auto* lockable = dynamic_cast<const LockingSprite*>(&item))
        return lockable->className();
    return QStringLiteral("Sprite");
}

bool ItemsLockController::isLocked(const CCSprite& item) {
    const auto* lockable = dynamic_cast<const LockingSprite*>(&item);
    return lockable && lockable->locked();
}

void ItemsLockController::loadView() {
    ListScreen screen =
        ListScreen::make(QStringLiteral("locksScreen"), QStringLiteral("Lock items"));
    QObject::connect(screen.done, &QPushButton::clicked, this, [this] { done(); });
    tableView_ = screen.list;
    tableView_->setIconSize(QSize(20, 20));
    QObject::connect(tableView_, &QListWidget::itemClicked, this,
                     [this](QListWidgetItem* item) { selectRow(tableView_->row(item)); });
    tableView_->installEventFilter(this);
    screen.root->installEventFilter(this);
    setView(screen.root);
}

bool ItemsLockController::eventFilter(QObject* watched, QEvent* event) {
    return ListScreen::handleKey(
        watched, event, tableView_, [this] { done(); }, [this](int row) { selectRow(row); });
}

void ItemsLockController::reloadData() {
    view();
    tableView_->clear();
    for (int row = 0; row < numberOfRows(); ++row) {
        new QListWidgetItem(titleFor(*sprites_[size_t(row)]), tableView_);
        showLock(row);
    }
}

void ItemsLockController::showLock(int row) {
    if (QListWidgetItem* item = tableView_->item(row))
        item->setIcon(lockIcon(isLocked(*sprites_[size_t(row)])));
}

void ItemsLockController::selectRow(int row) {
    if (row < 0 || row >= numberOfRows())
        return;
    view();
    tableView_->clearSelection();
    // A plain sprite from an older file has no lock: its row does nothing.
    if (auto* lockable = dynamic_cast<LockingSprite*>(sprites_[size_t(row)].get()))
        lockable->setLocked(!lockable->locked());
    showLock(row);
}

void ItemsLockController::viewWillAppear(bool) {
    reloadData();
}

void ItemsLockController::viewDidAppear(bool) {
    if (tableView_->count() > 0)
        tableView_->selectionModel()->setCurrentIndex(tableView_->model()->index(0, 0),
                                                      QItemSelectionModel::NoUpdate);
    tableView_->setFocus();
}

void ItemsLockController::done() {
    dismissModalViewControllerAnimated(true);
    CCDirector::sharedDirector().startAnimation();
}
