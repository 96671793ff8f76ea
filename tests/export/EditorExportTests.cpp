// The export screen, driven through its widgets in the editor's window.

#include "EditorFixture.h"
#include "ExportTestSupport.h"
#include "TestSupport.h"
#include "editor/ExportDialog.h"
#include "engine/CCDirector.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "platform/widgets/ViewAnimation.h"
#include "platform/widgets/Window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class EditorExportTest : public FreshHomeEditorTest {
protected:
    void SetUp() override {
        FreshHomeEditorTest::SetUp();
        window = std::make_unique<platform::Window>();
        window->setRootViewController(gvc.get());
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        // Frames of figures walking across a built-in background.
        gvc->setAnimationBackground(8);
        auto f = figure(Point(60, 150));
        gvc->addSprite(f);
        gvc->addSprite(box(Point(300, 100)));
        for (int i = 1; i < kFrames; ++i) {
            gvc->snap(gvc->cameraButton());
            gvc->currentFrame()->sprites()[0]->setPosition(Point(60.0f + 10 * float(i), 150));
        }
        folder = testsupport::makeTempDir();
    }
    void TearDown() override {
        platform::finishViewAnimations();
        gvc->view()->setParent(nullptr);
        window.reset();
        FreshHomeEditorTest::TearDown();
    }

    // The export screen opened with Ctrl+E and filled in.
    ExportDialog* openAndFill(int format, int size, const QString& path) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::ControlModifier);
        ExportDialog* d = gvc->exportDialog();
        EXPECT_TRUE(d && d->isVisible());
        if (!d)
            return nullptr;
        d->formatBox()->setCurrentIndex(format);
        d->sizeBox()->setCurrentIndex(size);
        d->pathEdit()->selectAll();
        QTest::keyClicks(d->pathEdit(), path);
        return d;
    }

    // Runs the event loop until the export ends, counting the turns of the loop (a 1 ms
    // timer's ticks) and the longest gap between them (told, not checked: timing is the
    // benchmark's business).
    int runUntilEnded(ExportDialog* d, const std::function<void()>& onFirstProgress = {}) {
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0, longest = 0;
        int turns = 0;
        bool progressed = false;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            longest = std::max(longest, now - last);
            last = now;
            ++turns;
            if (!progressed && d->progressBar()->value() > 0) {
                progressed = true;
                EXPECT_TRUE(CCDirector::sharedDirector().isAnimating()); // the stage is drawn
                if (onFirstProgress)
                    onFirstProgress();
            }
        });
        tick.start();
        last = clock.elapsed();
        while (gvc->isExporting() && clock.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::printf("longest gap between event-loop turns %lld ms\n",
                    static_cast<long long>(longest));
        return turns;
    }

    static constexpr int kFrames = 24;
    std::unique_ptr<platform::Window> window;
    QString folder;
};

TEST_F(EditorExportTest, EachFormatIsMadeFromTheScreenWhileTheEditorKeepsDrawing) {
    struct Row {
        int format; // positions in the lists
        int size;
        QString name;
    };
    for (const Row& row : {Row{0, 0, "walk.mp4"}, Row{1, 1, "walk.gif"}, Row{2, 0, "walk"}}) {
        SCOPED_TRACE(row.name.toStdString());
        const QString path = QDir(folder).filePath(row.name);
        ExportDialog* d = openAndFill(row.format, row.size, path);
        ASSERT_TRUE(d);
        // Kept for a look.
        window->grab().save(QDir::temp().filePath("kelvora-export-screen.png"));
        QTest::mouseClick(d->exportButton(), Qt::LeftButton);
        EXPECT_TRUE(gvc->isExporting());
        // Nothing else starts meanwhile.
        EXPECT_FALSE(gvc->actions().button(EditorActions::Export)->isEnabled());
        // The loop turns between slices: at least once for every frame rendered (a GIF's
        // frames are rendered twice).
        EXPECT_GE(runUntilEnded(d), kFrames * (row.format == 1 ? 2 : 1));
        EXPECT_TRUE(d->resultLabel()->text().startsWith("Exported to"))
            << d->resultLabel()->text().toStdString();
        QTest::mouseClick(d->closeButton(), Qt::LeftButton);
        EXPECT_FALSE(d->isVisible());
        EXPECT_TRUE(gvc->actions().button(EditorActions::Export)->isEnabled());
    }
    EXPECT_EQ(exporttest::decodeMp4(QDir(folder).filePath("walk.mp4"), false).pts.size(),
              size_t(kFrames));
    EXPECT_GT(QFileInfo(QDir(folder).filePath("walk.gif")).size(), 0);
    EXPECT_EQ(QDir(QDir(folder).filePath("walk")).entryList(QDir::Files).size(), kFrames);
    EXPECT_EQ(QImage(QDir(folder).filePath("walk/frame-0001.png")).size(), QSize(960, 640));
    // The stage still shows the last frame as it was.
    EXPECT_EQ(gvc->frameLayer()->children().size(), 2u);
}

TEST_F(EditorExportTest, CancelAndAMissingFolderLeaveNothingAndSayWhy) {
    ExportDialog* d = openAndFill(0, 0, QDir(folder).filePath("cancelled.mp4"));
    ASSERT_TRUE(d);
    QTest::mouseClick(d->exportButton(), Qt::LeftButton);
    runUntilEnded(d, [&] { QTest::mouseClick(d->cancelButton(), Qt::LeftButton); });
    EXPECT_TRUE(d->resultLabel()->text().contains("cancelled"));
    EXPECT_TRUE(
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    QTest::mouseClick(d->closeButton(), Qt::LeftButton);

    d = openAndFill(1, 1, QDir(folder).filePath("missing/walk.gif"));
    QTest::mouseClick(d->exportButton(), Qt::LeftButton);
    runUntilEnded(d);
    EXPECT_TRUE(d->resultLabel()->text().contains("does not exist"))
        << d->resultLabel()->text().toStdString();
    EXPECT_TRUE(
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

} // namespace
