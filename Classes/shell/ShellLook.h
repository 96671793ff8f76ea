#pragma once

#include <QString>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

// The look the shell's screens share with the editor's list screens: a light grey page under a
// bar with a title between a left and a right button.
namespace shelllook {

struct Bar {
    QWidget* bar = nullptr;
    QLabel* title = nullptr;
    QPushButton* left = nullptr;  // none when no title was given
    QPushButton* right = nullptr; // none when no title was given
};

// A 480 × 320 page named `name` (for style sheets and tests).
QWidget* makePage(const QString& name);
// The bar along the top of `page`, 40 points high.
Bar makeBar(QWidget* page, const QString& title, const QString& left, const QString& right);
inline constexpr int kBarHeight = 40;

} // namespace shelllook
