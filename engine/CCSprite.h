#pragma once

#include "engine/CCAction.h"
#include "engine/CCNode.h"
#include "engine/CCTexture2D.h"
#include "engine/Renderer.h"

#include <QImage>
#include <QString>

// A picture in the scene, placed by its centre.
class CCSprite : public CCNode, public CCRGBAProtocol {
public:
    CCSprite();

    static std::shared_ptr<CCSprite> sprite();
    // None when the picture cannot be loaded; an empty name is a contract failure.
    static std::shared_ptr<CCSprite> spriteWithFile(const QString& fileName);
    static std::shared_ptr<CCSprite> spriteWithTexture(const CCTexture2DPtr& texture);
    static std::shared_ptr<CCSprite> spriteWithCGImage(const QImage& image);

    // Two-phase construction, so subclasses build on the same steps.
    virtual bool init();
    virtual bool initWithFile(const QString& fileName);
    virtual bool initWithTexture(const CCTexture2DPtr& texture);
    virtual bool initWithCGImage(const QImage& image);

    // The picture file this sprite was made from, with "-hd" removed on a high-resolution
    // screen; null for a sprite without one.
    const QString& textureName() const { return textureName_; }
    const CCTexture2DPtr& texture() const { return texture_; }
    virtual void setTexture(const CCTexture2DPtr& texture);
    // The whole picture: the texture rectangle is always the picture's own size.
    Rect textureRect() const { return Rect(Point(0, 0), contentSize_); }
    void setTextureRect(const Rect& r);

    uint8_t opacity() const override { return opacity_; }
    void setOpacity(uint8_t o) override;
    // The colour as set; `displayedColor` is what is drawn (times opacity when
    // opacityModifyRGB is on).
    ccColor3B color() const override { return colorUnmodified_; }
    void setColor(ccColor3B c) override;
    ccColor3B displayedColor() const { return color_; }
    bool doesOpacityModifyRGB() const { return opacityModifyRGB_; }
    void setOpacityModifyRGB(bool v);
    bool flipX() const { return flipX_; }
    void setFlipX(bool v) { flipX_ = v; }
    bool flipY() const { return flipY_; }
    void setFlipY(bool v) { flipY_ = v; }

    // Hit test in the coordinates of the parent (or of the parent's parent when the parent is a
    // layer): the unrotated, unscaled picture rectangle around `position`.
    virtual bool containsPoint(Point p) const;
    // The rectangle `containsPoint` tests (origin shifted by a layer parent's position).
    Rect hitRect() const;

    void draw(Renderer& r) override;
    // Whether the picture as last drawn under a rotation or scale is kept, and letting it go.
    // Off the screen it goes: playing or exporting a long animation draws every sprite of it.
    bool keepsResampledPicture() const { return drawCache_ != nullptr; }
    void releaseResampledPicture() { drawCache_.reset(); }
    void onExit() override;

protected:
    void updateColor();

    CCTexture2DPtr texture_;
    QString textureName_;
    uint8_t opacity_ = 255;
    ccColor3B color_ = ccWHITE;
    ccColor3B colorUnmodified_ = ccWHITE;
    bool opacityModifyRGB_ = true;
    bool flipX_ = false;
    bool flipY_ = false;
    std::unique_ptr<TransformedPictureCache> drawCache_;
};

class Sprite : public CCSprite {
public:
    static std::shared_ptr<Sprite> sprite();
    static std::shared_ptr<Sprite> spriteWithFile(const QString& fileName);
    static std::shared_ptr<Sprite> spriteWithCGImage(const QImage& image);
};
