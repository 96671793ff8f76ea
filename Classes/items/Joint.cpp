#include "items/Joint.h"

#include "engine/CCDirector.h"
#include "engine/CCTextureCache.h"
#include "engine/Renderer.h"
#include "items/JointedSprite.h"

#include <algorithm>
#include <cmath>
#include <numbers>

Joint::~Joint() {
    breakConnections();
}

std::unique_ptr<Joint> Joint::joint() {
    auto j = std::make_unique<Joint>();
    if (!j->initJoint())
        return nullptr;
    return j;
}

bool Joint::initJoint() {
    picture_ = CCTextureCache::sharedTextureCache().addImage(QStringLiteral("joint.png"));
    if (!picture_)
        return false;
    connectedJoints_.clear();
    return true;
}

Size Joint::contentSize() const {
    return picture_ ? picture_->contentSize() : Size();
}

void Joint::draw(Renderer& r) const {
    if (!picture_)
        return;
    // What an engine sprite anchored at its centre would concatenate, so joints look as before.
    const Size size = picture_->contentSize();
    AffineTransform t;
    if (!(position_.x == 0 && position_.y == 0))
        t = t.translated(position_.x, position_.y);
    t = t.scaled(kScale, kScale);
    t = t.translated(-size.width * 0.5f, -size.height * 0.5f);
    r.pushMatrix();
    r.concat(t);
    // Every joint is drawn at the same scale, so one resampled picture serves them all (per
    // thread: export renders off the main thread).
    thread_local std::unique_ptr<TransformedPictureCache> resampled;
    r.drawTexture(*picture_, size, ccWHITE, 255, false, false, &resampled);
    r.popMatrix();
}

void JointList::push_back(Joint* j) {
    if (size_ == kInline) {
        auto* more = new std::vector<Joint*>(inline_.begin(), inline_.end());
        more->push_back(j);
        more_ = more;
    } else if (onHeap()) {
        more_->push_back(j);
    } else {
        inline_[size_] = j;
    }
    ++size_;
}

void JointList::remove(const Joint* j) {
    Joint** d = data();
    const auto left = uint32_t(std::remove(d, d + size_, j) - d);
    if (!onHeap()) {
        size_ = left;
        return;
    }
    std::vector<Joint*>* more = more_;
    more->resize(left);
    if (left > kInline) {
        size_ = left;
        return;
    }
    // Back into the list itself.
    inline_ = {};
    std::copy(more->begin(), more->end(), inline_.begin());
    delete more;
    size_ = left;
}

void JointList::clear() {
    if (onHeap())
        delete more_;
    inline_ = {};
    size_ = 0;
}

void Joint::connectTo(Joint* other) {
    if (other == nullptr || other == this)
        return;
    if (connectedJoints_.contains(other))
        return;
    connectedJoints_.push_back(other);
    other->connectTo(this);
}

void Joint::breakConnections() {
    pairJoint_ = nullptr;
    for (Joint* other : connectedJoints_)
        other->connectedJoints_.remove(this);
    connectedJoints_.clear();
}

bool Joint::containsPoint(Point p) const {
    const float s = CCDirector::sharedDirector().contentScaleFactor();
    const Size size = contentSize();
    const float w = size.width * s * 1.2f;
    const float h = size.height * s * 1.2f;
    const Point c = position_;
    return Rect(c.x - w / 2, c.y - h / 2, w, h).containsPoint(p);
}

void Joint::moveTo(Point p, bool byTouch) {
    Joint* pair = pairJoint_;
    JointedSprite* limb = owner_;
    // A loose joint (torn down, or never part of a limb) just goes there; a target that is not
    // a number would spread NaN through the whole figure, so it is ignored.
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
        return;
    if (pair == nullptr || limb == nullptr) {
        setPosition(p);
        return;
    }
    const bool isHead = limb->headJoint() == this;
    const Point q = pair->position();
    const double dx = double(p.x) - double(q.x);
    const double dy = double(p.y) - double(q.y);
    const double d = std::sqrt(dx * dx + dy * dy);
    constexpr double kPi = std::numbers::pi;

    // a: direction from the pair joint to p, counter-clockwise from the x axis.
    double a;
    if (d > 0) {
        a = std::acos(std::clamp(dx / d, -1.0, 1.0));
        if (dy < 0)
            a = -a;
    } else {
        // Dropped onto its pair: no direction to follow, so the limb keeps the one its rotation
        // shows (the inverse of the rotation formula below).
        const double r = double(limb->rotation());
        a = -(r + (isHead ? 270.0 : 90.0)) * kPi / 180.0;
    }
    double rotation = a * -180.0 / kPi - 90.0;
    if (isHead)
        rotation -= 180.0;

    setPosition(p);
    const double length = 0.8 * double(limb->contentSize().height) * double(limb->scaleX());
    const Point pairAt(float(double(p.x) - length * std::cos(a)),
                       float(double(p.y) - length * std::sin(a)));
    pair->setPosition(pairAt);
    limb->setRotation(float(rotation));
    limb->setPosition(Point(float((double(p.x) + double(pairAt.x)) / 2),
                            float((double(p.y) + double(pairAt.y)) / 2)),
                      false);

    // Spread outwards: the articulation at the far end of this limb, then (for the joint that
    // started the move) the articulation here. By index, so the move allocates nothing.
    const JointList& far = pair->connectedJoints_;
    for (size_t i = 0; i < far.size(); ++i)
        far[i]->moveTo(pairAt, false);
    if (byTouch) {
        for (size_t i = 0; i < connectedJoints_.size(); ++i)
            connectedJoints_[i]->moveTo(p, false);
    }
}
