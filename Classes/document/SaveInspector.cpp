#include "document/SaveInspector.h"

#include "document/Frame.h"
#include "document/SaveFormat.h"
#include "items/SerializableSprite.h"
#include "sounds/SoundEffect.h"
#include "sounds/SoundManager.h"

#include <QCryptographicHash>
#include <QJsonArray>

#include <cmath>

using namespace saveformat;

namespace {

QJsonValue number(const QVariant& v) {
    bool ok = false;
    const double d = v.toDouble(&ok);
    return ok && std::isfinite(d) ? QJsonValue(d) : QJsonValue(QJsonValue::Null);
}

QJsonObject point(const QVariant& x, const QVariant& y) {
    return QJsonObject{{QStringLiteral("x"), number(x)}, {QStringLiteral("y"), number(y)}};
}

QJsonArray soundsToJson(const std::vector<std::shared_ptr<SoundEffect>>& sounds) {
    const SoundManager& catalogue = SoundManager::sharedSoundMgr();
    QJsonArray out;
    for (const auto& s : sounds) {
        if (s)
            out.append(QJsonObject{{QStringLiteral("file"), s->fileName()},
                                   {QStringLiteral("index"), catalogue.indexOfSound(s.get())}});
    }
    return out;
}

QJsonArray itemsToJson(const std::vector<std::shared_ptr<CCSprite>>& items) {
    QJsonArray out;
    for (const auto& item : items) {
        if (item)
            out.append(itemToJson(*item));
    }
    return out;
}

} // namespace

QJsonValue pictureToJson(const QImage& image) {
    if (image.isNull())
        return QJsonValue(QJsonValue::Null);
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int y = 0; y < pixels.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(pixels.constScanLine(y)),
                                    qsizetype(pixels.width()) * 4));
    return QJsonObject{{QStringLiteral("width"), image.width()},
                       {QStringLiteral("height"), image.height()},
                       {QStringLiteral("digest"), QString::fromLatin1(hash.result().toHex())}};
}

QJsonObject itemToJson(const CCSprite& item) {
    QVariantMap d = serialize(item);
    auto take = [&d](const QString& key) {
        return d.take(key);
    };

    QJsonObject out;
    out.insert(QStringLiteral("class"), take(kClassName).toString());
    const QVariant picture = take(kTextureName);
    out.insert(QStringLiteral("picture"),
               picture.isValid() ? QJsonValue(picture.toString()) : QJsonValue(QJsonValue::Null));
    out.insert(QStringLiteral("position"), point(take(kPositionX), take(kPositionY)));
    out.insert(QStringLiteral("scale"), number(take(kScale)));
    out.insert(QStringLiteral("rotation"), number(take(kRotation)));

    if (d.contains(kColorRed))
        out.insert(QStringLiteral("color"),
                   QJsonObject{{QStringLiteral("red"), number(take(kColorRed))},
                               {QStringLiteral("green"), number(take(kColorGreen))},
                               {QStringLiteral("blue"), number(take(kColorBlue))}});
    if (d.contains(kWeaponOrientation))
        out.insert(QStringLiteral("orientation"), number(take(kWeaponOrientation)));
    if (d.contains(kBubbleText))
        out.insert(QStringLiteral("text"), take(kBubbleText).toString());

    QJsonObject joints;
    for (auto it = d.begin(); it != d.end();) {
        // "<limb>.tail.x" and its three companions.
        const QStringList parts = it.key().split(QLatin1Char('.'));
        if (parts.size() == 3 &&
            (parts[1] == QLatin1String("tail") || parts[1] == QLatin1String("head"))) {
            QJsonObject limb = joints.value(parts[0]).toObject();
            QJsonObject end = limb.value(parts[1]).toObject();
            end.insert(parts[2], number(it.value()));
            limb.insert(parts[1], end);
            joints.insert(parts[0], limb);
            it = d.erase(it);
        } else {
            ++it;
        }
    }
    if (!joints.isEmpty())
        out.insert(QStringLiteral("joints"), joints);
    if (!d.isEmpty())
        out.insert(QStringLiteral("other"), QJsonObject::fromVariantMap(d));
    return out;
}

QJsonObject saveToJson(const SaveReader::Result& r) {
    QJsonArray frames;
    for (const SaveReader::LoadedFrame& f : r.frames) {
        QJsonObject frame{{QStringLiteral("background"), f.background},
                          {QStringLiteral("backgroundImageFile"), f.backgroundImageFile},
                          {QStringLiteral("backgroundImage"), pictureToJson(f.backgroundImage)},
                          {QStringLiteral("items"), itemsToJson(f.items)},
                          {QStringLiteral("sounds"), soundsToJson(f.sounds)}};
        frames.append(frame);
    }
    QJsonObject out;
    out.insert(kVersionFormatKey, r.versionFormat);
    out.insert(kBackground, r.background);
    if (!r.saveName.isNull())
        out.insert(kSaveName, r.saveName);
    out.insert(kAnimationSpeed,
               r.hasAnimationSpeed ? number(r.animationSpeed) : QJsonValue(QJsonValue::Null));
    out.insert(kTotalPacks, r.totalPacks);
    out.insert(QStringLiteral("animationPicture"), pictureToJson(r.animationPicture));
    out.insert(QStringLiteral("frameCount"), int(r.frames.size()));
    out.insert(QStringLiteral("frames"), frames);
    out.insert(QStringLiteral("notRead"),
               QJsonObject{{QStringLiteral("packs"), r.unreadablePacks},
                           {QStringLiteral("frames"), r.skippedFrames},
                           {QStringLiteral("items"), r.skippedItems},
                           {QStringLiteral("sounds"), r.skippedSounds},
                           {QStringLiteral("pictures"), r.unreadablePictures}});
    return out;
}

QJsonObject snapshotToJson(const SaveSnapshot& s) {
    QJsonArray frames;
    for (const SaveSnapshot::FrameEntry& f : s.frames) {
        const bool custom = f.background == kCustomBackground;
        frames.append(
            QJsonObject{{QStringLiteral("background"), f.background},
                        {QStringLiteral("backgroundImage"),
                         custom ? pictureToJson(f.backgroundImage) : QJsonValue(QJsonValue::Null)},
                        {QStringLiteral("items"), itemsToJson(f.items)},
                        {QStringLiteral("sounds"), soundsToJson(f.sounds)}});
    }
    return QJsonObject{{QStringLiteral("background"), s.background},
                       {QStringLiteral("animationSpeed"), number(s.animationSpeed)},
                       {QStringLiteral("frames"), frames}};
}
