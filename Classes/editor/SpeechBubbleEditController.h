#pragma once

#include "platform/widgets/ViewController.h"

#include <QString>

#include <functional>
#include <memory>

class QPlainTextEdit;
class SpeechBubble;

// The screen on which the user writes a speech bubble's text. A new one is made for each double
// tap on a bubble; the stage does not draw while it is up, and drawing starts again however it
// closes.
class SpeechBubbleEditController : public platform::ViewController {
public:
    explicit SpeechBubbleEditController(QObject* parent = nullptr);

    // The bubble is not kept alive by the screen: one that is gone by `done` changes nothing.
    void setSpeechBubble(const std::shared_ptr<SpeechBubble>& bubble) { bubble_ = bubble; }
    std::shared_ptr<SpeechBubble> speechBubble() const { return bubble_.lock(); }
    // Sets the bubble's text as an undoable edit (the editor's); without it the bubble's text
    // is set directly.
    std::function<void(const std::shared_ptr<SpeechBubble>& bubble, const QString& text)>
        setBubbleText;

    // Empties the text field; the bubble keeps its text until `done`.
    void clear();
    // The bubble takes the field's text, the screen goes and the stage draws again.
    void done();
    // The screen goes and the stage draws again; the bubble is left as it was.
    void cancel();
    QPlainTextEdit* textView() const { return textView_; }

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    // Escape cancels, Ctrl+Return is Done; Return alone is a new line in the text.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void close();

    std::weak_ptr<SpeechBubble> bubble_;
    QPlainTextEdit* textView_ = nullptr;
};
