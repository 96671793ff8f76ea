#pragma once

#include "platform/widgets/ViewController.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class Frame;
class SoundEffect;
class QListWidget;

// The list of catalogue sounds on which the user ticks the sounds of the current frame.
class SoundsController : public platform::ViewController {
public:
    explicit SoundsController(QObject* parent = nullptr);

    void setFrame(Frame* frame) { frame_ = frame; }
    Frame* frame() const { return frame_; }
    // Replaces the frame's sounds with a new list when the user ticks or unticks one (the
    // editor makes it an undoable edit); without it the frame is changed directly.
    std::function<void(Frame* frame, std::vector<std::shared_ptr<SoundEffect>> sounds)>
        setFrameSounds;

    int numberOfRows() const;
    // The row's text: every space-separated word capitalised, "_" shown as a space.
    QString titleForRow(int row) const;
    bool isRowChecked(int row) const;
    // Ticks or unticks sound `row` on the frame and plays it either way.
    void selectRow(int row);
    // Takes the list away and restarts the stage's drawing.
    void done();
    void reloadData();
    QListWidget* tableView() const { return tableView_; }

    static QString displayTitle(const QString& title);

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;

protected:
    void loadView() override;
    // Keys: the arrows move along the list, Space or Return ticks a row, Escape is Done.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Frame* frame_ = nullptr;
    QListWidget* tableView_ = nullptr;
};
