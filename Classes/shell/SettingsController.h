#pragma once

#include "platform/widgets/ViewController.h"

class QCheckBox;
class QLabel;
class QSlider;

// Automatic saving: on or off, and every how many seconds (10 to 30).
class SettingsController : public platform::ViewController {
public:
    explicit SettingsController(QObject* parent = nullptr);

    // Writes both settings, then closes.
    void close(QObject* sender);
    void viewDidAppear(bool) override;
    // The stored period, or 15 when it is outside 10 to 30.
    static int shownFrequency(float stored);

    QCheckBox* enableAutosave() const { return enableAutosave_; }
    QSlider* autosaveFrequency() const { return autosaveFrequency_; }

protected:
    void loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFrequency();
    QCheckBox* enableAutosave_ = nullptr;
    QSlider* autosaveFrequency_ = nullptr;
    QLabel* frequencyLabel_ = nullptr;
};
