// SIGTERM and SIGINT end the real program through its quit: the animation on screen is saved
// and recorded, even after the sound library has started.
#include "TestSupport.h"
#include "platform/UserDefaults.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

TEST(QuitSignalsTest, SigtermAndSigintSaveAndRecordTheAnimationOnScreen) {
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        const QString home = testsupport::makeTempDir();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KELVORA_HOME"), home);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        // In a sanitizer build, LeakSanitizer's exit-time scan itself crashes while the sound
        // library's audio thread is still running; leaks are the in-process tests' business.
        if (env.contains(QStringLiteral("ASAN_OPTIONS")))
            env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) +
                                                           QStringLiteral(":detect_leaks=0"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QStringLiteral(KELVORA_QUIT_CHILD), {});
        ASSERT_TRUE(child.waitForStarted(10000));
        QByteArray out;
        while (!out.contains("ready\n") && child.waitForReadyRead(20000))
            out += child.readAllStandardOutput();
        ASSERT_TRUE(out.contains("ready\n")) << out.toStdString();

        ::kill(pid_t(child.processId()), signal);
        // Quitting saves first; 3 s is plenty for two frames.
        ASSERT_TRUE(child.waitForFinished(3000)) << "still running 3 s after the signal";
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0);

        platform::UserDefaults defaults(home + QStringLiteral("/Preferences/defaults.plist"));
        const QVariantList saves = defaults.arrayForKey(QStringLiteral("saves"));
        ASSERT_EQ(saves.size(), 1);
        const QVariantMap entry = saves.front().toMap();
        EXPECT_EQ(entry.value(QStringLiteral("saveName")).toString(), QStringLiteral("Untitled"));
        const QVariantMap state = defaults.dictionaryForKey(QStringLiteral("lastState"));
        EXPECT_EQ(state.value(QStringLiteral("currentSaveId")).toInt(), -1);
        EXPECT_EQ(state.value(QStringLiteral("autoSaveId")).toInt(),
                  entry.value(QStringLiteral("saveId")).toInt());
        EXPECT_EQ(state.value(QStringLiteral("currentFrameIndex")).toInt(), 1);
    }
}
