#include "ExportTestSupport.h"
#include "TestSupport.h"
#include "document/Frame.h"
#include "engine/CCSprite.h"
#include "export/ExportTiming.h"

#include <QDir>
#include <QFile>

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace exporttest;

namespace {

struct GifCloser {
    void operator()(GifFileType* g) const { DGifCloseFile(g, nullptr); }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

GifPtr readGif(const QString& path) {
    int error = 0;
    GifPtr gif(DGifOpenFileName(QFile::encodeName(path).constData(), &error));
    if (gif && DGifSlurp(gif.get()) != GIF_OK)
        gif.reset();
    return gif;
}

// Frame i of a GIF whose frames each cover the whole picture.
QImage pictureOf(const GifFileType* gif, int i) {
    const SavedImage& image = gif->SavedImages[i];
    const ColorMapObject* map =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    QImage out(gif->SWidth, gif->SHeight, QImage::Format_RGB32);
    for (int y = 0; y < gif->SHeight; ++y)
        for (int x = 0; x < gif->SWidth; ++x) {
            const GifColorType c = map->Colors[image.RasterBits[y * gif->SWidth + x]];
            out.setPixel(x, y, qRgb(c.Red, c.Green, c.Blue));
        }
    return out;
}

bool loopsForever(const GifFileType* gif) {
    // The NETSCAPE2.0 block and its sub-block {1, count low, count high} come first.
    const SavedImage& first = gif->SavedImages[0];
    for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i) {
        const ExtensionBlock& b = first.ExtensionBlocks[i];
        if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
            std::memcmp(b.Bytes, "NETSCAPE2.0", 11) == 0) {
            const ExtensionBlock& sub = first.ExtensionBlocks[i + 1];
            return sub.ByteCount == 3 && sub.Bytes[0] == 1 && sub.Bytes[1] == 0 &&
                   sub.Bytes[2] == 0;
        }
    }
    return false;
}

TEST(GifExportTest, ThousandFramesKeepTimeLoopAndShareOnePalette) {
    const QString folder = testsupport::makeTempDir();
    const int n = 1000;
    const double speed = 1.37; // 12.165 hundredths a frame
    std::vector<std::shared_ptr<Frame>> frames;
    for (int i = 0; i < n; ++i) {
        auto frame = std::make_shared<Frame>();
        frame->setBackground(1);
        auto box = Sprite::spriteWithFile(QStringLiteral("box.png"));
        box->setPosition(Point(40.0f + float(i % 400), 160));
        frame->addSprite(box);
        frames.push_back(frame);
    }
    const QString out = QDir(folder).filePath(QStringLiteral("long.gif"));
    QString error;
    ASSERT_TRUE(
        exportFrames(frames, speed, {ExportFormat::Gif, QSize(480, 320), out, false}, &error))
        << error.toStdString();
    GifPtr gif = readGif(out);
    ASSERT_TRUE(gif);
    ASSERT_EQ(gif->ImageCount, n);
    EXPECT_EQ(QSize(gif->SWidth, gif->SHeight), QSize(480, 320));
    ASSERT_TRUE(gif->SColorMap);
    EXPECT_TRUE(loopsForever(gif.get()));
    const FrameRate rate = FrameRate::forSpeed(speed);
    int64_t total = 0;
    double worst = 0;
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(gif->SavedImages[i].ImageDesc.ColorMap, nullptr) << "frame " << i;
        GraphicsControlBlock gcb;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif.get(), i, &gcb), GIF_OK);
        total += gcb.DelayTime;
        // Hundredths after frame i, against the exact end of frame i.
        const double exact = 100.0 * double(i + 1) * double(rate.den) / double(rate.num);
        worst = std::max(worst, std::fabs(double(total) - exact));
    }
    EXPECT_LE(worst, 1.0);
    std::printf("GIF of %d frames: running total at most %.3f hundredths from exact\n", n, worst);
}

TEST(GifExportTest, FramesLookLikeTheEnginesDrawingWithAndWithoutDithering) {
    const QString folder = testsupport::makeTempDir();
    auto [frames, expected] = threeBusyFrames();
    for (bool dither : {true, false}) {
        const QString out = QDir(folder).filePath(QStringLiteral("look-%1.gif").arg(dither));
        ASSERT_TRUE(exportFrames(frames, 1, {ExportFormat::Gif, QSize(960, 640), out, dither}));
        GifPtr gif = readGif(out);
        ASSERT_TRUE(gif);
        ASSERT_EQ(gif->ImageCount, int(frames.size()));
        for (int i = 0; i < gif->ImageCount; ++i) {
            const double db = psnr(pictureOf(gif.get(), i), expected[size_t(i)]);
            std::printf("GIF frame %d, dithering %s: PSNR %.1f dB\n", i, dither ? "on" : "off", db);
            // A wrong palette or misplaced frame is far below this.
            EXPECT_GE(db, 25) << "frame " << i;
        }
    }
}

} // namespace
