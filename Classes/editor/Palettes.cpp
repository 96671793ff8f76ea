#include "editor/Palettes.h"

#include "editor/Catalogue.h"
#include "engine/CCDirector.h"
#include "engine/CCScrollView.h"
#include "items/Hmn.h"
#include "items/TapingSprite.h"
#include "items/Weapon.h"

#include <algorithm>
#include <vector>

namespace {

constexpr float kFirstEntryX = 60;
constexpr float kWeaponGap = 20;
constexpr float kObjectGap = 30;
constexpr float kTrailingSpace = 20;
// The object strip's irregular spacing around the paint pots, kept so that entries sit where
// users know them.
constexpr float kGapAfterBat = 50;
constexpr float kShovelPullBack = 30;
constexpr float kPaintYellowPush = 60;
constexpr float kBasketScale = 0.5f;
constexpr float kBasketMargin = 30;

std::shared_ptr<CCScrollView> makeStrip(float width) {
    auto strip = CCScrollView::scrollViewWithViewSize(Size(width, Palettes::kStripHeight));
    strip->setTapHandler([](CCNode* item) {
        if (auto* entry = dynamic_cast<TapingSprite*>(item))
            entry->tap();
    });
    return strip;
}

// Widths of the entries' pictures in points (zero for a missing picture).
std::vector<float> widthsOf(const std::vector<std::shared_ptr<TapingSprite>>& entries) {
    std::vector<float> w;
    for (const auto& e : entries)
        w.push_back(e ? e->contentSize().width : 0);
    return w;
}

} // namespace

// Forwards the entries' taps to the palettes while they exist.
struct Palettes::Relay {
    Palettes* owner = nullptr;
    void addObject(TapingSprite* sender) {
        if (owner)
            owner->addObject(sender->tag());
    }
    void addWeapon(TapingSprite* sender) {
        if (owner)
            owner->addWeapon(sender->tag());
    }
    void showLocks(TapingSprite*) {
        if (owner)
            owner->delegate_.showLocks();
    }
    void showSounds(TapingSprite*) {
        if (owner)
            owner->delegate_.showSounds();
    }
};

Palettes::Palettes(CCNode& scene, PaletteDelegate& delegate)
    : delegate_(delegate), relay_(std::make_shared<Relay>()) {
    relay_->owner = this;
    buildBasket(scene);
    weaponsScroll_ = buildWeapons();
    scene.addChild(weaponsScroll_);
    objectsScroll_ = buildObjects();
    scene.addChild(objectsScroll_);
    hideObjects(false);
    hideWeapons(false);
}

Palettes::~Palettes() {
    relay_->owner = nullptr;
    for (CCNode* n : std::initializer_list<CCNode*>{objectsScroll_.get(), weaponsScroll_.get(),
                                                    basketHolder_.get()})
        if (n)
            n->removeFromParentAndCleanup(true);
}

void Palettes::buildBasket(CCNode& scene) {
    basket_ = Sprite::spriteWithFile(QStringLiteral("basket.png"));
    const Size s = basket_ ? basket_->contentSize() : Size(0, 0);
    const Size win = CCDirector::sharedDirector().winSize();
    // The holder is the picture's unscaled size, so the half-size basket shows with its centre
    // 30 points in from the right edge and at its own height minus 30 from the bottom.
    basketHolder_ = ColorLayer::layerWithColor(ccColor4B{255, 255, 255, 0}, s.width, s.height);
    basketHolder_->setPosition(
        Point(win.width - s.width * 0.5f - kBasketMargin, s.height * 0.5f - kBasketMargin));
    if (basket_) {
        basket_->setScale(kBasketScale);
        basket_->setOpacity(0);
        basket_->setPosition(Point(s.width * 0.5f, s.height * 0.5f));
        basketHolder_->addChild(basket_);
    }
    scene.addChild(basketHolder_);
}

std::shared_ptr<CCScrollView> Palettes::buildWeapons() {
    const Size win = CCDirector::sharedDirector().winSize();
    auto strip = makeStrip(win.width);
    const int count = int(Catalogue::weapons().size());
    std::vector<std::shared_ptr<TapingSprite>> entries;
    for (int tag = 1; tag <= count; ++tag)
        entries.push_back(TapingSprite::spriteWithFile(Catalogue::weaponPalettePicture(tag)));
    const std::vector<float> w = widthsOf(entries);
    float x = kFirstEntryX;
    for (int i = 0; i < count; ++i) {
        if (auto& e = entries[size_t(i)]) {
            e->addTarget(relay_, &Relay::addWeapon);
            e->setTag(i + 1);
            e->setPosition(Point(x, kStripHeight * 0.5f));
            strip->addChild(e);
        }
        // Wide enough for the wider of this picture and the next.
        const float step = i + 1 < count ? std::max(w[size_t(i)], w[size_t(i + 1)]) : w[size_t(i)];
        x += step + kWeaponGap;
    }
    strip->setContentSize(Size(x + kTrailingSpace, kStripHeight));
    strip->setIsTouchEnabled(true);
    strip->setPosition(Point(0, win.height));
    strip->setDirection(CCScrollViewDirectionHorizontal);
    return strip;
}

std::shared_ptr<CCScrollView> Palettes::buildObjects() {
    const Size win = CCDirector::sharedDirector().winSize();
    auto strip = makeStrip(win.width);
    const QStringList& names = Catalogue::objects();
    const int count = int(names.size());
    std::vector<std::shared_ptr<TapingSprite>> entries;
    for (int tag = 1; tag <= count; ++tag)
        entries.push_back(TapingSprite::spriteWithFile(Catalogue::objectPalettePicture(tag)));
    const std::vector<float> w = widthsOf(entries);
    float x = kFirstEntryX;
    for (int i = 0; i < count; ++i) {
        const int tag = i + 1;
        const QString& name = names[i];
        if (auto& e = entries[size_t(i)]) {
            if (tag == Catalogue::kLocksTag)
                e->addTarget(relay_, &Relay::showLocks);
            else if (tag == Catalogue::kSoundsTag)
                e->addTarget(relay_, &Relay::showSounds);
            else
                e->addTarget(relay_, &Relay::addObject);
            e->setTag(tag);
            e->setPosition(Point(x, kStripHeight * 0.5f));
            strip->addChild(e);
        }
        const float step = i + 1 < count ? std::max(w[size_t(i)], w[size_t(i + 1)]) : w[size_t(i)];
        x += step + (name == QLatin1String("bat") ? kGapAfterBat : kObjectGap);
        if (name == QLatin1String("shovel"))
            x -= kShovelPullBack;
        if (name == QLatin1String("paint-yellow"))
            x += kPaintYellowPush;
    }
    strip->setContentSize(Size(x + kTrailingSpace, kStripHeight));
    strip->setIsTouchEnabled(true);
    strip->setPosition(Point(0, win.height));
    strip->setDirection(CCScrollViewDirectionHorizontal);
    return strip;
}

TapingSprite* Palettes::objectEntry(int tag) const {
    return dynamic_cast<TapingSprite*>(objectsScroll_->container_()->getChildByTag(tag));
}

TapingSprite* Palettes::weaponEntry(int tag) const {
    return dynamic_cast<TapingSprite*>(weaponsScroll_->container_()->getChildByTag(tag));
}

// ---- adding ----

void Palettes::addObject(int tag) {
    if (auto item = Catalogue::makeObject(tag))
        delegate_.addSprite(item);
}

void Palettes::addWeapon(int tag) {
    if (auto weapon = Catalogue::makeWeapon(tag))
        delegate_.addSprite(weapon);
}

void Palettes::addPlayer() {
    if (auto figure = Catalogue::makeFigure())
        delegate_.addSprite(figure);
}

// ---- palettes ----

void Palettes::slide(CCScrollView& palette, float y) {
    // A second toggle during a slide turns back from wherever the palette is.
    palette.stopAllActions();
    palette.runAction(MoveTo::actionWithDuration(kSlideDuration, Point(palette.position().x, y)));
}

void Palettes::showObjects(bool animated) {
    if (weaponsVisible_)
        hideWeapons(animated);
    const float top = CCDirector::sharedDirector().winSize().height;
    slide(*objectsScroll_, top - objectsScroll_->contentSize().height);
    objectsVisible_ = true;
}

void Palettes::hideObjects(bool) {
    slide(*objectsScroll_, CCDirector::sharedDirector().winSize().height);
    objectsVisible_ = false;
}

void Palettes::showWeapons(bool animated) {
    if (objectsVisible_)
        hideObjects(animated);
    const float top = CCDirector::sharedDirector().winSize().height;
    slide(*weaponsScroll_, top - weaponsScroll_->contentSize().height);
    weaponsVisible_ = true;
}

void Palettes::hideWeapons(bool) {
    slide(*weaponsScroll_, CCDirector::sharedDirector().winSize().height);
    weaponsVisible_ = false;
}

void Palettes::toggleObjects() {
    if (objectsVisible_)
        hideObjects(true);
    else
        showObjects(true);
}

void Palettes::toggleWeapons() {
    if (weaponsVisible_)
        hideWeapons(true);
    else
        showWeapons(true);
}

bool Palettes::shownPaletteContains(Point p) const {
    return (objectsVisible_ && objectsScroll_->windowContains(p)) ||
           (weaponsVisible_ && weaponsScroll_->windowContains(p));
}

// ---- basket ----

void Palettes::showBasket() {
    if (basket_) {
        basket_->stopAllActions();
        basket_->runAction(FadeTo::actionWithDuration(kBasketFadeDuration, kBasketShownOpacity));
    }
    basketVisible_ = true;
}

void Palettes::hideBasket() {
    if (basket_) {
        basket_->stopAllActions();
        basket_->runAction(FadeTo::actionWithDuration(kBasketFadeDuration, 0));
    }
    basketVisible_ = false;
}

void Palettes::toggleBasket() {
    if (basketVisible_)
        hideBasket();
    else
        showBasket();
}

bool Palettes::basketContainsScreenPoint(Point p) const {
    return basket_ && basket_->containsPoint(p);
}
