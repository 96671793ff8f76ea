#pragma once

#include "document/SavesIndex.h"
#include "platform/widgets/ViewController.h"

#include <QVector>

class DetailController;
class GameViewController;
class QLabel;
class QListWidget;
class QPushButton;

// The saved animations by name. A click opens one in the editor; in editing mode a click opens
// the rename screen and each row has a delete button. Shown inside a navigation stack.
class LoadAnimationController : public platform::ViewController {
public:
    explicit LoadAnimationController(QObject* parent = nullptr);

    void setGameController(GameViewController* g) { gameController_ = g; }
    GameViewController* gameController() const { return gameController_; }

    // The list as it is in the saves index, read again each time the screen is shown.
    void viewWillAppear(bool animated) override;
    QVector<SavesIndex::Entry>& saves() { return saves_; }
    // "You have no saved animations" when there are none, else empty.
    QString sectionHeader() const;

    void toggleEditing(QObject* sender);
    bool isEditing() const { return editing_; }
    // A row clicked: renamed in editing mode, opened in the editor otherwise.
    void didSelectRow(int row);
    // A row's delete button: its files, then its entry, then the row.
    void commitDelete(int row);
    void close(QObject* sender);

    // Deletes save N's files: its index and pack files, leftovers of an unfinished save, and
    // its pictures (every picture file of save N is its own: no other save names it). The
    // picture ledger forgets the pictures. Missing files and failures are ignored.
    static void deleteSaveFiles(int saveId, const QString& folder);

    QListWidget* table() const { return table_; }
    QPushButton* editButton() const { return editButton_; }
    QLabel* headerLabel() const { return header_; }
    DetailController* detailController() const { return detailController_; }

protected:
    void loadView() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reloadData();

    GameViewController* gameController_ = nullptr;
    QVector<SavesIndex::Entry> saves_;
    bool editing_ = false;
    QListWidget* table_ = nullptr;
    QPushButton* editButton_ = nullptr;
    QLabel* header_ = nullptr;
    DetailController* detailController_ = nullptr;
};
