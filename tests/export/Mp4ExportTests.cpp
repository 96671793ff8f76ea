#include "ExportTestSupport.h"
#include "SaveTestSupport.h"
#include "TestSupport.h"
#include "document/Frame.h"
#include "export/Exporter.h"
#include "export/SoundTrack.h"
#include "items/Hmn.h"
#include "items/SpeechBubble.h"
#include "sounds/SoundManager.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace exporttest;

namespace {

// Top-level boxes of an MP4 file in order ("ftyp", "moov", "mdat", ...).
QStringList topLevelBoxes(const QString& path) {
    QStringList boxes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return boxes;
    while (!file.atEnd()) {
        const QByteArray head = file.read(8);
        if (head.size() < 8)
            break;
        quint64 size = (quint64(uchar(head[0])) << 24) | (quint64(uchar(head[1])) << 16) |
                       (quint64(uchar(head[2])) << 8) | quint64(uchar(head[3]));
        boxes.append(QString::fromLatin1(head.mid(4, 4)));
        if (size == 1) {
            const QByteArray large = file.read(8);
            size = 0;
            for (char c : large)
                size = (size << 8) | uchar(c);
        }
        if (size < 8 || !file.seek(file.pos() - 8 - (size == 1 ? 8 : 0) + qint64(size)))
            break;
    }
    return boxes;
}

std::vector<std::shared_ptr<Frame>> busyFrames(int n, int background) {
    std::vector<std::shared_ptr<Frame>> frames;
    for (int i = 0; i < n; ++i)
        frames.push_back(busyFrame(i, background));
    return frames;
}

TEST(Mp4ExportTest, EveryFrameStartsExactlyOnItsTimeAndTheLastLastsItsFullLength) {
    const QString folder = testsupport::makeTempDir();
    for (double speed : {0.25, 1.0, 4.0, 1.37}) {
        SCOPED_TRACE(speed);
        const int n = 7;
        const QString out = QDir(folder).filePath(QStringLiteral("speed-%1.mp4").arg(speed));
        QString error;
        ASSERT_TRUE(exportFrames(busyFrames(n, 3), speed,
                                 {ExportFormat::Mp4, QSize(480, 320), out, true}, &error))
            << error.toStdString();
        const FrameRate rate = FrameRate::forSpeed(speed);
        EXPECT_NEAR(double(rate.num) / double(rate.den), 6 * speed, 1e-9);

        const DecodedMp4 d = decodeMp4(out, false);
        ASSERT_TRUE(d.opened);
        EXPECT_EQ(d.pixelFormat, QStringLiteral("yuv420p"));
        ASSERT_EQ(d.pts.size(), size_t(n));
        // pts × tb = i × den / num, compared as integers.
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(d.pts[size_t(i)] * d.timeBaseNum * rate.num,
                      int64_t(i) * rate.den * d.timeBaseDen)
                << "frame " << i;
        EXPECT_EQ(d.videoDuration * d.timeBaseNum * rate.num,
                  int64_t(n) * rate.den * d.timeBaseDen);

        // No frame sounds: a silent track as long as the pictures.
        const double seconds = n * double(rate.den) / double(rate.num);
        ASSERT_GT(d.sampleRate, 0);
        EXPECT_NEAR(d.soundSeconds, seconds, 0.001);
        EXPECT_LT(*std::max_element(d.sound.begin(), d.sound.end()), 1e-4f);
        EXPECT_NEAR(d.containerSeconds, seconds, 0.001);
        // The index before the data, so that players start at once.
        const QStringList boxes = topLevelBoxes(out);
        EXPECT_LT(boxes.indexOf(QStringLiteral("moov")), boxes.indexOf(QStringLiteral("mdat")))
            << boxes.join(QLatin1Char(' ')).toStdString();
    }
}

TEST(Mp4ExportTest, PicturesMatchTheEnginesOwnDrawingWhateverTheEditorShows) {
    const QString folder = testsupport::makeTempDir();
    auto [frames, expected] = threeBusyFrames();
    // As the onion skin leaves a frame: faint items, bubble text hidden, a figure's joints shown.
    for (auto& f : frames)
        for (const auto& item : f->sprites()) {
            dynamic_cast<CCRGBAProtocol*>(item.get())->setOpacity(50);
            if (auto* figure = dynamic_cast<Hmn*>(item.get())) {
                figure->setShowJoints(true);
                figure->head()->setOpacity(50);
            }
            if (auto* bubble = dynamic_cast<SpeechBubble*>(item.get()))
                bubble->label()->setVisible(false);
        }
    const QString out = QDir(folder).filePath(QStringLiteral("pictures.mp4"));
    ASSERT_TRUE(exportFrames(frames, 1, {ExportFormat::Mp4, QSize(960, 640), out, true}));
    const DecodedMp4 d = decodeMp4(out, true);
    ASSERT_EQ(d.pictures.size(), frames.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        const double db = psnr(d.pictures[i], expected[i]);
        std::printf("frame %zu: PSNR %.1f dB\n", i, db);
        EXPECT_GE(db, 35) << "frame " << i;
        d.pictures[i].save(QDir::temp().filePath(QStringLiteral("kelvora-export-%1.png").arg(i)));
    }
    // The items are left as the editor had them, keeping no picture made for the export.
    for (auto& f : frames) {
        for (const auto& item : f->sprites()) {
            EXPECT_FALSE(item->keepsResampledPicture());
            for (const auto& child : item->children()) {
                if (auto* sprite = dynamic_cast<CCSprite*>(child.get())) {
                    EXPECT_FALSE(sprite->keepsResampledPicture());
                }
            }
            if (auto* bubble = dynamic_cast<SpeechBubble*>(item.get())) {
                EXPECT_FALSE(bubble->label()->hasPicture());
            }
        }
        EXPECT_EQ(dynamic_cast<CCRGBAProtocol*>(f->sprites()[0].get())->opacity(), 50);
        EXPECT_EQ(dynamic_cast<Hmn*>(f->sprites()[0].get())->head()->opacity(), 50);
        EXPECT_TRUE(dynamic_cast<Hmn*>(f->sprites()[0].get())->head()->showJoints());
        EXPECT_FALSE(dynamic_cast<SpeechBubble*>(f->sprites()[2].get())->label()->visible());
    }
}

// A sine burst with a sharp start: full amplitude within a fraction of a millisecond.
std::vector<float> burst(double hz, int rate, double seconds, float amplitude) {
    std::vector<float> s(size_t(seconds * rate));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = amplitude * float(std::sin(2 * std::numbers::pi * hz * double(i) / rate));
    return s;
}

// First sample at or after `from` whose magnitude reaches `level`; -1 when none before `to`.
int64_t onset(const std::vector<float>& s, int64_t from, int64_t to, float level) {
    for (int64_t i = std::max<int64_t>(from, 0); i < std::min<int64_t>(to, int64_t(s.size())); ++i)
        if (std::fabs(s[size_t(i)]) >= level)
            return i;
    return -1;
}

// Amplitude of a frequency over a stretch (Goertzel).
double amplitudeAt(const std::vector<float>& s, int64_t from, int64_t count, double hz, int rate) {
    const double w = 2 * std::numbers::pi * hz / rate;
    double re = 0, im = 0;
    for (int64_t i = 0; i < count; ++i) {
        re += s[size_t(from + i)] * std::cos(w * double(i));
        im += s[size_t(from + i)] * std::sin(w * double(i));
    }
    return 2 * std::hypot(re, im) / double(count);
}

TEST(Mp4ExportTest, EachFramesSoundsStartAtItsFirstInstant) {
    const QString folder = testsupport::makeTempDir();
    const int rate = 22050;
    const float amplitude = 0.5f;
    ASSERT_TRUE(writeAiff(QDir(folder).filePath(QStringLiteral("Burst A.aif")),
                          burst(1000, rate, 0.02, amplitude), rate));
    ASSERT_TRUE(writeAiff(QDir(folder).filePath(QStringLiteral("Burst B.aif")),
                          burst(3000, rate, 0.02, amplitude), rate));
    auto a = SoundEffect::soundEffectWithContentsOfFile(QDir(folder).filePath("Burst A.aif"));
    auto b = SoundEffect::soundEffectWithContentsOfFile(QDir(folder).filePath("Burst B.aif"));
    ASSERT_TRUE(a && a->isLoaded() && b && b->isLoaded());
    const auto rifle = SoundManager::sharedSoundMgr().soundWithFilename("Gun Shot Rifle.aif");
    ASSERT_TRUE(rifle);
    int rifleRate = 0;
    const std::vector<float> rifleAlone =
        decodeSound(platform::resourcePath(rifle->fileName()), &rifleRate);
    ASSERT_FALSE(rifleAlone.empty());
    float riflePeak = 0;
    for (float v : rifleAlone)
        riflePeak = std::max(riflePeak, std::fabs(v));
    const float rifleLevel = 0.3f * riflePeak;
    const double rifleOwnOnset =
        double(onset(rifleAlone, 0, int64_t(rifleAlone.size()), rifleLevel)) / rifleRate;
    const double rifleLength = double(rifleAlone.size()) / rifleRate;
    const auto locate = [&](const QString& name) {
        const QString own = QDir(folder).filePath(name);
        return QFile::exists(own) ? own : platform::resourcePath(name);
    };

    // Two sounds on one frame, sounds on consecutive frames, and a catalogue sound that rings
    // on past the last picture.
    for (double speed : {1.37, 4.0}) {
        SCOPED_TRACE(speed);
        std::vector<std::shared_ptr<Frame>> frames{
            soundFrame({a}), soundFrame(),    soundFrame({a, b}), soundFrame(),
            soundFrame({a}), soundFrame({a}), soundFrame(),       soundFrame({rifle})};
        const QString out = QDir(folder).filePath(QStringLiteral("sounds-%1.mp4").arg(speed));
        QString error;
        ASSERT_TRUE(exportFrames(frames, speed, {ExportFormat::Mp4, QSize(480, 320), out, true},
                                 &error, locate))
            << error.toStdString();
        const DecodedMp4 d = decodeMp4(out, false);
        ASSERT_EQ(d.sampleRate, SoundTrack::kSampleRate);
        const FrameRate fr = FrameRate::forSpeed(speed);
        const auto sampleOf = [&](double seconds) {
            return int64_t(std::llround(seconds * d.sampleRate));
        };
        const int64_t ms = sampleOf(0.001);
        for (int frame : {0, 2, 4, 5}) {
            const int64_t expected = sampleOf(fr.startSeconds(frame));
            const int64_t found =
                onset(d.sound, expected - 20 * ms, expected + 20 * ms, amplitude / 2);
            EXPECT_LE(std::llabs(found - expected), ms)
                << "frame " << frame << ": " << found << " for " << expected;
        }
        const int64_t both = sampleOf(fr.startSeconds(2));
        EXPECT_NEAR(amplitudeAt(d.sound, both + 2 * ms, 16 * ms, 1000, d.sampleRate), amplitude,
                    0.1);
        EXPECT_NEAR(amplitudeAt(d.sound, both + 2 * ms, 16 * ms, 3000, d.sampleRate), amplitude,
                    0.1);
        const int64_t rifleAt = sampleOf(fr.startSeconds(7) + rifleOwnOnset);
        const int64_t rifleFound = onset(d.sound, rifleAt - 20 * ms, rifleAt + 20 * ms, rifleLevel);
        EXPECT_LE(std::llabs(rifleFound - rifleAt), ms) << rifleFound << " for " << rifleAt;

        // As long as the longer of pictures and sound.
        const double end = std::max(fr.startSeconds(8), fr.startSeconds(7) + rifleLength);
        EXPECT_NEAR(d.soundSeconds, end, 0.001);
        EXPECT_NEAR(d.containerSeconds, end, 0.001);
        EXPECT_EQ(d.pts.size(), frames.size());
    }
}

} // namespace
