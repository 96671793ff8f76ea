#pragma once

#include <QKeyCombination>
#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <vector>

class QAbstractButton;
class QObject;
class QToolButton;
class QWidget;

// The editor's user actions, each declared once: what it is called, its picture, its keys,
// what it does and when it can be done. The toolbar makes its buttons from here, the keys are
// looked up here, tooltips name the keys, and tests find buttons by action.
class EditorActions {
public:
    enum Id {
        NewFrame,
        PreviousFrame,
        NextFrame,
        Play,
        Speed,
        DeleteFrame,
        Sounds,
        Locks,
        Save,
        Close,
        Undo,
        Redo,
        AddFigure,
        Objects,
        Weapons,
        Basket,
        ToggleToolbar,
        TogglePaintRow,
        DeleteItem,
        // The colour row's buttons (tags 10001 to 10009), then the pose controls: the same
        // colours, the arrows and leaving.
        PaintColor1,
        PaintColor9 = PaintColor1 + 8,
        PoseColor1,
        PoseColor9 = PoseColor1 + 8,
        MoveLeft,
        MoveRight,
        MoveUp,
        MoveDown,
        LeavePose,
        // Shooting mode on and off.
        Fire,
        // Shell: the background chooser in its change mode.
        ChangeBackground,
        // Export to a video, a GIF or pictures.
        Export,
        Count
    };

    struct Action {
        QString title; // "New frame"
        QString icon;  // a picture of the resources, "icon-snapshot.png"
        std::vector<QKeyCombination> keys;
        // Runs the action; the sender is the action's button (or none from code).
        std::function<void(QObject* sender)> trigger;
        // Whether it can be done now (always, when not given).
        std::function<bool()> enabled;
        QAbstractButton* button = nullptr;
        // An action without a button works on what this widget shows (the stage for the
        // selected item): its keys work while a click could reach the widget.
        QWidget* keyArea = nullptr;
    };

    void declare(Id id, Action action);
    const Action& action(Id id) const { return actions_[id]; }
    QAbstractButton* button(Id id) const { return actions_[id].button; }
    // "Title (Key)", or the title alone for an action without keys.
    QString toolTip(Id id) const;

    // A button for the action at `frame` inside `parent`: it shows the action's picture and
    // tooltip, runs the action when clicked and never takes the keyboard.
    QToolButton* makeButton(Id id, QWidget* parent, const QRect& frame, int iconInset = 4);
    // Replaces the picture and title an action shows (the play button turning into pause).
    void setLook(Id id, const QString& title, const QString& icon);
    // Buttons enabled exactly when their action can be done.
    void refreshEnabled();

    // A key works the button of its action when a click could reach it: shown, enabled, and
    // not covered by an alert, a panel or another screen. False when no button took the key,
    // so that it goes on to whoever else wants it.
    bool handleKey(QKeyCombination pressed);
    static bool isReachable(const QAbstractButton* button);
    // Shown, enabled and not covered at its centre.
    static bool isReachableWidget(const QWidget* widget);

private:
    std::array<Action, Count> actions_;
};
