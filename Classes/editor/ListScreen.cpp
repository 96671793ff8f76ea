#include "editor/ListScreen.h"

#include "base/Screen.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

ListScreen ListScreen::make(const QString& name, const QString& title) {
    ListScreen s;
    s.root = new QWidget;
    s.root->setObjectName(name);
    s.root->resize(kScreenWidth, kScreenHeight);
    s.root->setStyleSheet(
        QStringLiteral("#%1 { background: #efeff4; }"
                       "#listBar { background: #f7f7f7; border-bottom: 1px solid #c8c7cc; }"
                       "#listTitle { font-weight: bold; font-size: 15px; }"
                       "QListWidget { background: white; border: none; font-size: 15px; }"
                       "QListWidget::item { padding: 6px 10px; border-bottom: 1px solid #e0e0e5; }"
                       "QListWidget::item:selected { background: #d9d9de; color: black; }")
            .arg(name));
    auto* layout = new QVBoxLayout(s.root);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new QWidget(s.root);
    bar->setObjectName(QStringLiteral("listBar"));
    bar->setFixedHeight(40);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(10, 4, 10, 4);
    auto* label = new QLabel(title, bar);
    label->setObjectName(QStringLiteral("listTitle"));
    barLayout->addWidget(label, 1);
    s.done = new QPushButton(QStringLiteral("Done"), bar);
    s.done->setObjectName(QStringLiteral("listDone"));
    barLayout->addWidget(s.done);
    layout->addWidget(bar);

    s.list = new QListWidget(s.root);
    s.list->setSelectionMode(QAbstractItemView::SingleSelection);
    s.list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    layout->addWidget(s.list, 1);
    return s;
}

bool ListScreen::handleKey(QObject* watched, QEvent* event, QListWidget* list,
                           const std::function<void()>& done,
                           const std::function<void(int row)>& select) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
        done();
        return true;
    }
    if (watched == list &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        select(list->currentRow());
        return true;
    }
    return false;
}
