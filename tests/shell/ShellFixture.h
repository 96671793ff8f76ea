#pragma once

#include "document/SavesIndex.h"
#include "editor/GameViewController.h"
#include "platform/widgets/ViewAnimation.h"
#include "platform/widgets/Window.h"
#include "shell/KelvoraAppDelegate.h"

#include <QImage>

#include <gtest/gtest.h>

#include <memory>

// The whole application's screens over a fresh home (documents and user defaults), launched.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new delegate over the same home, as the next start of the program.
    void restart();
    // The menu's New Animation, then the preview of `background` (1 to 10).
    void newAnimation(int background);
    // Saves the editor's animation under `name` and returns its identifier.
    int saveAs(const QString& name);
    // Answers the last alert up, which must have this title.
    void answer(const QString& title, const QString& button);
    bool alertUp(const QString& title) const;
    QVariantMap lastState() const;

    GameViewController* game() const { return app->gameController(); }
    std::unique_ptr<KelvoraAppDelegate> app;
    QString home;
};

// A picture of four coloured quarters (red, green / blue, yellow), to see where each went.
QImage quarters(int w, int h);
