#include "shell/SettingsController.h"

#include "platform/UserDefaults.h"
#include "shell/ShellLook.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

SettingsController::SettingsController(QObject* parent) : platform::ViewController(parent) {}

int SettingsController::shownFrequency(float stored) {
    return (stored < 10 || stored > 30) ? 15 : qRound(stored);
}

void SettingsController::loadView() {
    QWidget* page = shelllook::makePage(QStringLiteral("settings"));
    page->setStyleSheet(page->styleSheet() +
                        QStringLiteral("#settingsGroup { background: white; border: 1px solid "
                                       "#c8c7cc; border-radius: 8px; }"
                                       "#settingsGroup QLabel, QCheckBox { font-size: 14px; }"
                                       "#settingsNote { color: #6d6d72; font-size: 11px; }"));
    const shelllook::Bar bar =
        shelllook::makeBar(page, QStringLiteral("Settings"), QString(), QStringLiteral("Close"));
    QObject::connect(bar.right, &QPushButton::clicked, this, [this, b = bar.right] { close(b); });

    auto* group = new QWidget(page);
    group->setObjectName(QStringLiteral("settingsGroup"));
    group->setAttribute(Qt::WA_StyledBackground);
    group->setGeometry(20, shelllook::kBarHeight + 24, 440, 110);
    enableAutosave_ = new QCheckBox(QStringLiteral("Save automatically"), group);
    enableAutosave_->setObjectName(QStringLiteral("enableAutosave"));
    enableAutosave_->setGeometry(14, 10, 300, 30);
    frequencyLabel_ = new QLabel(group);
    frequencyLabel_->setGeometry(14, 50, 300, 20);
    autosaveFrequency_ = new QSlider(Qt::Horizontal, group);
    autosaveFrequency_->setObjectName(QStringLiteral("autosaveFrequency"));
    autosaveFrequency_->setRange(10, 30);
    autosaveFrequency_->setGeometry(14, 74, 412, 26);
    QObject::connect(autosaveFrequency_, &QSlider::valueChanged, this, [this] { showFrequency(); });
    auto* note = new QLabel(QStringLiteral("A changed animation is saved this often while it is "
                                           "open."),
                            page);
    note->setObjectName(QStringLiteral("settingsNote"));
    note->setGeometry(24, shelllook::kBarHeight + 142, 430, 20);
    page->setFocusPolicy(Qt::StrongFocus);
    page->installEventFilter(this);
    setView(page);
}

void SettingsController::viewDidLoad() {
    platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    autosaveFrequency_->setValue(
        shownFrequency(defaults.floatForKey(QStringLiteral("autosave_frequency"))));
    enableAutosave_->setChecked(defaults.boolForKey(QStringLiteral("autosave_enabled")));
    showFrequency();
}

void SettingsController::showFrequency() {
    frequencyLabel_->setText(QStringLiteral("Every %1 seconds").arg(autosaveFrequency_->value()));
}

void SettingsController::viewDidAppear(bool) {
    view()->setFocus();
}

void SettingsController::close(QObject*) {
    platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    defaults.setBool(enableAutosave_->isChecked(), QStringLiteral("autosave_enabled"));
    defaults.setFloat(float(autosaveFrequency_->value()), QStringLiteral("autosave_frequency"));
    defaults.synchronize();
    dismissModalViewControllerAnimated(true);
}

bool SettingsController::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close(nullptr);
        return true;
    }
    return false;
}
