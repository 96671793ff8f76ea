#include "items/Joint.h"

#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "items/JointedSprite.h"

#include <algorithm>
#include <cmath>
#include <numbers>

Joint::~Joint() {
    breakConnections();
}

std::shared_ptr<Joint> Joint::joint() {
    return ccCreate<Joint>([](Joint& j) { return j.initJoint(); });
}

bool Joint::initJoint() {
    if (!initWithFile(QStringLiteral("joint.png")))
        return false;
    connectedJoints_.clear();
    return true;
}

void JointList::push_back(Joint* j) {
    if (!more_ && size_ == inline_.size())
        more_ = std::make_unique<std::vector<Joint*>>(inline_.begin(), inline_.end());
    if (more_)
        more_->push_back(j);
    else
        inline_[size_] = j;
    ++size_;
}

void JointList::remove(const Joint* j) {
    Joint** d = data();
    Joint** last = std::remove(d, d + size_, j);
    size_ = uint32_t(last - d);
    if (more_)
        more_->resize(size_);
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
    const Point c = position();
    Rect r(c.x - w / 2, c.y - h / 2, w, h);
    if (parent_ && dynamic_cast<const CCLayer*>(parent_)) {
        r.origin.x += parent_->position().x;
        r.origin.y += parent_->position().y;
    }
    return r.containsPoint(p);
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
