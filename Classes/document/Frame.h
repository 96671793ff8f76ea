#pragma once

#include "engine/CCSprite.h"

#include <QImage>

#include <memory>
#include <vector>

class CCNode;
class SoundEffect;

// The background codes frames and the editor share: 2 to 10 the built-in pictures, 999999 the
// user's own picture, anything else no picture.
inline constexpr int kCustomBackground = 999999;

// The picture file of a built-in background code, or an empty string.
QString backgroundFileForCode(int code);

// One frame of an animation: its items in drawing order, the sounds that play when it is shown
// and its background.
class Frame {
public:
    Frame() = default;
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    const std::vector<std::shared_ptr<CCSprite>>& sprites() const { return sprites_; }
    // Appends the item unless the frame already holds it.
    void addSprite(const std::shared_ptr<CCSprite>& item);
    void removeSprite(const CCSprite* item);
    // Puts the item at a position of the list (clamped), unless the frame already holds it.
    void insertSprite(int index, const std::shared_ptr<CCSprite>& item);
    // -1 when the frame does not hold the item.
    int indexOfSprite(const CCSprite* item) const;
    void removeAllSprites();
    bool containsSprite(const CCSprite* item) const;

    // Sounds are the catalogue's own effects, each at most once.
    const std::vector<std::shared_ptr<SoundEffect>>& sounds() const { return sounds_; }
    void addSound(const std::shared_ptr<SoundEffect>& sound);
    void removeSound(const SoundEffect* sound);
    void removeAllSounds();
    void setSounds(std::vector<std::shared_ptr<SoundEffect>> sounds) {
        sounds_ = std::move(sounds);
        markChanged();
    }
    bool containsSound(const SoundEffect* sound) const;
    // Starts every sound of the frame, in list order, without waiting.
    void playSounds() const;

    int background() const { return background_; }
    // Unless the code is the custom one, the frame's own picture goes.
    void setBackground(int code);
    const QImage& backgroundImage() const { return backgroundImage_; }
    bool hasBackgroundImage() const { return !backgroundImage_.isNull(); }
    void setBackgroundImage(const QImage& image);

    // Names the frame as it is now: a new frame and every change of what a save stores (its
    // lists and background here, its items' state by the commands that change them) take a
    // number never used before, so an equal stamp means the same frame, unchanged. Saves use it
    // to write only the packs whose frames changed.
    quint64 stamp() const { return stamp_; }
    void markChanged() { stamp_ = nextStamp(); }

    // Unlinks the joints of every figure of the frame, before the frame is discarded.
    void breakFigureConnections();

    // Puts every item on the layer in list order, each first taken from its previous parent and
    // added with its own z-order and tag.
    void addSpritesToLayer(CCNode* layer) const;

private:
    static quint64 nextStamp();

    std::vector<std::shared_ptr<CCSprite>> sprites_;
    std::vector<std::shared_ptr<SoundEffect>> sounds_;
    int background_ = 0;
    QImage backgroundImage_;
    quint64 stamp_ = nextStamp();
};
