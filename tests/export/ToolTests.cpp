#include "ExportTestSupport.h"
#include "SaveTestSupport.h"
#include "export/ExportTiming.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

class ExportToolTest : public SaveTest {
protected:
    int tool(const QStringList& args, QString* err = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KELVORA_HOME", home_);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KELVORA_EXPORT), args);
        EXPECT_TRUE(p.waitForFinished(120000));
        if (err)
            *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitCode();
    }
};

TEST_F(ExportToolTest, ExitStatusTellsWhatHappened) {
    ASSERT_TRUE(save(1, savetest::animation(5)));
    QFile damaged(folder_ + "/save-2.plist");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a property list");
    damaged.close();
    const QString out = home_ + "/out";
    struct Row {
        QStringList args;
        int status;
        QString says; // part of what it prints on failure
    };
    const Row rows[] = {
        {{}, 1, "usage"},
        {{"1"}, 1, "usage"},
        {{"0", out + ".mp4"}, 1, "not a save identifier"},
        {{"1", out + ".mp4", "--size", "640x480"}, 1, "480x320 or 960x640"},
        {{"1", out + ".mp4", "--format", "avi"}, 1, "mp4, gif or png"},
        {{"1", out + ".mp4", "--size"}, 1, "needs a value"},
        {{"7", out + ".mp4"}, 2, "does not exist"},
        {{"2", out + ".mp4"}, 3, "cannot be read"},
        {{"1", home_ + "/no/such/folder/a.mp4"}, 4, "does not exist"},
        {{"1", out + ".mp4", "--size", "480x320"}, 0, ""},
        {{"1", out + ".gif", "--size", "480x320"}, 0, ""},
        {{"1", out + "-pictures", "--format", "png", "--size", "480x320"}, 0, ""},
        // The folder of pictures must be new.
        {{"1", out + "-pictures", "--format", "png"}, 4, "already exists"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args.join(' ').toStdString());
        QString err;
        EXPECT_EQ(tool(row.args, &err), row.status) << err.toStdString();
        EXPECT_TRUE(err.contains(row.says)) << err.toStdString();
    }
    // What the successful rows made: five frames each, at the save's speed.
    const exporttest::DecodedMp4 mp4 = exporttest::decodeMp4(out + ".mp4", false);
    EXPECT_EQ(mp4.pts.size(), 5u);
    const FrameRate rate = FrameRate::forSpeed(savetest::animation(1).animationSpeed);
    EXPECT_EQ(mp4.videoDuration * mp4.timeBaseNum * rate.num, 5 * rate.den * mp4.timeBaseDen);
    // Frame 3's sound rings on past the pictures.
    EXPECT_GT(mp4.containerSeconds, 5 * double(rate.den) / double(rate.num));
    EXPECT_TRUE(QFile::exists(out + ".gif"));
    EXPECT_EQ(QDir(out + "-pictures").entryList(QDir::Files).size(), 5);
    EXPECT_EQ(QImage(out + "-pictures/frame-0005.png").size(), QSize(480, 320));
    // Nothing half-written is left beside them.
    EXPECT_EQ(QDir(home_).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"Documents", "out-pictures", "out.gif", "out.mp4"}));
}

} // namespace
