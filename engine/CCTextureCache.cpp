#include "engine/CCTextureCache.h"

#include "engine/CCDirector.h"

#include <QFileInfo>
#include <QImageReader>

CCTextureCache& CCTextureCache::sharedTextureCache() {
    static CCTextureCache cache;
    return cache;
}

QString CCTextureCache::hdName(const QString& fileName) {
    const int slash = int(fileName.lastIndexOf(QLatin1Char('/')));
    const int dot = int(fileName.lastIndexOf(QLatin1Char('.')));
    if (dot <= slash)
        return fileName + QStringLiteral("-hd");
    return fileName.left(dot) + QStringLiteral("-hd") + fileName.mid(dot);
}

QString CCTextureCache::removeHdSuffix(const QString& fileName) {
    const int slash = int(fileName.lastIndexOf(QLatin1Char('/')));
    const int at = int(fileName.indexOf(QStringLiteral("-hd"), slash + 1));
    if (at < 0)
        return fileName;
    QString out = fileName;
    out.remove(at, 3);
    return out;
}

namespace {
CCTextureCache::ResourceLocator resourceLocator = nullptr;
}

void CCTextureCache::setResourceLocator(ResourceLocator locator) {
    resourceLocator = locator;
}

QString CCTextureCache::fullPath(const QString& fileName) {
    if (QFileInfo(fileName).isAbsolute() || !resourceLocator)
        return fileName;
    return resourceLocator(fileName);
}

static QImage loadImage(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

CCTexture2DPtr CCTextureCache::addImage(const QString& fileName) {
    if (fileName.isEmpty())
        return nullptr;
    auto it = textures_.constFind(fileName);
    if (it != textures_.constEnd())
        return *it;

    const QString lastComponent = fileName.section(QLatin1Char('/'), -1);
    const bool highRes = CCDirector::sharedDirector().contentScaleFactor() >= 2;
    QImage image;
    float pointsPerPixel = 1;
    if (highRes) {
        const bool alreadyHd = lastComponent.contains(QStringLiteral("-hd"));
        image = loadImage(fullPath(alreadyHd ? fileName : hdName(fileName)));
        if (!image.isNull())
            pointsPerPixel = 0.5f;
    }
    if (image.isNull())
        image = loadImage(fullPath(fileName));
    if (image.isNull())
        return nullptr;
    auto tex = std::make_shared<CCTexture2D>(std::move(image), pointsPerPixel);
    textures_.insert(fileName, tex);
    return tex;
}

CCTexture2DPtr CCTextureCache::textureWithImage(const QImage& image) {
    if (image.isNull())
        return nullptr;
    return std::make_shared<CCTexture2D>(image, float(1.0 / image.devicePixelRatio()));
}

void CCTextureCache::removeAllTextures() {
    textures_.clear();
}
