#pragma once

#include "editor/GameViewController.h"
#include "platform/widgets/Window.h"
#include "sounds/SoundEffect.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

class BoundingSprite;
class Hmn;
class SpeechBubble;

// An editor screen with its scene built, and a record of the sounds it plays.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::shared_ptr<BoundingSprite> box(Point at);
    std::shared_ptr<Hmn> figure(Point at);
    std::shared_ptr<SpeechBubble> bubble(Point at, const QString& text);
    std::shared_ptr<SoundEffect> sound(const QString& title);
    // Answers the alert on screen with the button titled `button`.
    void answerAlert(const QString& title, const QString& button);
    // Names of the sounds played since the last call.
    QStringList takePlayed();
    Frame& frame(int i) { return *gvc->frames()[size_t(i)]; }

    std::unique_ptr<GameViewController> gvc;
    QStringList played;
};

// An editor with a fresh home of its own (documents and user defaults), its scene started.
class FreshHomeEditorTest : public EditorTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The same, shown in an active window, so that keys and reachability are the user's.
class WindowedEditorTest : public FreshHomeEditorTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Keys go where the user's would: to the widget holding the keyboard.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    std::unique_ptr<platform::Window> window;
};
