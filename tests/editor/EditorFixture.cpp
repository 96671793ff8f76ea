#include "EditorFixture.h"

#include "TestSupport.h"
#include "engine/CCDirector.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/SpeechBubble.h"
#include "platform/UserDefaults.h"
#include "platform/widgets/ViewAnimation.h"
#include "platform/widgets/Window.h"
#include "sounds/SoundManager.h"

#include <QApplication>
#include <QTest>

void EditorTest::SetUp() {
    SoundEffect::setPlayListener([this](const SoundEffect& e) { played << e.fileName(); });
    gvc = std::make_unique<GameViewController>();
    gvc->view();
}

void EditorTest::TearDown() {
    for (const auto& a : platform::AlertView::visibleAlerts())
        a->cancel();
    platform::finishViewAnimations();
    gvc.reset();
    SoundEffect::setPlayListener(nullptr);
}

std::shared_ptr<BoundingSprite> EditorTest::box(Point at) {
    auto b = BoundingSprite::spriteWithFile("box.png");
    b->setPosition(at);
    return b;
}

std::shared_ptr<Hmn> EditorTest::figure(Point at) {
    auto h = Hmn::node();
    h->setScale(0.3f);
    h->setPosition(at);
    return h;
}

std::shared_ptr<SpeechBubble> EditorTest::bubble(Point at, const QString& text) {
    auto b = SpeechBubble::spriteWithFile("speech-bubble.png");
    b->setPosition(at);
    b->setText(text);
    return b;
}

std::shared_ptr<SoundEffect> EditorTest::sound(const QString& title) {
    return SoundManager::sharedSoundMgr().soundWithFilename(title + ".aif");
}

void EditorTest::answerAlert(const QString& title, const QString& button) {
    const auto alerts = platform::AlertView::visibleAlerts();
    ASSERT_FALSE(alerts.empty()) << "no alert for " << title.toStdString();
    const auto& a = alerts.back();
    ASSERT_EQ(a->title(), title);
    const int index = a->indexOfButton(button);
    ASSERT_GE(index, 0);
    a->dismissWithClickedButtonIndex(index);
}

QStringList EditorTest::takePlayed() {
    QStringList p = played;
    played.clear();
    return p;
}

void FreshHomeEditorTest::SetUp() {
    qputenv("KELVORA_HOME", testsupport::makeTempDir().toUtf8());
    platform::UserDefaults::resetStandardUserDefaults();
    EditorTest::SetUp();
    gvc->startScene();
}

void FreshHomeEditorTest::TearDown() {
    EditorTest::TearDown();
    platform::UserDefaults::resetStandardUserDefaults();
}

void WindowedEditorTest::SetUp() {
    FreshHomeEditorTest::SetUp();
    window = std::make_unique<platform::Window>();
    window->setRootViewController(gvc.get());
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

void WindowedEditorTest::TearDown() {
    for (const auto& a : platform::AlertView::visibleAlerts())
        a->cancel();
    platform::finishViewAnimations();
    gvc->view()->setParent(nullptr);
    window.reset();
    FreshHomeEditorTest::TearDown();
}

void WindowedEditorTest::press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyClick(focus, key, modifiers);
}
