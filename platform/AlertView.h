#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace platform {

class AlertView;

// Told what happened to an alert. A click first reaches alertViewClickedButtonAtIndex, then,
// once the alert is gone, alertViewDidDismissWithButtonIndex. alertViewCancel is sent when the
// platform takes the alert away without a button being pressed.
class AlertViewDelegate {
public:
    virtual ~AlertViewDelegate() = default;
    virtual void alertViewClickedButtonAtIndex(AlertView&, int) {}
    virtual void alertViewDidDismissWithButtonIndex(AlertView&, int) {}
    virtual void alertViewCancel(AlertView&) {}
};

// A question to the user: a title, a message, an optional line of text to type, a cancel
// button (index 0) and other buttons (from index 1; from 0 when there is no cancel button).
// Alerts never block: show() returns at once and the answer arrives through the delegate while
// timers and drawing go on.
class AlertView : public std::enable_shared_from_this<AlertView> {
public:
    // Shows alerts on screen; installed by the program's window. Without one, alerts are only
    // listed in visibleAlerts() (tests answer them there).
    class Presenter {
    public:
        virtual ~Presenter() = default;
        virtual void present(AlertView& alert) = 0;
        virtual void dismiss(AlertView& alert) = 0;
    };

    static std::shared_ptr<AlertView> create(const QString& title, const QString& message,
                                             AlertViewDelegate* delegate,
                                             const QString& cancelButtonTitle,
                                             const QStringList& otherButtonTitles = {});

    const QString& title() const { return title_; }
    const QString& message() const { return message_; }
    void setMessage(const QString& m) { message_ = m; }
    AlertViewDelegate* delegate() const { return delegate_; }
    void setDelegate(AlertViewDelegate* d) { delegate_ = d; }
    // A delegate the alert keeps alive until it has been dismissed.
    void setOwnedDelegate(std::shared_ptr<AlertViewDelegate> d);

    int numberOfButtons() const { return int(buttons_.size()); }
    QString buttonTitleAtIndex(int i) const;
    int cancelButtonIndex() const { return hasCancel_ ? 0 : -1; }
    int firstOtherButtonIndex() const { return hasCancel_ ? 1 : 0; }
    // Index of the button with this title, or -1.
    int indexOfButton(const QString& title) const;

    // A line of text the user can type (used to name a save).
    void setHasTextField(bool v) { hasTextField_ = v; }
    bool hasTextField() const { return hasTextField_; }
    const QString& text() const { return text_; }
    const QString& placeholder() const { return placeholder_; }
    void setPlaceholder(const QString& p) { placeholder_ = p; }
    void setText(const QString& t) { text_ = t; }

    void show();
    bool isVisible() const { return visible_; }
    // As if the button were pressed: clicked, the alert goes away, then dismissed.
    void dismissWithClickedButtonIndex(int index, bool animated = true);
    // Taken away by the platform without an answer.
    void cancel();

    // Alerts on screen, oldest first.
    static std::vector<std::shared_ptr<AlertView>> visibleAlerts();
    static void setPresenter(Presenter* presenter);
    static Presenter* presenter();

private:
    AlertView() = default;
    void takeDown();

    QString title_, message_, text_, placeholder_;
    QStringList buttons_;
    bool hasCancel_ = false;
    bool hasTextField_ = false;
    bool visible_ = false;
    AlertViewDelegate* delegate_ = nullptr;
    std::shared_ptr<AlertViewDelegate> ownedDelegate_;
};

} // namespace platform
