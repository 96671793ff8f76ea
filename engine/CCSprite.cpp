#include "engine/CCSprite.h"

#include "base/Exception.h"
#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCTextureCache.h"
#include "engine/Renderer.h"

CCSprite::CCSprite() {
    setAnchorPoint(Point(0.5f, 0.5f));
}

std::shared_ptr<CCSprite> CCSprite::sprite() {
    return ccCreate<CCSprite>([](CCSprite& s) { return s.init(); });
}

std::shared_ptr<CCSprite> CCSprite::spriteWithFile(const QString& fileName) {
    return ccCreate<CCSprite>([&](CCSprite& s) { return s.initWithFile(fileName); });
}

std::shared_ptr<CCSprite> CCSprite::spriteWithTexture(const CCTexture2DPtr& texture) {
    return ccCreate<CCSprite>([&](CCSprite& s) { return s.initWithTexture(texture); });
}

std::shared_ptr<CCSprite> CCSprite::spriteWithCGImage(const QImage& image) {
    return ccCreate<CCSprite>([&](CCSprite& s) { return s.initWithCGImage(image); });
}

std::shared_ptr<Sprite> Sprite::sprite() {
    return ccCreate<Sprite>([](Sprite& s) { return s.init(); });
}

std::shared_ptr<Sprite> Sprite::spriteWithFile(const QString& fileName) {
    return ccCreate<Sprite>([&](Sprite& s) { return s.initWithFile(fileName); });
}

std::shared_ptr<Sprite> Sprite::spriteWithCGImage(const QImage& image) {
    return ccCreate<Sprite>([&](Sprite& s) { return s.initWithCGImage(image); });
}

bool CCSprite::init() {
    texture_.reset();
    setTextureRect(Rect());
    return true;
}

bool CCSprite::initWithFile(const QString& fileName) {
    ccAssert(!fileName.isEmpty(), "Invalid filename for sprite");
    CCTexture2DPtr tex = CCTextureCache::sharedTextureCache().addImage(fileName);
    if (!tex)
        return false;
    if (!initWithTexture(tex))
        return false;
    textureName_ = CCDirector::sharedDirector().contentScaleFactor() >= 2
                       ? CCTextureCache::removeHdSuffix(fileName)
                       : fileName;
    return true;
}

bool CCSprite::initWithTexture(const CCTexture2DPtr& texture) {
    ccAssert(texture != nullptr, "Invalid texture for sprite");
    texture_ = texture;
    setTextureRect(Rect(Point(0, 0), texture->contentSize()));
    return true;
}

bool CCSprite::initWithCGImage(const QImage& image) {
    return initWithTexture(CCTextureCache::textureWithImage(image));
}

void CCSprite::setTexture(const CCTexture2DPtr& texture) {
    texture_ = texture;
}

void CCSprite::setTextureRect(const Rect& r) {
    setContentSize(r.size);
}

void CCSprite::setOpacity(uint8_t o) {
    opacity_ = o;
    if (opacityModifyRGB_)
        setColor(colorUnmodified_);
}

void CCSprite::setColor(ccColor3B c) {
    colorUnmodified_ = c;
    color_ = c;
    updateColor();
}

void CCSprite::updateColor() {
    if (!opacityModifyRGB_)
        return;
    color_.r = uint8_t(colorUnmodified_.r * opacity_ / 255);
    color_.g = uint8_t(colorUnmodified_.g * opacity_ / 255);
    color_.b = uint8_t(colorUnmodified_.b * opacity_ / 255);
}

void CCSprite::setOpacityModifyRGB(bool v) {
    opacityModifyRGB_ = v;
    color_ = colorUnmodified_;
    updateColor();
}

Rect CCSprite::hitRect() const {
    const Size s = contentSize();
    const Point p = position();
    Rect r(p.x - s.width / 2, p.y - s.height / 2, s.width, s.height);
    if (parent_ && dynamic_cast<const CCLayer*>(parent_)) {
        r.origin.x += parent_->position().x;
        r.origin.y += parent_->position().y;
    }
    return r;
}

bool CCSprite::containsPoint(Point p) const {
    return hitRect().containsPoint(p);
}

void CCSprite::onExit() {
    CCNode::onExit();
    releaseResampledPicture();
}

void CCSprite::draw(Renderer& r) {
    if (!texture_)
        return;
    // The drawn colour is the set colour times opacity; the painter applies the opacity to
    // colour and alpha together, which matches source factor ONE over premultiplied pixels.
    r.drawTexture(*texture_, contentSize_, colorUnmodified_, opacity_, flipX_, flipY_, &drawCache_);
}
