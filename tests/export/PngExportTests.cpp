#include "ExportTestSupport.h"
#include "TestSupport.h"
#include "document/Frame.h"
#include "export/PngSequenceWriter.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace exporttest;

namespace {

TEST(PngExportTest, NumberedPicturesInANewFolderAreTheEnginesDrawing) {
    const QString folder = testsupport::makeTempDir();
    auto [frames, expected] = threeBusyFrames();
    const QString out = QDir(folder).filePath(QStringLiteral("pictures"));
    ASSERT_TRUE(exportFrames(frames, 1, {ExportFormat::Png, QSize(960, 640), out, true}));
    EXPECT_EQ(QDir(out).entryList(QDir::Files),
              QStringList({"frame-0001.png", "frame-0002.png", "frame-0003.png"}));
    for (size_t i = 0; i < frames.size(); ++i) {
        const QImage picture(QDir(out).filePath(PngSequenceWriter::fileName(int(i), 3)));
        ASSERT_EQ(picture.size(), QSize(960, 640));
        EXPECT_FALSE(picture.hasAlphaChannel());
        EXPECT_EQ(picture.convertToFormat(QImage::Format_RGB32), expected[i]) << "frame " << i;
    }
    // Numbers sort in order however many frames there are.
    EXPECT_EQ(PngSequenceWriter::fileName(0, 12345), QStringLiteral("frame-00001.png"));
    EXPECT_EQ(PngSequenceWriter::fileName(9998, 9999), QStringLiteral("frame-9999.png"));
}

} // namespace
