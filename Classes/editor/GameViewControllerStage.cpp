// The editor's side of the stage: the basket and palettes as the stage asks about them, the
// bubble text screen, and the actions on the selected item.

#include "document/Commands.h"
#include "document/SaveFormat.h"
#include "editor/GameViewController.h"
#include "editor/SpeechBubbleEditController.h"
#include "engine/CCDirector.h"
#include "items/SpeechBubble.h"
#include "platform/widgets/SceneView.h"

bool GameViewController::basketContainsScreenPoint(Point p) const {
    return palettes_ && palettes_->basketContainsScreenPoint(p);
}

bool GameViewController::shownPaletteContains(Point p) const {
    return palettes_ && palettes_->shownPaletteContains(p);
}

bool GameViewController::presentSpeechBubbleEditor(const std::shared_ptr<SpeechBubble>& bubble) {
    // Another screen in front (or one still on its way out) leaves the stage drawing as it was.
    if (!bubble || !isViewLoaded() || modalViewController())
        return false;
    if (speechBubbleEditor_)
        speechBubbleEditor_->deleteLater();
    auto* editor = new SpeechBubbleEditController(this);
    editor->setSpeechBubble(bubble);
    editor->setBubbleText = [this](const std::shared_ptr<SpeechBubble>& b, const QString& text) {
        setBubbleText(b, text);
    };
    speechBubbleEditor_ = editor;
    // Frames must not step behind the screen.
    if (isPlaying())
        stop();
    CCDirector::sharedDirector().stopAnimation();
    presentModalViewController(editor, true);
    return true;
}

void GameViewController::dismissSpeechBubbleEditor() {
    if (speechBubbleEditor_ && modalViewController() == speechBubbleEditor_)
        speechBubbleEditor_->cancel();
}

void GameViewController::setBubbleText(const std::shared_ptr<SpeechBubble>& bubble,
                                       const QString& text) {
    if (!bubble || bubble->text() == text)
        return;
    // What a save can hold is what the editor lets a bubble say.
    if (text.size() > saveformat::kMaxBubbleTextLength) {
        platform::AlertView::create(QStringLiteral("Text too long"),
                                    QStringLiteral("A speech bubble holds at most %1 characters.")
                                        .arg(saveformat::kMaxBubbleTextLength),
                                    nullptr, QStringLiteral("OK"))
            ->show();
        return;
    }
    for (const auto& frame : animation_.frames()) {
        if (frame->containsSprite(bubble.get())) {
            animation_.push(new BubbleTextCommand(animation_, frame.get(), bubble, text));
            return;
        }
    }
}

void GameViewController::deleteSelectedItem() {
    if (frameLayer_)
        frameLayer_->deleteSelectedItem();
}

void GameViewController::declareStageActions() {
    using A = EditorActions;
    // No button: it works on the selection, while the stage can be clicked.
    A::Action deleteItem{QStringLiteral("Delete item"),
                         QString(),
                         {Qt::Key_Delete, Qt::Key_Backspace},
                         [this](QObject*) { deleteSelectedItem(); },
                         [this] {
                             return frameLayer_ && frameLayer_->selectedItem();
                         }};
    deleteItem.keyArea = sceneView_;
    actions_.declare(A::DeleteItem, std::move(deleteItem));
}
