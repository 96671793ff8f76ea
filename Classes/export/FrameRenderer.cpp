#include "export/FrameRenderer.h"

#include "base/Screen.h"
#include "document/Frame.h"
#include "engine/CCLabelTTF.h"
#include "engine/CCSprite.h"
#include "engine/Renderer.h"
#include "items/Hmn.h"
#include "items/JointedSprite.h"
#include "items/SpeechBubble.h"

#include <QPainter>

#include <vector>

namespace {

// An item as playback shows it, for as long as this lives; then as it was.
class AsPlayed {
public:
    explicit AsPlayed(CCNode& item) {
        noteUnresampled(item);
        hold(item);
        if (dynamic_cast<Hmn*>(&item))
            for (const auto& limb : item.children()) {
                hold(*limb);
                if (auto* jointed = dynamic_cast<JointedSprite*>(limb.get())) {
                    joints_.push_back({jointed, jointed->showJoints()});
                    jointed->setShowJoints(false);
                }
            }
        if (dynamic_cast<SpeechBubble*>(&item) && !item.children().empty()) {
            label_ = item.children().front().get();
            labelVisible_ = label_->visible();
            label_->setVisible(true);
            if (auto* text = dynamic_cast<CCLabelTTF*>(label_))
                if (!text->hasPicture())
                    madePicture_ = text;
        }
    }
    ~AsPlayed() {
        for (const auto& [node, opacity] : opacities_)
            node->setOpacity(opacity);
        for (const auto& [limb, show] : joints_)
            limb->setShowJoints(show);
        if (label_)
            label_->setVisible(labelVisible_);
        // Pictures made only for this rendering go with it, or exporting a long animation
        // would keep some for every item of it.
        if (madePicture_)
            madePicture_->releasePicture();
        for (CCSprite* sprite : resampled_)
            sprite->releaseResampledPicture();
    }
    AsPlayed(const AsPlayed&) = delete;
    AsPlayed& operator=(const AsPlayed&) = delete;

private:
    void noteUnresampled(CCNode& node) {
        if (auto* sprite = dynamic_cast<CCSprite*>(&node);
            sprite && !sprite->keepsResampledPicture())
            resampled_.push_back(sprite);
        for (const auto& child : node.children())
            noteUnresampled(*child);
    }
    void hold(CCNode& node) {
        if (auto* rgba = dynamic_cast<CCRGBAProtocol*>(&node)) {
            opacities_.push_back({rgba, rgba->opacity()});
            if (rgba->opacity() != 255)
                rgba->setOpacity(255);
        }
    }

    std::vector<std::pair<CCRGBAProtocol*, uint8_t>> opacities_;
    std::vector<std::pair<JointedSprite*, bool>> joints_;
    CCNode* label_ = nullptr;
    bool labelVisible_ = true;
    CCLabelTTF* madePicture_ = nullptr;
    std::vector<CCSprite*> resampled_;
};

} // namespace

FrameRenderer::FrameRenderer(QSize pixels) : pixels_(pixels) {}

FrameRenderer::~FrameRenderer() = default;

void FrameRenderer::setBackground(const Frame& frame) {
    // As playback applies it: the frame's own picture for the custom code, else the built-in
    // picture of the code; nothing for any other code, or a picture that cannot be had.
    const int code = frame.background();
    const qint64 key = code == kCustomBackground ? frame.backgroundImage().cacheKey() : 0;
    if (code == backgroundCode_ && key == backgroundPictureKey_)
        return;
    backgroundCode_ = code;
    backgroundPictureKey_ = key;
    background_.reset();
    if (code == kCustomBackground) {
        if (frame.backgroundImage().isNull())
            return;
        background_ = Sprite::spriteWithCGImage(frame.backgroundImage());
        if (background_)
            background_->setOpacityModifyRGB(false);
    } else {
        const QString file = backgroundFileForCode(code);
        if (!file.isEmpty())
            background_ = Sprite::spriteWithFile(file);
    }
    if (background_)
        background_->setPosition(Point(kScreenWidth / 2.0f, kScreenHeight / 2.0f));
}

QImage FrameRenderer::render(const Frame& frame) {
    setBackground(frame);
    QImage image(pixels_, QImage::Format_ARGB32_Premultiplied);
    // The background layer beneath everything is white.
    image.fill(Qt::white);
    QPainter painter(&image);
    Renderer r(painter, Size(kScreenWidth, kScreenHeight), qreal(pixels_.width()) / kScreenWidth);
    if (background_)
        background_->visit(r);
    for (const auto& item : frame.sprites()) {
        AsPlayed asPlayed(*item);
        item->visit(r);
    }
    painter.end();
    return image;
}
