#pragma once

#include "document/SavesIndex.h"
#include "platform/widgets/ViewController.h"

#include <QVector>

class QLineEdit;

// The rename screen, pushed over the saved list: the entry's name in a text field; Save puts
// the new name in the entry's place, Cancel leaves it.
class DetailController : public platform::ViewController {
public:
    explicit DetailController(QObject* parent = nullptr);

    // The list screen's entries (shared) and the one being renamed.
    void setSaves(QVector<SavesIndex::Entry>* saves, int index);
    void viewWillAppear(bool animated) override;
    void save(QObject* sender);
    void cancel(QObject* sender);

    QLineEdit* textField() const { return textField_; }

protected:
    void loadView() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QVector<SavesIndex::Entry>* saves_ = nullptr;
    int index_ = -1;
    QLineEdit* textField_ = nullptr;
};
