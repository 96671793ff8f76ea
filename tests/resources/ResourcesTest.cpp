// The resource folder holds every picture, sound and page the program asks for by name, and the
// pictures agree with the geometry the program derives from them.

#include "ArtFacts.h"
#include "SoundTitles.h"
#include "TestSupport.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStringList>

#include <cmath>

namespace {

QString resourcePath(const QString& name) {
    return QDir(qEnvironmentVariable("KELVORA_RESOURCES")).filePath(name);
}

bool exists(const QString& name) {
    return QFileInfo::exists(resourcePath(name));
}

QString hdName(const QString& name) {
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return name.left(dot) + QLatin1String("-hd") + name.mid(dot);
}

QImage load(const QString& name) {
    return QImage(resourcePath(name)).convertToFormat(QImage::Format_ARGB32);
}

// The pictures that fail to load or whose "-hd" variant is not exactly twice their size, each
// with the reason; empty when all is well.
QStringList pictureProblems(const QStringList& names) {
    QStringList problems;
    for (const QString& name : names) {
        const QImage normal(resourcePath(name));
        const QImage hd(resourcePath(hdName(name)));
        if (normal.isNull())
            problems << name + QLatin1String(" (missing or not a picture)");
        else if (hd.isNull())
            problems << hdName(name) + QLatin1String(" (missing or not a picture)");
        else if (hd.size() != normal.size() * 2)
            problems << QStringLiteral("%1 (%2×%3, -hd %4×%5)")
                            .arg(name)
                            .arg(normal.width())
                            .arg(normal.height())
                            .arg(hd.width())
                            .arg(hd.height());
    }
    return problems;
}

#define EXPECT_PICTURES_LOAD(names)                                                                \
    do {                                                                                           \
        const QStringList problems = pictureProblems(names);                                       \
        EXPECT_TRUE(problems.isEmpty()) << problems.join("\n").toStdString();                      \
    } while (false)

QStringList withSuffix(const QStringList& bases, const char* suffix) {
    QStringList names;
    for (const QString& base : bases)
        names << base + QLatin1String(suffix);
    return names;
}

const QStringList kObjects = {"box",           "tree",          "car",
                              "chair",         "door",          "mail",
                              "blood",         "expl",          "blood-pool",
                              "flash",         "flash-l",       "guitar",
                              "guitar-l",      "katana",        "katana-l",
                              "sportcar",      "helicopter",    "helicopter-l",
                              "bullet",        "sword",         "sword-l",
                              "shield",        "fire",          "fire-1",
                              "fire-2",        "speech-bubble", "speech-bubble-l",
                              "axe",           "axe-l",         "bat",
                              "coffin-closed", "coffin-open",   "dirt",
                              "paint-red",     "pain-blue",     "paint-green",
                              "paint-orange",  "paint-yellow",  "shovel",
                              "lock-unlocked", "speaker"};

const QStringList kWeaponPalette = {
    "knife-l",  "knife",    "gun-l",    "gun",    "rifle-l",    "rifle",    "lazergun-l",
    "lazergun", "grenade",  "cannon-l", "cannon", "pistol-l",   "pistol",   "colt-l",
    "colt",     "shuriken", "mgun-l",   "mgun",   "launcher-l", "launcher", "tank-l-btn",
    "tank-btn", "m16-l",    "m16",      "ak47-l", "ak47",       "pbgun-l",  "pbgun"};

const QStringList kBullets = {"bullet.png",        "bullet-l.png", "lazer-l.png",
                              "cannon-bullet.png", "mgbull.png",   "rocket.png",
                              "rocket-l.png",      "tankbomb.png", "tankbomb-l.png"};

const QStringList kBackgrounds = {
    "background-castle.jpeg",    "background-western.jpeg",    "background-street.jpeg",
    "background-warehouse.jpeg", "background-roof.jpg",        "background-concert.jpg",
    "background-dojo.jpg",       "background-battlefield.jpg", "background-graveyard.png"};

const QStringList kBackgroundPreviews = {
    "background-white-scroll.jpg",       "background-castle-scroll.jpeg",
    "background-western-scroll.jpeg",    "background-street-scroll.jpeg",
    "background-warehouse-scroll.jpeg",  "background-roof-scroll.jpg",
    "background-concert-scroll.jpg",     "background-dojo-scroll.jpg",
    "background-battlefield-scroll.jpg", "background-graveyard-scroll.png"};

// Stage controls, toolbar and panel buttons, list-row marks.
const QStringList kControls = {"rotate-control.png",
                               "basket.png",
                               "shooting-on.png",
                               "shooting-off.png",
                               "lock-locked-small.png",
                               "lock-unlocked-small.png",
                               "arr-up.png",
                               "arr-down.png",
                               "arr-left.png",
                               "arr-right.png",
                               "slide-up.png",
                               "slide-down.png",
                               "icon-snapshot.png",
                               "icon-prev.png",
                               "icon-next.png",
                               "icon-play.png",
                               "icon-pause.png",
                               "icon-speed.png",
                               "icon-delete-frame.png",
                               "icon-clear.png",
                               "icon-figure.png",
                               "icon-objects.png",
                               "icon-weapons.png",
                               "icon-basket.png",
                               "icon-background.png",
                               "icon-locks.png",
                               "icon-save.png",
                               "icon-close.png",
                               "icon-sounds.png",
                               "color-green.png",
                               "color-red.png",
                               "color-blue.png",
                               "color-yellow.png",
                               "color-purple.png",
                               "color-black.png",
                               "color-orange.png",
                               "color-pink.png",
                               "color-white.png"};

const QStringList& kSoundTitles = testsupport::kSoundTitles;

// ---- every named resource is there --------------------------------------------------------

TEST(ResourceNames, FigureAndWeaponPicturesLoad) {
    EXPECT_PICTURES_LOAD(QStringList({"head.png", "body.png", "arm.png", "hip.png", "joint.png"}));
    QStringList items = {"shuriken.png"};
    for (const auto& shot : artfacts::weaponShots()) {
        EXPECT_TRUE(shot.made) << shot.kind.toStdString() << " facing " << shot.orientation
                               << " cannot load its pictures";
        items << shot.picture;
    }
    EXPECT_PICTURES_LOAD(items);
    EXPECT_PICTURES_LOAD(kBullets);
    EXPECT_PICTURES_LOAD(withSuffix(kWeaponPalette, ".png"));
}

TEST(ResourceNames, ObjectPicturesAndTheirPaletteButtonsLoad) {
    // Entries 40 and 41 open screens; every other entry makes an item of its own picture.
    EXPECT_PICTURES_LOAD(withSuffix(kObjects.mid(0, 39), ".png"));
    QStringList palette;
    for (const QString& name : kObjects)
        palette << (exists(name + "-btn.png") ? name + "-btn.png" : name + ".png");
    EXPECT_PICTURES_LOAD(palette);
}

TEST(ResourceNames, BackgroundsAndChooserPreviewsLoad) {
    EXPECT_PICTURES_LOAD(kBackgrounds);
    EXPECT_PICTURES_LOAD(kBackgroundPreviews);
    // A background is shown at its own size, centred on the stage.
    for (const QString& name : kBackgrounds) {
        if (exists(name)) {
            EXPECT_EQ(QImage(resourcePath(name)).size(), QSize(480, 320)) << name.toStdString();
        }
    }
}

TEST(ResourceNames, ControlsAndButtonPicturesLoad) {
    EXPECT_PICTURES_LOAD(kControls);
}

TEST(ResourceNames, AboutPageIsThere) {
    QFile page(resourcePath("wAbout.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_GT(page.size(), 0);
}

TEST(ResourceNames, EverySoundOfTheCatalogueLoads) {
    ASSERT_EQ(kSoundTitles.size(), 59);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024), 0) << Mix_GetError();
    QStringList failures;
    for (const QString& title : kSoundTitles) {
        const QString file = title + ".aif";
        Mix_Chunk* chunk = Mix_LoadWAV(resourcePath(file).toUtf8().constData());
        if (!exists(file))
            failures << file + ": missing";
        else if (!chunk)
            failures << file + ": " + Mix_GetError();
        Mix_FreeChunk(chunk);
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
}

// Every picture of the folder, named or not, has an exact double.
TEST(ResourceNames, EveryPictureHasAnExactDoubleSizeVariant) {
    const QStringList files = QDir(qEnvironmentVariable("KELVORA_RESOURCES"))
                                  .entryList({"*.png", "*.jpg", "*.jpeg"}, QDir::Files);
    QStringList pictures;
    for (const QString& file : files)
        if (!QFileInfo(file).completeBaseName().endsWith("-hd"))
            pictures << file;
    EXPECT_FALSE(pictures.isEmpty());
    EXPECT_PICTURES_LOAD(pictures);
}

// ---- the pictures agree with the geometry built on them -----------------------------------

TEST(FigurePictures, LimbsAreLightSticksReachingBothJoints) {
    for (const char* name : {"head.png", "body.png", "arm.png", "hip.png"}) {
        const QImage limb = load(name);
        ASSERT_FALSE(limb.isNull()) << name;
        const int x = limb.width() / 2;
        // The joints sit a tenth of the height inside each end; the figure's colour multiplies
        // the picture, so the stick must be (near) white there.
        for (double at : {0.1, 0.5, 0.9}) {
            const QRgb p = limb.pixel(x, int(at * limb.height()));
            EXPECT_EQ(qAlpha(p), 255) << name << " at " << at;
            EXPECT_GE(std::min({qRed(p), qGreen(p), qBlue(p)}), 0xd8) << name << " at " << at;
        }
        EXPECT_EQ(qAlpha(limb.pixel(0, limb.height() - 1)), 0) << name;
    }
    // The handle keeps its own colours: a coloured ring around a white centre.
    const QImage joint = load("joint.png");
    ASSERT_FALSE(joint.isNull());
    const QColor centre = joint.pixelColor(joint.width() / 2, joint.height() / 2);
    const QColor ring = joint.pixelColor(joint.width() * 4 / 5, joint.height() / 2);
    EXPECT_GT(centre.lightness(), 230);
    EXPECT_GT(ring.hslSaturation(), 150);
}

TEST(FigurePictures, DefaultFigureFromThePaletteStandsAbout110PointsTall) {
    const auto pose = artfacts::defaultPose(0.3);
    ASSERT_TRUE(pose.has_value()) << "the figure's pictures do not load";
    double bottom = 1e9;
    for (const auto& limb : *pose)
        bottom = std::min({bottom, limb.head.y(), limb.tail.y()});
    // From the top of the head picture (a tenth of its height above the crown joint) to the
    // ends of the leg pictures below the feet.
    const double top = (*pose)[Hmn::Head].head.y() + 0.1 * (*pose)[Hmn::Head].height;
    bottom -= 0.1 * (*pose)[Hmn::LeftLeg].height;
    EXPECT_NEAR(top - bottom, 110, 8);
    // Standing: the head above the body, the feet below the hips.
    EXPECT_GT((*pose)[Hmn::Head].head.y(), (*pose)[Hmn::Body].head.y());
    EXPECT_LT((*pose)[Hmn::LeftLeg].tail.y(), (*pose)[Hmn::LeftHip].head.y());
    EXPECT_LT((*pose)[Hmn::RightLeg].tail.y(), (*pose)[Hmn::RightHip].head.y());
}

// A shot leaves each weapon where its picture draws the muzzle: there is metal within a few
// points of the firing point, nothing beyond it in the firing direction, and a gun's muzzle is
// its front: nothing lower down (grips, stocks, wheels) comes within 6 points of it.
TEST(WeaponPictures, ShotsLeaveFromTheDrawnMuzzle) {
    for (const auto& shot : artfacts::weaponShots()) {
        ASSERT_TRUE(shot.made) << shot.kind.toStdString();
        const QImage hd = load(hdName(shot.picture));
        ASSERT_FALSE(hd.isNull()) << shot.picture.toStdString();
        const QPointF fire = shot.firingPoint * 2;
        constexpr double near = 4.5 * 2, clear = 3.5 * 2, band = 4 * 2, below = 10 * 2;
        bool metalNear = false, beyond = false, lowerReachesFront = false;
        for (int y = 0; y < hd.height(); ++y) {
            for (int x = 0; x < hd.width(); ++x) {
                if (qAlpha(hd.pixel(x, y)) < 128)
                    continue;
                const QPointF c(x + 0.5, y + 0.5);
                const double outward = shot.orientation == 2 ? fire.x() - c.x() : c.x() - fire.x();
                metalNear |= std::hypot(c.x() - fire.x(), c.y() - fire.y()) <= near;
                beyond |= std::abs(c.y() - fire.y()) <= band && outward > clear;
                lowerReachesFront |= c.y() - fire.y() >= below && outward > -6 * 2;
            }
        }
        const auto where = QStringLiteral("%1 (firing point %2, %3)")
                               .arg(shot.picture)
                               .arg(fire.x() / 2, 0, 'f', 1)
                               .arg(fire.y() / 2, 0, 'f', 1)
                               .toStdString();
        EXPECT_TRUE(metalNear) << where << ": nothing drawn there";
        EXPECT_FALSE(beyond) << where << ": drawn beyond it";
        if (!shot.bullet.isEmpty()) { // thrown weapons have no front
            EXPECT_FALSE(lowerReachesFront) << where << ": a lower part reaches as far forward";
        }
    }
}

// The right-facing picture of each pair is the mirror image of the left-facing one.
TEST(WeaponPictures, FacingPairsAreMirrorImages) {
    for (const char* base :
         {"knife", "gun", "rifle", "lazergun", "cannon", "pistol", "colt", "mgun", "launcher",
          "tank", "tank-btn", "m16", "ak47", "pbgun", "bullet", "rocket", "tankbomb"}) {
        const QString left = QString(base) + ".png";
        const QString right = left == QLatin1String("tank-btn.png") ? QString("tank-l-btn.png")
                                                                    : QString(base) + "-l.png";
        const QImage a = load(hdName(left));
        const QImage b = load(hdName(right)).mirrored(true, false);
        ASSERT_EQ(a.size(), b.size()) << base;
        qint64 difference = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                difference += std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y)));
        EXPECT_LT(double(difference) / (a.width() * a.height()), 2.0) << base;
    }
}

TEST(WeaponPictures, PaletteButtonsFitTheStrip) {
    // The weapons strip is 60 points high; its buttons are the pictures at their own size.
    for (const QString& name : withSuffix(kWeaponPalette, ".png")) {
        const QImage image(resourcePath(name));
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        EXPECT_LE(image.height(), 56) << name.toStdString();
    }
}

TEST(ControlPictures, HaveTheSizesTheStageAssumes) {
    // The handle's drag zone is the inner 20 points of a 60-point ring.
    EXPECT_EQ(QImage(resourcePath("rotate-control.png")).size(), QSize(60, 60));
    // The joint is drawn at 0.6: a 12-point handle on the stage.
    EXPECT_EQ(QImage(resourcePath("joint.png")).size(), QSize(20, 20));
    // The basket shows at half size in the corner, centred 30 points in from the edges.
    const QSize basket = QImage(resourcePath("basket.png")).size();
    EXPECT_GE(basket.width(), 60);
    EXPECT_LE(basket.width(), 120);
}

// ---- the render tool ------------------------------------------------------------------------

struct ArtcRun {
    int exitCode;
    QString errors;
};

ArtcRun runArtc(const QString& outDir, const QStringList& sources) {
    QProcess artc;
    artc.start(QStringLiteral(KELVORA_ARTC), QStringList{"-o", outDir} + sources);
    artc.waitForFinished(60000);
    return {artc.exitStatus() == QProcess::NormalExit ? artc.exitCode() : -1,
            QString::fromLocal8Bit(artc.readAllStandardError())};
}

QString writeFile(const QString& dir, const QString& name, const QByteArray& content) {
    const QString path = QDir(dir).filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}

TEST(ArtRenderTool, RendersEachSourceAtOneAndTwoTimesInTheFormatItsNameAsks) {
    const QString src = testsupport::makeTempDir(), out = testsupport::makeTempDir();
    const QByteArray svg = R"(<svg xmlns="http://www.w3.org/2000/svg" width="7" height="5">
        <rect x="1" y="1" width="3" height="3" fill="#d23b30"/></svg>)";
    const ArtcRun run = runArtc(
        out, {writeFile(src, "probe.png.svg", svg), writeFile(src, "probe-photo.jpeg.svg", svg)});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    const QImage png(QDir(out).filePath("probe.png")), pngHd(QDir(out).filePath("probe-hd.png"));
    EXPECT_EQ(png.size(), QSize(7, 5));
    EXPECT_EQ(pngHd.size(), QSize(14, 10));
    EXPECT_TRUE(png.hasAlphaChannel());
    EXPECT_EQ(qAlpha(png.pixel(6, 4)), 0);
    EXPECT_EQ(png.pixelColor(2, 2), QColor("#d23b30"));

    QImage jpeg(QDir(out).filePath("probe-photo.jpeg"));
    EXPECT_EQ(jpeg.size(), QSize(7, 5));
    EXPECT_EQ(QImage(QDir(out).filePath("probe-photo-hd.jpeg")).size(), QSize(14, 10));
    EXPECT_FALSE(jpeg.hasAlphaChannel());
    EXPECT_GT(jpeg.pixelColor(6, 4).lightness(), 240); // transparent parts come out white
}

TEST(ArtRenderTool, FailsNamingEverySourceItCannotRenderExactly) {
    const QString src = testsupport::makeTempDir(), out = testsupport::makeTempDir();
    const QStringList sources = {
        writeFile(src, "garbled.png.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width="),
        writeFile(src, "fractional.png.svg",
                  R"(<svg xmlns="http://www.w3.org/2000/svg" width="10.5" height="4"/>)"),
        writeFile(src, "unnamed.svg",
                  R"(<svg xmlns="http://www.w3.org/2000/svg" width="4" height="4"/>)"),
        QDir(src).filePath("missing.png.svg")};
    const ArtcRun run = runArtc(out, sources);
    EXPECT_NE(run.exitCode, 0);
    for (const char* name :
         {"garbled.png.svg", "fractional.png.svg", "unnamed.svg", "missing.png.svg"})
        EXPECT_TRUE(run.errors.contains(name)) << name << " not named in:\n"
                                               << run.errors.toStdString();
    EXPECT_TRUE(QDir(out).entryList(QDir::Files).isEmpty());
}

} // namespace
