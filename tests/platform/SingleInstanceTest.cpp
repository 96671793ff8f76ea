// Two programs started on one documents folder, as real processes: the second brings the first
// forward and ends; after the first is killed, the next start runs.

#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

class Program {
public:
    explicit Program(const QString& home) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KELVORA_HOME", home);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SDL_AUDIODRIVER", "dummy");
        env.insert("QT_LOGGING_RULES", "kelvora.info=true");
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(KELVORA_PROGRAM, {});
    }
    ~Program() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    // Waits until the output holds text; false when the program ended or time ran out first.
    bool waitFor(const QByteArray& text, int ms = 30000) {
        QElapsedTimer clock;
        clock.start();
        while (!output_.contains(text)) {
            if (clock.elapsed() > ms)
                return false;
            if (!process_.waitForReadyRead(100) && process_.state() == QProcess::NotRunning) {
                output_ += process_.readAll();
                return output_.contains(text);
            }
            output_ += process_.readAll();
        }
        return true;
    }
    QProcess& process() { return process_; }
    QByteArray output() {
        output_ += process_.readAll();
        return output_;
    }

private:
    QProcess process_;
    QByteArray output_;
};

} // namespace

TEST(SingleInstance, OneProgramPerDocumentsFolderAlsoAfterAKill) {
    const QString home = testsupport::makeTempDir();
    Program first(home);
    ASSERT_TRUE(first.waitFor("Listening for later starts")) << first.output().data();

    Program second(home);
    ASSERT_TRUE(second.process().waitForFinished(30000));
    EXPECT_EQ(second.process().exitCode(), 0);
    EXPECT_TRUE(second.output().contains("already running")) << second.output().data();
    EXPECT_TRUE(first.waitFor("asked this program to come forward")) << first.output().data();
    EXPECT_EQ(first.process().state(), QProcess::Running);

    // A program on another folder runs beside it.
    Program elsewhere(testsupport::makeTempDir());
    EXPECT_TRUE(elsewhere.waitFor("Listening for later starts")) << elsewhere.output().data();

    // Killed, the first leaves its lock and socket behind; neither blocks the next start.
    ::kill(pid_t(first.process().processId()), SIGKILL);
    ASSERT_TRUE(first.process().waitForFinished());
    ASSERT_TRUE(QFile::exists(home + "/Documents/.kelvora.lock"));
    Program third(home);
    EXPECT_TRUE(third.waitFor("Listening for later starts")) << third.output().data();
    EXPECT_EQ(third.process().state(), QProcess::Running);
}
