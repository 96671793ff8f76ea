#include "document/Frame.h"

#include "items/Hmn.h"
#include "sounds/SoundEffect.h"

#include <algorithm>
#include <atomic>

QString backgroundFileForCode(int code) {
    switch (code) {
    case 2:
        return QStringLiteral("background-castle.jpeg");
    case 3:
        return QStringLiteral("background-western.jpeg");
    case 4:
        return QStringLiteral("background-street.jpeg");
    case 5:
        return QStringLiteral("background-warehouse.jpeg");
    case 6:
        return QStringLiteral("background-roof.jpg");
    case 7:
        return QStringLiteral("background-concert.jpg");
    case 8:
        return QStringLiteral("background-dojo.jpg");
    case 9:
        return QStringLiteral("background-battlefield.jpg");
    case 10:
        return QStringLiteral("background-graveyard.png");
    default:
        return QString();
    }
}

void Frame::addSprite(const std::shared_ptr<CCSprite>& item) {
    if (item && !containsSprite(item.get())) {
        sprites_.push_back(item);
        markChanged();
    }
}

void Frame::removeSprite(const CCSprite* item) {
    if (std::erase_if(sprites_, [item](const auto& s) { return s.get() == item; }))
        markChanged();
}

void Frame::insertSprite(int index, const std::shared_ptr<CCSprite>& item) {
    if (!item || containsSprite(item.get()))
        return;
    index = std::clamp(index, 0, int(sprites_.size()));
    sprites_.insert(sprites_.begin() + index, item);
    markChanged();
}

int Frame::indexOfSprite(const CCSprite* item) const {
    for (size_t i = 0; i < sprites_.size(); ++i)
        if (sprites_[i].get() == item)
            return int(i);
    return -1;
}

void Frame::removeAllSprites() {
    sprites_.clear();
    markChanged();
}

bool Frame::containsSprite(const CCSprite* item) const {
    return std::any_of(sprites_.begin(), sprites_.end(),
                       [item](const auto& s) { return s.get() == item; });
}

void Frame::addSound(const std::shared_ptr<SoundEffect>& sound) {
    if (sound && !containsSound(sound.get())) {
        sounds_.push_back(sound);
        markChanged();
    }
}

void Frame::removeSound(const SoundEffect* sound) {
    if (std::erase_if(sounds_, [sound](const auto& s) { return s.get() == sound; }))
        markChanged();
}

void Frame::removeAllSounds() {
    sounds_.clear();
    markChanged();
}

bool Frame::containsSound(const SoundEffect* sound) const {
    return std::any_of(sounds_.begin(), sounds_.end(),
                       [sound](const auto& s) { return s.get() == sound; });
}

void Frame::playSounds() const {
    for (const auto& s : sounds_)
        s->play();
}

void Frame::setBackground(int code) {
    background_ = code;
    if (code != kCustomBackground)
        backgroundImage_ = QImage();
    markChanged();
}

void Frame::setBackgroundImage(const QImage& image) {
    backgroundImage_ = image;
    markChanged();
}

quint64 Frame::nextStamp() {
    static std::atomic<quint64> last{0};
    return ++last;
}

void Frame::addSpritesToLayer(CCNode* layer) const {
    for (const auto& s : sprites_) {
        if (CCNode* p = s->parent())
            p->removeChild(s.get(), false);
        layer->add(s);
    }
}

void Frame::breakFigureConnections() {
    for (const auto& s : sprites_)
        if (auto* figure = dynamic_cast<Hmn*>(s.get())) {
            if (figure->body())
                figure->body()->setDelegate(nullptr);
            figure->breakConnections();
        }
}
