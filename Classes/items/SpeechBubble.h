#pragma once

#include "engine/CCLabelTTF.h"
#include "items/BoundingSprite.h"

// A speech bubble: a prop with a text label inside. The label is always the bubble's first
// child; shorter texts sit lower in the bubble, a 60-point tall text is centred.
class SpeechBubble : public BoundingSprite {
public:
    ~SpeechBubble() override;

    // Null when the picture cannot be loaded.
    static std::shared_ptr<SpeechBubble> spriteWithFile(const QString& fileName);
    // The bubble picture with an empty black label of 0.95 × its size, "Helvetica" 16,
    // centred, at scale 0.8.
    bool initWithFile(const QString& fileName) override;

    const QString& text() const { return text_; }
    // Measures the text as the label wraps it and places the label by the measured height.
    void setText(const QString& text);
    // The text's label; null for a bubble made without a picture.
    Label* label() const { return label_.get(); }

    // A new bubble from the same picture with the same text; it collides with bullets.
    std::shared_ptr<CCSprite> copyWithZone() const override;
    // The item dictionary plus "bubbleText".
    QVariantMap serialize() const override;
    QString className() const override;
    static std::shared_ptr<SpeechBubble> unserialize(const QVariantMap& d);

protected:
    std::shared_ptr<LockingSprite> newInstance() const override;

private:
    Size labelDimensions() const;

    std::shared_ptr<Label> label_;
    QString text_;
};
