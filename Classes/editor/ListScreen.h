#pragma once

#include <QString>

class QListWidget;
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
};
