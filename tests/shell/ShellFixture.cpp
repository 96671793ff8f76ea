#include "ShellFixture.h"

#include "TestSupport.h"
#include "document/SavesIndex.h"
#include "platform/UserDefaults.h"
#include "platform/widgets/ViewAnimation.h"
#include "shell/MainMenuController.h"
#include "shell/NewAnimationController.h"

#include <QPainter>

void ShellTest::SetUp() {
    home = testsupport::makeTempDir();
    qputenv("KELVORA_HOME", home.toUtf8());
    platform::UserDefaults::resetStandardUserDefaults();
    app = std::make_unique<KelvoraAppDelegate>();
    app->applicationDidFinishLaunching();
}

void ShellTest::TearDown() {
    for (const auto& a : platform::AlertView::visibleAlerts())
        a->cancel();
    platform::finishViewAnimations();
    app.reset();
    platform::UserDefaults::resetStandardUserDefaults();
}

void ShellTest::restart() {
    for (const auto& a : platform::AlertView::visibleAlerts())
        a->cancel();
    platform::finishViewAnimations();
    app.reset();
    // The next start reads the defaults from their file.
    platform::UserDefaults::resetStandardUserDefaults();
    app = std::make_unique<KelvoraAppDelegate>();
    app->applicationDidFinishLaunching();
}

void ShellTest::newAnimation(int background) {
    app->mainMenuController()->newAnimation(nullptr);
    QObject preview;
    preview.setProperty("tag", background);
    app->newAnimationController()->backgroundSelected(&preview);
    platform::finishViewAnimations();
}

int ShellTest::saveAs(const QString& name) {
    game()->saveWithName(name, true);
    return game()->currentSaveId();
}

bool ShellTest::alertUp(const QString& title) const {
    for (const auto& a : platform::AlertView::visibleAlerts())
        if (a->title() == title)
            return true;
    return false;
}

void ShellTest::answer(const QString& title, const QString& button) {
    const auto alerts = platform::AlertView::visibleAlerts();
    ASSERT_FALSE(alerts.empty()) << "no alert " << title.toStdString();
    ASSERT_EQ(alerts.back()->title(), title);
    alerts.back()->dismissWithClickedButtonIndex(alerts.back()->indexOfButton(button));
    platform::finishViewAnimations();
}

QVariantMap ShellTest::lastState() const {
    return platform::UserDefaults::standardUserDefaults().dictionaryForKey(
        QStringLiteral("lastState"));
}

QImage quarters(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h / 2, Qt::red);
    p.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
    p.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::yellow);
    return image;
}
