// Alerts on screen answer the keyboard: Return and Escape give the safe answers of a name
// prompt and close a one-button alert, and never answer a question whose cancel button loses
// work.

#include "platform/AlertView.h"
#include "platform/widgets/Window.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

using platform::AlertView;

class Answers : public platform::AlertViewDelegate {
public:
    void alertViewDidDismissWithButtonIndex(AlertView& alert, int index) override {
        given.emplace_back(index, alert.text());
    }
    std::vector<std::pair<int, QString>> given;
};

class AlertKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<platform::Window>();
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        for (const auto& a : AlertView::visibleAlerts())
            a->dismissWithClickedButtonIndex(0, false);
        window.reset();
    }

    std::shared_ptr<AlertView> show(const QString& cancel, const QStringList& others,
                                    bool textField = false) {
        auto alert =
            AlertView::create(QStringLiteral("Question"), QString(), &answers, cancel, others);
        alert->setHasTextField(textField);
        alert->show();
        QApplication::processEvents();
        return alert;
    }

    // Keys go where the user's would: to the widget holding the keyboard.
    static void press(Qt::Key key) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key);
    }

    std::unique_ptr<platform::Window> window;
    Answers answers;
};

TEST_F(AlertKeysTest, NamePromptTakesTypingAndAnswersReturnAndEscape) {
    auto prompt = show(QStringLiteral("Cancel"), {QStringLiteral("Save")}, true);
    auto* field = window->alertWidget(*prompt)->findChild<QLineEdit*>(QStringLiteral("alertText"));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), field);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Duel"));
    press(Qt::Key_Return);
    ASSERT_EQ(answers.given.size(), 1u);
    EXPECT_EQ(answers.given[0], std::make_pair(1, QStringLiteral("Duel")));
    EXPECT_FALSE(prompt->isVisible());

    auto again = show(QStringLiteral("Cancel"), {QStringLiteral("Save")}, true);
    press(Qt::Key_Escape);
    ASSERT_EQ(answers.given.size(), 2u);
    EXPECT_EQ(answers.given[1].first, 0);
    EXPECT_FALSE(again->isVisible());
}

TEST_F(AlertKeysTest, OneButtonAlertClosesOnEitherKey) {
    auto first = show(QStringLiteral("OK"), {});
    press(Qt::Key_Enter);
    auto second = show(QStringLiteral("OK"), {});
    press(Qt::Key_Escape);
    ASSERT_EQ(answers.given.size(), 2u);
    EXPECT_EQ(answers.given[0].first, 0);
    EXPECT_EQ(answers.given[1].first, 0);
    EXPECT_TRUE(AlertView::visibleAlerts().empty());

    // An alert over a prompt: once it closes, the keyboard is back in the prompt.
    auto prompt = show(QStringLiteral("Cancel"), {QStringLiteral("Save")}, true);
    auto notice = show(QStringLiteral("OK"), {});
    press(Qt::Key_Return);
    EXPECT_FALSE(notice->isVisible());
    EXPECT_TRUE(prompt->isVisible());
    press(Qt::Key_Escape);
    EXPECT_FALSE(prompt->isVisible());
    ASSERT_EQ(answers.given.size(), 4u);
    EXPECT_EQ(answers.given[3].first, 0);
}

TEST_F(AlertKeysTest, QuestionsWithoutATextFieldWaitForAClick) {
    auto exit = show(QStringLiteral("Exit"), {QStringLiteral("Save")});
    press(Qt::Key_Escape);
    press(Qt::Key_Return);
    EXPECT_TRUE(answers.given.empty());
    EXPECT_TRUE(exit->isVisible());
    auto* save = window->alertWidget(*exit)->findChild<QWidget*>(QStringLiteral("alertButton1"));
    ASSERT_NE(save, nullptr);
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_EQ(answers.given.size(), 1u);
    EXPECT_EQ(answers.given[0].first, 1);
}

} // namespace
