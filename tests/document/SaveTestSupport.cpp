#include "SaveTestSupport.h"

#include "TestSupport.h"
#include "document/SaveInspector.h"
#include "items/AK47.h"
#include "items/BoundingSprite.h"
#include "items/Bullet.h"
#include "items/Cannon.h"
#include "items/Car.h"
#include "items/Colt.h"
#include "items/Grenade.h"
#include "items/Gun.h"
#include "items/Hmn.h"
#include "items/Joint.h"
#include "items/Knife.h"
#include "items/LazerGun.h"
#include "items/M16.h"
#include "items/Machinegun.h"
#include "items/PaintBallGun.h"
#include "items/Pistol.h"
#include "items/Rifle.h"
#include "items/RocketLauncher.h"
#include "items/Shuriken.h"
#include "items/SpeechBubble.h"
#include "items/Tank.h"
#include "items/Tree.h"
#include "sounds/SoundManager.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>

namespace savetest {

namespace {

template <class T>
std::shared_ptr<CCSprite> placed(std::shared_ptr<T> item, float x, float y, float scale,
                                 float rotation) {
    EXPECT_TRUE(item) << "an item picture is missing from the resources";
    if (!item)
        return nullptr;
    item->setPosition(Point(x, y));
    item->setScale(scale);
    item->setRotation(rotation);
    return item;
}

} // namespace

std::shared_ptr<Hmn> figure(int seed) {
    auto f = Hmn::node();
    EXPECT_TRUE(f) << "the figure pictures are missing from the resources";
    if (!f)
        return nullptr;
    f->setScale(0.3f + 0.01f * float(seed % 7));
    f->setPosition(Point(100.0f + float(seed % 50), 120.0f + 0.5f * float(seed % 11)));
    f->setRotation(float(seed % 5));
    f->setColorWithRed(uint8_t(seed * 37), uint8_t(seed * 11 + 5), uint8_t(255 - seed % 200));
    // Pose it as a user would: drag both hands.
    Joint* leftHand = f->leftForearm()->headJoint();
    Joint* rightHand = f->rightForearm()->headJoint();
    leftHand->moveTo(leftHand->position() + Point(-6.0f - float(seed % 4), 9.0f), true);
    rightHand->moveTo(rightHand->position() + Point(7.0f, -5.0f + float(seed % 3)), true);
    return f;
}

std::vector<std::shared_ptr<CCSprite>> everyKind() {
    std::vector<std::shared_ptr<CCSprite>> items;
    items.push_back(figure(3));
    items.push_back(placed(Knife::knifeWithOrientation(2), 10, 20, 0.5f, 30));
    items.push_back(placed(Gun::gunWithOrientation(1), 11, 21, 0.6f, 31));
    items.push_back(placed(Grenade::grenadeWithOrientation(2), 12, 22, 0.7f, 32));
    items.push_back(placed(Rifle::rifleWithOrientation(1), 13, 23, 0.8f, 33));
    items.push_back(placed(LazerGun::lazerGunWithOrientation(2), 14, 24, 0.9f, 34));
    items.push_back(placed(Cannon::cannonWithOrientation(1), 15, 25, 1.1f, 35));
    items.push_back(placed(Machinegun::machinegunWithOrientation(2), 16, 26, 1.2f, 36));
    items.push_back(placed(RocketLauncher::rocketLauncherWithOrientation(1), 17, 27, 1.3f, 37));
    items.push_back(placed(Tank::tankWithOrientation(2), 18, 28, 0.45f, -38));
    items.push_back(placed(M16::m16WithOrientation(1), 19, 29, 0.55f, -39));
    items.push_back(placed(AK47::ak47WithOrientation(2), 20, 30, 0.65f, -40));
    items.push_back(placed(PaintBallGun::paintBallGunWithOrientation(1), 21, 31, 0.75f, -41));
    items.push_back(placed(Pistol::pistolWithOrientation(2), 22, 32, 0.85f, -42));
    items.push_back(placed(Colt::coltWithOrientation(1), 23, 33, 0.95f, -43));
    items.push_back(placed(Shuriken::shurikenWithOrientation(2), 24, 34, 1.05f, -44));
    items.push_back(placed(Bullet::spriteWithFile(QStringLiteral("bullet.png")), 25, 35, 2, 45));
    items.push_back(
        placed(BoundingSprite::spriteWithFile(QStringLiteral("box.png")), 26.25f, 36.5f, 0.1f, 46));
    items.push_back(placed(Tree::tree(), 27, 37, 0.4f, 47));
    items.push_back(placed(Car::car(), 28, 38, 0.35f, 48));
    auto bubble = SpeechBubble::spriteWithFile(QStringLiteral("speech-bubble.png"));
    if (bubble)
        bubble->setText(QStringLiteral("Hände hoch! <&> \"quoted\""));
    items.push_back(placed(bubble, 29, 39, 0.9f, 0));
    items.push_back(placed(Sprite::spriteWithFile(QStringLiteral("blood.png")), 30, 40, 1, 50));
    return items;
}

QImage picture(int width, int height, int seed) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb((x * 7 + seed * 31) % 256, (y * 5 + seed * 17) % 256,
                                (x + y + seed * 53) % 256));
    return image;
}

std::shared_ptr<SoundEffect> sound(int index) {
    return SoundManager::sharedSoundMgr().sounds().at(size_t(index));
}

SaveSnapshot animation(int frames) {
    SaveSnapshot s;
    s.background = 4;
    s.animationSpeed = 1.25;
    for (int i = 0; i < frames; ++i) {
        SaveSnapshot::FrameEntry f;
        f.background = 2 + i % 9;
        f.items.push_back(figure(i));
        f.items.push_back(placed(Knife::knifeWithOrientation(1 + i % 2), float(i), 50, 0.5f, 0));
        f.items.push_back(placed(BoundingSprite::spriteWithFile(QStringLiteral("box.png")), 300,
                                 float(i) / 4, 1, float(i)));
        if (i % 3 == 0)
            f.sounds.push_back(sound(i % 59));
        s.frames.push_back(std::move(f));
    }
    return s;
}

SaveSnapshot snapshotOf(const SaveReader::Result& r) {
    SaveSnapshot s;
    s.background = r.background;
    s.animationSpeed = r.animationSpeed;
    s.customBackgroundImage = r.animationPicture;
    if (s.customBackgroundImage.isNull() && !r.frames.empty())
        s.customBackgroundImage = r.frames.front().backgroundImage;
    for (const SaveReader::LoadedFrame& f : r.frames)
        s.frames.push_back({f.items, f.sounds, f.background, f.backgroundImage});
    return s;
}

QJsonObject comparable(const SaveReader::Result& r) {
    const QJsonObject all = saveToJson(r);
    QJsonArray frames;
    for (const QJsonValue& f : all.value(QStringLiteral("frames")).toArray()) {
        QJsonObject frame = f.toObject();
        frame.remove(QStringLiteral("backgroundImageFile"));
        frames.append(frame);
    }
    return QJsonObject{
        {QStringLiteral("background"), all.value(QStringLiteral("background"))},
        {QStringLiteral("animationSpeed"), all.value(QStringLiteral("animationSpeed"))},
        {QStringLiteral("frames"), frames}};
}

bool sameJson(const QJsonValue& a, const QJsonValue& b, QString* where) {
    auto differ = [&](const QString& path) {
        if (where)
            *where = QStringLiteral("%1: %2 vs %3")
                         .arg(path,
                              QString::fromUtf8(
                                  QJsonDocument(QJsonArray{a}).toJson(QJsonDocument::Compact)),
                              QString::fromUtf8(
                                  QJsonDocument(QJsonArray{b}).toJson(QJsonDocument::Compact)));
        return false;
    };
    if (a.type() != b.type())
        return differ(QStringLiteral("type"));
    if (a.isDouble()) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        const double scale = std::max({1.0, std::fabs(x), std::fabs(y)});
        return std::fabs(x - y) <= 1e-6 * scale || differ(QStringLiteral("number"));
    }
    if (a.isArray()) {
        const QJsonArray x = a.toArray();
        const QJsonArray y = b.toArray();
        if (x.size() != y.size())
            return differ(QStringLiteral("size"));
        for (qsizetype i = 0; i < x.size(); ++i) {
            if (!sameJson(x[i], y[i], where)) {
                if (where)
                    where->prepend(QStringLiteral("[%1]").arg(i));
                return false;
            }
        }
        return true;
    }
    if (a.isObject()) {
        const QJsonObject x = a.toObject();
        const QJsonObject y = b.toObject();
        if (x.keys() != y.keys())
            return differ(QStringLiteral("keys"));
        for (const QString& key : x.keys()) {
            if (!sameJson(x[key], y[key], where)) {
                if (where)
                    where->prepend(QStringLiteral(".") + key);
                return false;
            }
        }
        return true;
    }
    return a == b || differ(QStringLiteral("value"));
}

void copyFixture(const QString& name, const QString& folder) {
    const QDir from(testsupport::fixturePath(QStringLiteral("saves/") + name));
    ASSERT_TRUE(from.exists()) << qPrintable(from.path());
    for (const QString& file : from.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(from.filePath(file), QDir(folder).filePath(file)));
}

QStringList filesIn(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString sameFolders(const QString& a, const QString& b) {
    const QStringList names = filesIn(a);
    if (names != filesIn(b))
        return QStringLiteral("files [%1] and [%2]")
            .arg(names.join(QLatin1Char(' ')), filesIn(b).join(QLatin1Char(' ')));
    for (const QString& name : names) {
        const QString pa = QDir(a).filePath(name);
        const QString pb = QDir(b).filePath(name);
        if (fileBytes(pa) == fileBytes(pb))
            continue;
        // A picture loaded from a file and encoded again may come out in other bytes.
        if (name.endsWith(QLatin1String(".png")) &&
            QImage(pa).convertToFormat(QImage::Format_ARGB32) ==
                QImage(pb).convertToFormat(QImage::Format_ARGB32))
            continue;
        return QStringLiteral("%1 differs").arg(name);
    }
    return QString();
}

} // namespace savetest

void SaveTest::SetUp() {
    home_ = testsupport::makeTempDir();
    folder_ = home_ + QStringLiteral("/Documents");
    ASSERT_TRUE(QDir().mkpath(folder_));
}

bool SaveTest::save(int saveId, const SaveSnapshot& s, QString* error) {
    return SaveWriter(saveId, folder_).write(s, nullptr, error);
}

SaveReader::Result SaveTest::load(int saveId) {
    return SaveReader(saveId, folder_).read(nullptr);
}
