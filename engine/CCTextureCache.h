#pragma once

#include "engine/CCTexture2D.h"

#include <QHash>
#include <QString>

// Loads each picture file once and hands out the cached texture afterwards. On a screen with
// content scale factor 2 the "-hd" variant of a file is preferred when it exists.
class CCTextureCache {
public:
    static CCTextureCache& sharedTextureCache();

    // The texture for a picture file (a name looked up in the resource folder, or an absolute
    // path); none when the file cannot be loaded.
    CCTexture2DPtr addImage(const QString& fileName);
    // A texture from an in-memory picture; its size in points is the picture's
    // device-independent size. Not cached.
    static CCTexture2DPtr textureWithImage(const QImage& image);
    void removeAllTextures();
    int count() const { return int(textures_.size()); }

    // File-name helpers for high-resolution pictures.
    static QString hdName(const QString& fileName);         // "a/gun.png" -> "a/gun-hd.png"
    static QString removeHdSuffix(const QString& fileName); // "a/gun-hd.png" -> "a/gun.png"
    static QString fullPath(const QString& fileName);
    // Where relative picture names are found: the program tells the cache at start-up (the
    // engine knows nothing of the folders it runs in). Without one, names are used as they are.
    using ResourceLocator = QString (*)(const QString& fileName);
    static void setResourceLocator(ResourceLocator locator);

private:
    QHash<QString, CCTexture2DPtr> textures_;
};
