#include "shell/ShellLook.h"

#include "base/Screen.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace shelllook {

QWidget* makePage(const QString& name) {
    auto* page = new QWidget;
    page->setObjectName(name);
    page->resize(kScreenWidth, kScreenHeight);
    page->setAttribute(Qt::WA_StyledBackground);
    page->setStyleSheet(
        QStringLiteral("#%1 { background: #efeff4; }"
                       "#screenBar { background: #f7f7f7; border-bottom: 1px solid #c8c7cc; }"
                       "#screenTitle { font-weight: bold; font-size: 15px; }"
                       "QPushButton { font-size: 13px; padding: 3px 10px; }")
            .arg(name));
    return page;
}

Bar makeBar(QWidget* page, const QString& title, const QString& left, const QString& right) {
    Bar b;
    b.bar = new QWidget(page);
    b.bar->setObjectName(QStringLiteral("screenBar"));
    b.bar->setAttribute(Qt::WA_StyledBackground);
    b.bar->setGeometry(0, 0, kScreenWidth, kBarHeight);
    auto* layout = new QHBoxLayout(b.bar);
    layout->setContentsMargins(10, 4, 10, 4);
    auto button = [&](const QString& text, const char* name) -> QPushButton* {
        auto* p = new QPushButton(text, b.bar);
        p->setObjectName(QString::fromLatin1(name));
        p->setFocusPolicy(Qt::NoFocus);
        p->setMinimumWidth(64);
        return p;
    };
    b.left = left.isEmpty() ? nullptr : button(left, "barLeft");
    b.right = right.isEmpty() ? nullptr : button(right, "barRight");
    b.title = new QLabel(title, b.bar);
    b.title->setObjectName(QStringLiteral("screenTitle"));
    b.title->setAlignment(Qt::AlignCenter);
    // The title stays centred whether or not there are buttons on each side.
    auto* leftSlot = new QWidget(b.bar);
    auto* rightSlot = new QWidget(b.bar);
    for (auto [slot, p] : {std::pair{leftSlot, b.left}, std::pair{rightSlot, b.right}}) {
        auto* l = new QHBoxLayout(slot);
        l->setContentsMargins(0, 0, 0, 0);
        if (p)
            l->addWidget(p);
        slot->setFixedWidth(90);
    }
    layout->addWidget(leftSlot, 0, Qt::AlignLeft);
    layout->addWidget(b.title, 1);
    layout->addWidget(rightSlot, 0, Qt::AlignRight);
    // Buttons sit at the outer edges of their slots.
    if (b.left)
        static_cast<QHBoxLayout*>(leftSlot->layout())->addStretch(1);
    if (b.right)
        static_cast<QHBoxLayout*>(rightSlot->layout())->insertStretch(0, 1);
    return b;
}

} // namespace shelllook
