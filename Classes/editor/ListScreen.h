#pragma once

#include <QString>

#include <functional>

class QEvent;
class QListWidget;
class QObject;
class QPushButton;
class QWidget;

// The look of the editor's list screens (sounds, item locks): a bar with a title and a Done
// button above a list of rows, in a 480 × 320 view.
struct ListScreen {
    QWidget* root = nullptr;
    QListWidget* list = nullptr;
    QPushButton* done = nullptr;

    // `name` names the root widget (for style sheets and tests).
    static ListScreen make(const QString& name, const QString& title);

    // The list's keys, for an event filter on the root and the list: Escape is Done; Space or
    // Return selects the row the arrow keys are on, as a click would. True when the key was
    // one of these.
    static bool handleKey(QObject* watched, QEvent* event, QListWidget* list,
                          const std::function<void()>& done,
                          const std::function<void(int row)>& select);
};
