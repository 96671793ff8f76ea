#pragma once

#include "platform/widgets/ViewController.h"

#include <QString>

#include <memory>
#include <vector>

class CCSprite;
class QListWidget;

// The list of the current frame's items, where the user locks or unlocks each one. A locked item
// cannot be picked up on the stage. Locks are not saved, and flipping one is not an edit.
class ItemsLockController : public platform::ViewController {
public:
    explicit ItemsLockController(QObject* parent = nullptr);

    void setSprites(std::vector<std::shared_ptr<CCSprite>> sprites) {
        sprites_ = std::move(sprites);
    }
    const std::vector<std::shared_ptr<CCSprite>>& sprites() const { return sprites_; }

    // The row's title: "Stick Figure", "Speech Bubble “text”", a prop's picture name without
    // ".png" with each word capitalised, else the class name.
    static QString titleFor(const CCSprite& item);
    static bool isLocked(const CCSprite& item);
    int numberOfRows() const { return int(sprites_.size()); }
    // Flips the lock of the row's item.
    void selectRow(int row);
    void reloadData();
    // Takes the list away and restarts the stage's drawing.
    void done();
    QListWidget* tableView() const { return tableView_; }

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;

protected:
    void loadView() override;
    // Space or Return flips the row the arrows are on; Escape is Done.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showLock(int row);

    std::vector<std::shared_ptr<CCSprite>> sprites_;
    QListWidget* tableView_ = nullptr;
};
