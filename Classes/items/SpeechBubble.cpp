#include "items/SpeechBubble.h"

#include "items/SerializableSprite.h"

namespace {
const QString kFont = QStringLiteral("Helvetica");
constexpr float kFontSize = 16;
// The text height that sits centred in the bubble.
constexpr float kCentredTextHeight = 60;
} // namespace

SpeechBubble::~SpeechBubble() {
    if (label_)
        removeChild(label_.get(), true);
}

std::shared_ptr<SpeechBubble> SpeechBubble::spriteWithFile(const QString& fileName) {
    return ccCreate<SpeechBubble>([&](SpeechBubble& s) { return s.initWithFile(fileName); });
}

Size SpeechBubble::labelDimensions() const {
    const Size size = contentSize();
    return Size(float(0.95 * double(size.width)), float(0.95 * double(size.height)));
}

bool SpeechBubble::initWithFile(const QString& fileName) {
    if (!BoundingSprite::initWithFile(fileName))
        return false;
    const Size size = contentSize();
    auto label = Label::labelWithString(QString(), labelDimensions(), CCTextAlignmentCenter, kFont,
                                        kFontSize);
    if (!label)
        return false;
    label->setColor(ccColor3B{0, 0, 0});
    label->setPosition(Point(0.5f * size.width, 0.5f * size.height));
    label->setScale(0.8f);
    text_ = QStringLiteral("");
    if (label_)
        removeChild(label_.get(), true);
    label_ = std::move(label);
    addChild(label_);
    return true;
}

void SpeechBubble::setText(const QString& text) {
    // Stored as an empty string, never a null one.
    text_ = text.isNull() ? QStringLiteral("") : text;
    if (!label_)
        return;
    const Size size = contentSize();
    const Size measured = ccSizeWithFont(text, kFont, kFontSize, labelDimensions());
    label_->setPosition(
        Point(0.5f * size.width, 0.5f * size.height - (kCentredTextHeight - measured.height) / 2));
    label_->setString(text);
}

std::shared_ptr<CCSprite> SpeechBubble::copyWithZone() const {
    // Not the bounded copy: a bubble's collision flag is the fresh one.
    auto copy = LockingSprite::copyWithZone();
    if (auto* bubble = dynamic_cast<SpeechBubble*>(copy.get()))
        bubble->setText(text_);
    return copy;
}

QVariantMap SpeechBubble::serialize() const {
    QVariantMap d = BoundingSprite::serialize();
    d.insert(QStringLiteral("bubbleText"), text_);
    return d;
}

QString SpeechBubble::className() const {
    return QStringLiteral("SpeechBubble");
}

std::shared_ptr<SpeechBubble> SpeechBubble::unserialize(const QVariantMap& d) {
    auto bubble = genericUnserialize<SpeechBubble>(d);
    if (bubble)
        bubble->setText(dictvalues::dictString(d, QStringLiteral("bubbleText")));
    return bubble;
}

std::shared_ptr<LockingSprite> SpeechBubble::newInstance() const {
    return std::make_shared<SpeechBubble>();
}
