#include "editor/EditorActions.h"

#include "engine/CCTextureCache.h"
#include "platform/Paths.h"

#include <QIcon>
#include <QKeySequence>
#include <QScrollArea>
#include <QToolButton>

namespace {

QIcon iconNamed(const QString& name) {
    QIcon icon;
    icon.addFile(platform::resourcePath(name));
    icon.addFile(platform::resourcePath(CCTextureCache::hdName(name)));
    return icon;
}

} // namespace

void EditorActions::declare(Id id, Action action) {
    actions_[id] = std::move(action);
}

QString EditorActions::toolTip(Id id) const {
    const Action& a = actions_[id];
    if (a.keys.empty())
        return a.title;
    QStringList keys;
    for (QKeyCombination k : a.keys)
        keys << QKeySequence(k).toString(QKeySequence::NativeText);
    return QStringLiteral("%1 (%2)").arg(a.title, keys.join(QStringLiteral(" or ")));
}

QToolButton* EditorActions::makeButton(Id id, QWidget* parent, const QRect& frame, int iconInset) {
    Action& a = actions_[id];
    auto* b = new QToolButton(parent);
    b->setIcon(iconNamed(a.icon));
    b->setIconSize(QSize(frame.width() - 2 * iconInset, frame.height() - 2 * iconInset));
    b->setToolTip(toolTip(id));
    b->setAccessibleName(a.title);
    b->setAutoRaise(true);
    b->setGeometry(frame);
    b->setFocusPolicy(Qt::NoFocus);
    QObject::connect(b, &QToolButton::clicked, b, [this, id, b] {
        if (actions_[id].trigger)
            actions_[id].trigger(b);
    });
    a.button = b;
    return b;
}

void EditorActions::setLook(Id id, const QString& title, const QString& icon) {
    Action& a = actions_[id];
    a.title = title;
    a.icon = icon;
    if (auto* b = qobject_cast<QToolButton*>(a.button)) {
        b->setIcon(iconNamed(icon));
        b->setToolTip(toolTip(id));
        b->setAccessibleName(title);
    }
}

void EditorActions::refreshEnabled() {
    for (Action& a : actions_)
        if (a.button)
            a.button->setEnabled(!a.enabled || a.enabled());
}

namespace {

// The scrolling row a button sits in, if any.
QScrollArea* rowOf(const QWidget* button) {
    for (QWidget* w = button->parentWidget(); w; w = w->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(w))
            return area;
    return nullptr;
}

// Whether a click at the widget's point p would land on `expected` (or inside it).
bool clickLands(const QWidget* w, QPoint p, const QWidget* expected) {
    const QWidget* top = w->window();
    const QWidget* hit = top->childAt(w->mapTo(top, p));
    return hit && (hit == expected || expected->isAncestorOf(hit));
}

} // namespace

bool EditorActions::isReachable(const QAbstractButton* button) {
    if (!button || !button->isVisible() || !button->isEnabled())
        return false;
    const QRect shown = button->visibleRegion().boundingRect();
    if (!shown.isEmpty())
        return clickLands(button, shown.center(), button);
    // Scrolled out of its row: reachable when the row itself is.
    const QScrollArea* row = rowOf(button);
    return row && clickLands(row->viewport(), row->viewport()->rect().center(), row->viewport());
}

bool EditorActions::isReachableWidget(const QWidget* widget) {
    if (!widget || !widget->isVisible() || !widget->isEnabled())
        return false;
    const QWidget* top = widget->window();
    return top->childAt(widget->mapTo(top, widget->rect().center())) == widget;
}

bool EditorActions::handleKey(QKeyCombination pressed) {
    for (Action& a : actions_) {
        if (std::find(a.keys.begin(), a.keys.end(), pressed) == a.keys.end())
            continue;
        if (a.enabled && !a.enabled())
            continue;
        if (a.button) {
            if (!isReachable(a.button))
                continue;
            if (QScrollArea* row = rowOf(a.button))
                row->ensureWidgetVisible(a.button, 0, 0);
            a.button->click();
            return true;
        }
        if (!isReachableWidget(a.keyArea) || !a.trigger)
            continue;
        a.trigger(nullptr);
        return true;
    }
    return false;
}
