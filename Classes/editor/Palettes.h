#pragma once

#include "base/Types.h"

#include <memory>

class CCNode;
class CCScrollView;
class CCSprite;
class ColorLayer;
class TapingSprite;

// What the palette entries ask of the editor that shows them.
class PaletteDelegate {
public:
    virtual ~PaletteDelegate() = default;
    // A new item for the current frame, already placed (the editor makes it an undoable add).
    virtual void addSprite(const std::shared_ptr<CCSprite>& item) = 0;
    // The "lock-unlocked" and "speaker" entries open their screens.
    virtual void showLocks() = 0;
    virtual void showSounds() = 0;
};

// The two sliding palettes along the top of the stage (objects and weapons, each a horizontal
// CCScrollView of tappable pictures) and the basket, the delete zone in the lower right corner.
// Built on the editor's scene after its stage layers: the basket holder first, then the
// weapons palette, then the objects palette, so each draws over the one before. Both palettes
// start parked just above the stage and the basket transparent.
//
// Touches reach a palette through the engine's dispatcher; an entry acts only on a tap whose
// touch began inside its palette. The stage asks shownPaletteContains to leave alone the touch
// sequences that begin on a shown palette.
class Palettes {
public:
    // The height of both strips: the tallest pictures (a 58-point fire, a 52-point tank) with a
    // few points to spare above and below.
    static constexpr float kStripHeight = 64;
    static constexpr float kSlideDuration = 0.15f;
    static constexpr float kBasketFadeDuration = 0.2f;
    static constexpr uint8_t kBasketShownOpacity = 150;

    // Adds the basket holder and the palettes to `scene`. The delegate must outlive this object.
    Palettes(CCNode& scene, PaletteDelegate& delegate);
    // Takes the basket and the palettes off the scene; their entries no longer act.
    ~Palettes();
    Palettes(const Palettes&) = delete;
    Palettes& operator=(const Palettes&) = delete;

    // What the entries do, by tag (1-based position in the catalogue's lists). Nothing for a tag
    // outside the list.
    void addObject(int tag);
    void addWeapon(int tag);
    // The toolbar's figure command: a new stick figure in the middle of the stage.
    void addPlayer();

    // Slides of 0.15 s; the flags change at once, and a new slide of a palette replaces the
    // one it is making. Showing one palette hides the other (passing `animated` on to that hide;
    // the slide itself always animates).
    void showObjects(bool animated);
    void hideObjects(bool animated);
    void showWeapons(bool animated);
    void hideWeapons(bool animated);
    void toggleObjects();
    void toggleWeapons();
    bool objectsVisible() const { return objectsVisible_; }
    bool weaponsVisible() const { return weaponsVisible_; }

    // Fades of 0.2 s to opacity 150 and back to 0; the flag changes at once.
    void showBasket();
    void hideBasket();
    void toggleBasket();
    bool basketVisible() const { return basketVisible_; }
    // Whether a point of the scene (a touch converted to the surface's coordinates, before any
    // stage camera) lies on the basket: its picture rectangle, as the engine's sprite hit test
    // measures it.
    bool basketContainsScreenPoint(Point p) const;

    // Whether a point of the scene lies on a palette that is shown.
    bool shownPaletteContains(Point screenPoint) const;

    CCScrollView* objectsScroll() const { return objectsScroll_.get(); }
    CCScrollView* weaponsScroll() const { return weaponsScroll_.get(); }
    // The palette entry for a tag; null outside the list or when its picture is missing.
    TapingSprite* objectEntry(int tag) const;
    TapingSprite* weaponEntry(int tag) const;
    CCSprite* basket() const { return basket_.get(); }
    ColorLayer* basketHolder() const { return basketHolder_.get(); }

private:
    struct Relay;
    void buildBasket(CCNode& scene);
    std::shared_ptr<CCScrollView> buildWeapons();
    std::shared_ptr<CCScrollView> buildObjects();
    void slide(CCScrollView& palette, float y);

    PaletteDelegate& delegate_;
    // The entries' target: it does not own this object, and forgets it when this goes.
    std::shared_ptr<Relay> relay_;
    std::shared_ptr<ColorLayer> basketHolder_;
    std::shared_ptr<CCSprite> basket_;
    std::shared_ptr<CCScrollView> weaponsScroll_;
    std::shared_ptr<CCScrollView> objectsScroll_;
    bool objectsVisible_ = false;
    bool weaponsVisible_ = false;
    bool basketVisible_ = false;
};
