// The background chooser: pages, new and change modes, pictures of the user's own.
#include "ShellFixture.h"

#include "TestSupport.h"
#include "base/Exception.h"
#include "engine/CCDirector.h"
#include "shell/MainMenuController.h"
#include "shell/NewAnimationController.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

namespace {

using NAC = NewAnimationController;

// A JPEG of `image` whose EXIF says `orientation` (0: no EXIF at all).
QByteArray jpegWithOrientation(const QImage& image, int orientation) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    if (orientation == 0)
        return jpeg;
    // APP1 "Exif": a big-endian TIFF header and IFD0 with the one Orientation entry (SHORT).
    QByteArray tiff("MM\x00\x2a\x00\x00\x00\x08", 8);
    tiff += QByteArray("\x00\x01", 2);                         // one entry
    tiff += QByteArray("\x01\x12\x00\x03\x00\x00\x00\x01", 8); // 0x0112, SHORT, count 1
    tiff += char(orientation >> 8);
    tiff += char(orientation & 0xff);
    tiff += QByteArray("\x00\x00", 2);         // value padding
    tiff += QByteArray("\x00\x00\x00\x00", 4); // no next IFD
    const QByteArray body = QByteArray("Exif\x00\x00", 6) + tiff;
    const int length = body.size() + 2;
    QByteArray app1("\xff\xe1", 2);
    app1 += char(length >> 8);
    app1 += char(length & 0xff);
    app1 += body;
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = testsupport::makeTempDir() + QLatin1Char('/') + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

// Whether two pictures agree at the centres of a 4 × 4 grid, within JPEG's error.
bool samePicture(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return false;
    for (int gx = 0; gx < 4; ++gx) {
        for (int gy = 0; gy < 4; ++gy) {
            const QPoint p((2 * gx + 1) * a.width() / 8, (2 * gy + 1) * a.height() / 8);
            const QColor ca = a.pixelColor(p), cb = b.pixelColor(p);
            if (std::abs(ca.red() - cb.red()) > 60 || std::abs(ca.green() - cb.green()) > 60 ||
                std::abs(ca.blue() - cb.blue()) > 60)
                return false;
        }
    }
    return true;
}

} // namespace

TEST_F(ShellTest, TheChooserTitlesFollowThePageNearestToTheOffset) {
    NAC* chooser = app->newAnimationController();
    chooser->view();
    EXPECT_EQ(NAC::titles().size(), 11);
    EXPECT_EQ(chooser->pageControl()->numberOfPages(), 11);
    EXPECT_EQ(chooser->label()->text(), QStringLiteral("Blank"));
    const double w = NAC::kPageWidth;
    const struct {
        double offset;
        int page;
        const char* title;
    } cases[] = {{0, 0, "Blank"},
                 {w / 2 - 1, 0, "Blank"},
                 {w * 2.5, 3, "Street"}, // halfway between pages 2 and 3
                 {w * 5, 5, "Roof of skyscaper"},
                 {w * 10, 10, "Custom"}};
    for (const auto& c : cases) {
        chooser->scrollView()->horizontalScrollBar()->setValue(int(c.offset));
        EXPECT_EQ(chooser->label()->text(), QString::fromUtf8(c.title)) << c.offset;
        EXPECT_EQ(chooser->pageControl()->currentPage(), c.page) << c.offset;
    }
    // Past either end: the first or last page.
    EXPECT_EQ(NAC::pageForOffset(-w, w), 0);
    EXPECT_EQ(NAC::pageForOffset(w * 14, w), 10);
}

// The editor's view is not built until the chooser needs it; a new animation starts with its
// background and counts as unchanged (no automatic save, no question on closing).
TEST_F(ShellTest, CastleInNewModeGivesOneEmptyUnchangedFrameWithBackgroundTwo) {
    ASSERT_FALSE(game()->isViewLoaded());
    newAnimation(2);
    ASSERT_EQ(game()->frames().size(), 1u);
    EXPECT_EQ(game()->frames()[0]->background(), 2);
    EXPECT_TRUE(game()->frames()[0]->sprites().empty());
    EXPECT_FALSE(game()->isDirty());
    EXPECT_FALSE(game()->animation().undoStack().canUndo());
    EXPECT_EQ(game()->parentViewController(), app->newAnimationController());
    game()->saveTimerTick();
    EXPECT_TRUE(SavesIndex::shared().entries().isEmpty());
    game()->close(nullptr);
    EXPECT_TRUE(platform::AlertView::visibleAlerts().empty());
}

TEST_F(ShellTest, ChangeModeAltersOnlyTheCurrentFrameThenAsksAboutTheItems) {
    newAnimation(2);
    game()->addPlayer(nullptr);
    game()->snap(nullptr);
    game()->snap(nullptr);
    game()->setCurrentFrameAtIndex(1);
    game()->actions().action(EditorActions::ChangeBackground).trigger(nullptr);
    platform::finishViewAnimations();
    NAC* chooser = app->changeBackgroundController();
    ASSERT_EQ(game()->modalViewController(), chooser);
    EXPECT_TRUE(chooser->changeBackgroundBehaviour());
    EXPECT_FALSE(app->newAnimationController()->changeBackgroundBehaviour());

    QObject dojo;
    dojo.setProperty("tag", 8);
    chooser->backgroundSelected(&dojo);
    platform::finishViewAnimations();
    EXPECT_EQ(game()->modalViewController(), nullptr);
    ASSERT_EQ(game()->frames().size(), 3u);
    EXPECT_EQ(game()->frames()[0]->background(), 2);
    EXPECT_EQ(game()->frames()[1]->background(), 8);
    EXPECT_EQ(game()->frames()[2]->background(), 2);
    EXPECT_EQ(game()->frames()[1]->sprites().size(), 1u);
    EXPECT_TRUE(CCDirector::sharedDirector().isAnimating());
    answer(QStringLiteral("Do you want the current items to remain on the screen?"),
           QStringLiteral("No"));
    EXPECT_TRUE(game()->frames()[1]->sprites().empty());

    // Closed without a choice: the editor draws again and nothing changed.
    game()->changeBackground();
    EXPECT_FALSE(CCDirector::sharedDirector().isAnimating());
    chooser->close(nullptr);
    platform::finishViewAnimations();
    EXPECT_EQ(game()->modalViewController(), nullptr);
    EXPECT_TRUE(CCDirector::sharedDirector().isAnimating());
    EXPECT_EQ(game()->frames()[1]->background(), 8);
    EXPECT_TRUE(platform::AlertView::visibleAlerts().empty());
}

TEST_F(ShellTest, PhotosAreScaledToAtMost480OnTheLongerSide) {
    const struct {
        QSize in, out;
    } cases[] = {{{640, 480}, {480, 360}},
                 {{480, 640}, {360, 480}},
                 {{300, 200}, {300, 200}},
                 {{480, 480}, {480, 480}},
                 {{2000, 100}, {480, 24}}};
    for (const auto& c : cases) {
        const QImage out = NAC::scaleAndRotateImage(quarters(c.in.width(), c.in.height()), 0);
        EXPECT_EQ(out.size(), c.out) << c.in.width() << "x" << c.in.height();
        EXPECT_TRUE(samePicture(out, quarters(c.out.width(), c.out.height())));
    }
    // Turned a quarter: the sides swap.
    EXPECT_EQ(NAC::scaleAndRotateImage(quarters(640, 480), 3).size(), QSize(360, 480));
    try {
        NAC::scaleAndRotateImage(quarters(10, 10), 8);
        FAIL() << "no exception";
    } catch (const ContractFailure& e) {
        EXPECT_EQ(e.reason(), "Invalid image orientation");
    }
}

// Real JPEG files with each EXIF orientation come out as Qt's own reader turns them upright.
TEST_F(ShellTest, EveryExifOrientationComesOutUpright) {
    const QImage stored = quarters(64, 32);
    for (int exif = 0; exif <= 8; ++exif) {
        SCOPED_TRACE(exif);
        const QByteArray bytes = jpegWithOrientation(stored, exif);
        EXPECT_EQ(NAC::exifOrientation(bytes), exif == 0 ? 1 : exif);
        const QString path = writeFile(QStringLiteral("photo.jpg"), bytes);
        QString error;
        const auto picture = NAC::readPicture(path, &error);
        ASSERT_TRUE(picture) << error.toStdString();
        QImageReader upright(path);
        upright.setAutoTransform(true);
        EXPECT_TRUE(samePicture(*picture, upright.read()));
    }
    // A tag no camera writes.
    QString error;
    EXPECT_FALSE(NAC::readPicture(
        writeFile(QStringLiteral("odd.jpg"), jpegWithOrientation(stored, 9)), &error));
    EXPECT_EQ(error, QStringLiteral("Invalid image orientation"));
}

TEST_F(ShellTest, APictureOfYourOwnStartsTheAnimationWithIt) {
    const QString path = writeFile(QStringLiteral("wide.png"), [] {
        QByteArray png;
        QBuffer b(&png);
        b.open(QIODevice::WriteOnly);
        quarters(640, 480).save(&b, "PNG");
        return png;
    }());
    app->mainMenuController()->newAnimation(nullptr);
    app->newAnimationController()->imagePickerController(nullptr, path);
    ASSERT_EQ(game()->parentViewController(), app->newAnimationController());
    EXPECT_EQ(game()->frames()[0]->background(), NAC::kCustomBackground);
    EXPECT_EQ(game()->frames()[0]->backgroundImage().size(), QSize(480, 360));
    EXPECT_FALSE(game()->isDirty());
}

// A file that is no picture, or one too large to decode, is refused with an alert; nothing
// else happens.
TEST_F(ShellTest, APictureThatCannotBeUsedLeavesTheChooserAsItWas) {
    QByteArray huge = jpegWithOrientation(quarters(64, 32), 0);
    // The frame header's height and width, as a photo of 60000 × 60000 pixels would have.
    const qsizetype sof = huge.indexOf(QByteArray("\xff\xc0", 2));
    ASSERT_GT(sof, 0);
    huge[sof + 5] = char(60000 >> 8);
    huge[sof + 6] = char(60000 & 0xff);
    huge[sof + 7] = char(60000 >> 8);
    huge[sof + 8] = char(60000 & 0xff);
    const QString files[] = {writeFile(QStringLiteral("notes.jpg"), "not a picture at all"),
                             writeFile(QStringLiteral("huge.jpg"), huge),
                             testsupport::makeTempDir() + QStringLiteral("/missing.png")};
    app->mainMenuController()->newAnimation(nullptr);
    NAC* chooser = app->newAnimationController();
    chooser->showPage(10, false);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        chooser->imagePickerController(nullptr, file);
        EXPECT_TRUE(alertUp(QStringLiteral("This picture cannot be used")));
        EXPECT_EQ(app->mainMenuController()->modalViewController(), chooser);
        EXPECT_EQ(chooser->modalViewController(), nullptr);
        EXPECT_EQ(chooser->pageControl()->currentPage(), 10);
        EXPECT_FALSE(game()->isViewLoaded());
        answer(QStringLiteral("This picture cannot be used"), QStringLiteral("OK"));
    }
}
