// A cancelled export, a read-only target and a full disk each leave nothing and say why.

#include "ExportTestSupport.h"
#include "TestSupport.h"
#include "document/Frame.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace exporttest;

namespace {

QStringList everythingIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// A small file system of its own at a new folder, when this process may mount one.
class Mount {
public:
    explicit Mount(const QString& options) : path_(testsupport::makeTempDir()) {
        mounted_ = QProcess::execute("mount", {"-t", "tmpfs", "-o", options, "tmpfs", path_}) == 0;
    }
    ~Mount() {
        if (mounted_)
            QProcess::execute("umount", {path_});
    }
    bool mounted() const { return mounted_; }
    const QString& path() const { return path_; }

private:
    QString path_;
    bool mounted_ = false;
};

const ExportFormat kFormats[] = {ExportFormat::Mp4, ExportFormat::Gif, ExportFormat::Png};

std::vector<std::shared_ptr<Frame>> frames(int n) {
    std::vector<std::shared_ptr<Frame>> f;
    for (int i = 0; i < n; ++i)
        f.push_back(busyFrame(i, kCustomBackground));
    return f;
}

QString target(const QString& folder, ExportFormat format) {
    return QDir(folder).filePath("out" + formatExtension(format));
}

TEST(ExportFailureTest, CancelledPartWayLeavesNothing) {
    for (ExportFormat format : kFormats) {
        SCOPED_TRACE(formatName(format).toStdString());
        const QString folder = testsupport::makeTempDir();
        Exporter exporter(frames(12), 1, {format, QSize(960, 640), target(folder, format), true});
        ASSERT_TRUE(exporter.start());
        // Some frames in: the temporary file or folder exists by now.
        while (exporter.progressDone() < 2 && exporter.pump(5)) {
        }
        EXPECT_FALSE(everythingIn(folder).isEmpty());
        exporter.cancel();
        EXPECT_EQ(exporter.state(), Exporter::State::Cancelled);
        EXPECT_EQ(exporter.error(), "Cancelled");
        EXPECT_TRUE(everythingIn(folder).isEmpty()) << everythingIn(folder).join(' ').toStdString();
    }
}

TEST(ExportFailureTest, AReadOnlyTargetIsReportedAndLeftAlone) {
    // Root writes through permissions: only a read-only file system stops it.
    std::unique_ptr<Mount> mount;
    QString folder;
    if (::geteuid() == 0) {
        mount = std::make_unique<Mount>("ro,size=1m");
        if (!mount->mounted())
            GTEST_SKIP() << "running as root without a read-only file system to mount";
        folder = mount->path();
    } else {
        folder = testsupport::makeTempDir();
        ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    for (ExportFormat format : kFormats) {
        SCOPED_TRACE(formatName(format).toStdString());
        QString error;
        EXPECT_FALSE(exportFrames(frames(2), 1,
                                  {format, QSize(480, 320), target(folder, format), true}, &error));
        EXPECT_TRUE(error.contains("Read-only file system") || error.contains("Permission denied"))
            << error.toStdString();
        EXPECT_TRUE(everythingIn(folder).isEmpty());
    }
}

TEST(ExportFailureTest, AFullDiskIsReportedAndWhatWasWrittenRemoved) {
    Mount mount("size=64k");
    if (!mount.mounted())
        GTEST_SKIP() << "no small file system could be mounted to fill";
    for (ExportFormat format : kFormats) {
        SCOPED_TRACE(formatName(format).toStdString());
        QString error;
        EXPECT_FALSE(exportFrames(
            frames(6), 1, {format, QSize(960, 640), target(mount.path(), format), true}, &error));
        EXPECT_TRUE(error.contains("No space left on device")) << error.toStdString();
        EXPECT_TRUE(error.contains(target(mount.path(), format))) << error.toStdString();
        EXPECT_TRUE(everythingIn(mount.path()).isEmpty())
            << everythingIn(mount.path()).join(' ').toStdString();
    }
}

} // namespace
