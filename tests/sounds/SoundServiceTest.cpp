#include "platform/Sound.h"

#include "SoundTestFiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdlib>
#include <set>
#include <vector>

using platform::SoundSample;

namespace {

QString tempFile(const QString& name) {
    return QDir(testsupport::makeTempDir()).filePath(name);
}

} // namespace

TEST(SoundService, LoadReportsWhyAFileCannotBeUsed) {
    int status = 12345;
    auto sample = SoundSample::load(soundtest::writeAiff(tempFile("ok.aif"), 0.05), &status);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(status, platform::SoundOK);
    EXPECT_TRUE(sample->hasAudio());
    EXPECT_EQ(platform::soundDriverName(), "dummy");

    // A folder is no file.
    status = 0;
    EXPECT_EQ(SoundSample::load(testsupport::makeTempDir(), &status), nullptr);
    EXPECT_EQ(status, platform::SoundFileUnreadable);

    const QString text = tempFile("text.aif");
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a sound at all\n");
    file.close();
    status = 0;
    EXPECT_EQ(SoundSample::load(text, &status), nullptr);
    EXPECT_EQ(status, platform::SoundDataUnsupported);

    // 8-bit samples are fine.
    EXPECT_NE(SoundSample::load(soundtest::writeAiff(tempFile("8bit.aif"), 0.05, 8)), nullptr);
}

// Half-second sounds: a play that waited for its sound would take 50 seconds here.
TEST(SoundService, PlayReturnsAtOnceWithManySoundsOverlapping) {
    std::vector<std::unique_ptr<SoundSample>> samples;
    for (int i = 0; i < 10; ++i) {
        samples.push_back(SoundSample::load(
            soundtest::writeAiff(tempFile(QStringLiteral("s%1.aif").arg(i)), 0.5)));
        ASSERT_NE(samples.back(), nullptr);
    }
    QElapsedTimer clock;
    clock.start();
    int played = 0;
    for (int round = 0; round < 10; ++round) {
        for (auto& sample : samples)
            played += sample->play() >= 0;
    }
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(played, 100);
}

TEST(SoundService, WhenEveryVoiceIsBusyTheOldestGivesWay) {
    // Long enough that no voice finishes during the test.
    auto sample = SoundSample::load(soundtest::writeAiff(tempFile("long.aif"), 4.0));
    ASSERT_NE(sample, nullptr);
    // Whatever earlier tests left playing started before these, so after kSoundChannels plays
    // every voice holds one of ours.
    std::vector<int> channels;
    for (int i = 0; i < platform::kSoundChannels; ++i)
        channels.push_back(sample->play());
    const std::set<int> distinct(channels.begin(), channels.end());
    EXPECT_EQ(int(distinct.size()), platform::kSoundChannels);
    EXPECT_GE(*distinct.begin(), 0);
    EXPECT_LT(*distinct.rbegin(), platform::kSoundChannels);

    EXPECT_EQ(sample->play(), channels[0]);
    EXPECT_EQ(sample->play(), channels[1]);
    EXPECT_EQ(sample->play(), channels[2]);

    // Freeing a sample stops its voices, so the next sound finds a free one at once.
    sample.reset();
    auto other = SoundSample::load(soundtest::writeAiff(tempFile("other.aif"), 4.0));
    ASSERT_NE(other, nullptr);
    std::set<int> next;
    for (int i = 0; i < 5; ++i)
        next.insert(other->play());
    EXPECT_EQ(next.size(), 5u);
}

// Run in a fresh process: the device is opened once per process, and this one must see a
// driver that does not exist.
TEST(SoundServiceDeathTest, AnUnusableAudioDriverFallsBackToSilence) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString file = soundtest::writeAiff(tempFile("fallback.aif"), 0.05);
    EXPECT_EXIT(
        {
            qputenv("SDL_AUDIODRIVER", "no-such-driver");
            int status = -99;
            auto sample = SoundSample::load(file, &status);
            const bool ok = sample && status == platform::SoundOK && sample->play() >= 0 &&
                            platform::soundDriverName() == "dummy";
            sample.reset();
            platform::shutDownSound();
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(SoundServiceDeathTest, AfterShutdownLoadsFailAndPlayIsSilent) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const QString file = soundtest::writeAiff(tempFile("late.aif"), 0.05);
    EXPECT_EXIT(
        {
            auto early = SoundSample::load(file);
            platform::shutDownSound();
            int status = 0;
            const bool ok = early && early->play() == -1 && !SoundSample::load(file, &status) &&
                            status == platform::SoundServiceClosed &&
                            platform::soundDriverName().isEmpty();
            early.reset(); // freed after the device closed
            std::exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
