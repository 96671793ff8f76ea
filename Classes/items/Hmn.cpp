#include "items/Hmn.h"

#include "engine/Renderer.h"
#include "items/SerializableSprite.h"

namespace {

// The order in which limbs are stored, copied and torn down.
constexpr std::array<Hmn::Limb, Hmn::LimbCount> kStoredOrder = {
    Hmn::Body,         Hmn::Head,    Hmn::LeftForearm, Hmn::LeftArm,  Hmn::RightArm,
    Hmn::RightForearm, Hmn::LeftHip, Hmn::LeftLeg,     Hmn::RightHip, Hmn::RightLeg};

// "<limb>.tail.x", "<limb>.tail.y", "<limb>.head.x", "<limb>.head.y", per limb; made once.
struct JointKeys {
    QString tailX, tailY, headX, headY;
};

const std::array<JointKeys, Hmn::LimbCount>& jointKeys() {
    static const std::array<JointKeys, Hmn::LimbCount> keys = [] {
        std::array<JointKeys, Hmn::LimbCount> k;
        for (int i = 0; i < Hmn::LimbCount; ++i) {
            const QString name = QString::fromLatin1(Hmn::limbName(Hmn::Limb(i)));
            k[i] = {name + QStringLiteral(".tail.x"), name + QStringLiteral(".tail.y"),
                    name + QStringLiteral(".head.x"), name + QStringLiteral(".head.y")};
        }
        return k;
    }();
    return keys;
}

} // namespace

const char* Hmn::limbName(Limb which) {
    switch (which) {
    case Head:
        return "head";
    case Body:
        return "body";
    case LeftForearm:
        return "leftForearm";
    case LeftArm:
        return "leftArm";
    case RightArm:
        return "rightArm";
    case RightForearm:
        return "rightForearm";
    case RightHip:
        return "rightHip";
    case RightLeg:
        return "rightLeg";
    case LeftHip:
        return "leftHip";
    case LeftLeg:
        return "leftLeg";
    case LimbCount:
        break;
    }
    return "";
}

Hmn::~Hmn() {
    // A limb kept alive elsewhere must not report to a figure that is gone.
    if (limbs_[Body])
        limbs_[Body]->setDelegate(nullptr);
}

std::shared_ptr<Hmn> Hmn::node() {
    return ccCreate<Hmn>([](Hmn& h) { return h.init(); });
}

bool Hmn::initWithFile(const QString&) {
    return false;
}

bool Hmn::init() {
    if (!LockingSprite::init())
        return false;
    hPosition_ = Point(0, 0);

    auto& l = limbs_;
    l[Head] = JointedSprite::spriteWithFile(QStringLiteral("head.png"));
    l[Body] = JointedSprite::spriteWithFile(QStringLiteral("body.png"));
    l[LeftForearm] = JointedSprite::spriteWithFile(QStringLiteral("arm.png"));
    l[LeftArm] = JointedSprite::spriteWithFile(QStringLiteral("arm.png"));
    l[RightForearm] = JointedSprite::spriteWithFile(QStringLiteral("arm.png"));
    l[RightArm] = JointedSprite::spriteWithFile(QStringLiteral("arm.png"));
    l[LeftHip] = JointedSprite::spriteWithFile(QStringLiteral("hip.png"));
    l[LeftLeg] = JointedSprite::spriteWithFile(QStringLiteral("hip.png"));
    l[RightHip] = JointedSprite::spriteWithFile(QStringLiteral("hip.png"));
    l[RightLeg] = JointedSprite::spriteWithFile(QStringLiteral("hip.png"));
    for (const auto& limb : l)
        if (!limb)
            return false;
    l[Body]->setDelegate(this);

    // The default pose follows from the picture sizes: limbs hang from their articulations
    // half a width down and one or two widths out.
    const float bodyHeight = l[Body]->contentSize().height;
    l[Head]->setPosition(Point(0, 0.25f * bodyHeight));
    const Point head = l[Head]->position();
    l[Body]->setPosition(Point(head.x, head.y - 0.5f * bodyHeight));
    const Point body = l[Body]->position();
    auto hang = [&](Limb limb, Point from, float widths, float halfWidths) {
        const float w = l[limb]->contentSize().width;
        l[limb]->setPosition(Point(from.x + widths * w, from.y + halfWidths * 0.5f * w));
    };
    hang(LeftForearm, body, -2, -1);
    hang(LeftArm, l[LeftForearm]->position(), -2, -1);
    // The right upper arm goes half a width up where the other arms go down.
    hang(RightForearm, body, 2, 1);
    hang(RightArm, l[RightForearm]->position(), 2, -1);
    hang(LeftHip, body, -1, -1);
    hang(LeftLeg, l[LeftHip]->position(), -1, -1);
    hang(RightHip, body, 1, -1);
    hang(RightLeg, l[RightHip]->position(), 1, -1);

    // This order fixes the order of the connection lists, and so of the chain computation.
    auto connect = [&](Limb a, bool aHead, Limb b, bool bHead) {
        Joint* ja = aHead ? l[a]->headJoint() : l[a]->tailJoint();
        Joint* jb = bHead ? l[b]->headJoint() : l[b]->tailJoint();
        ja->connectTo(jb);
    };
    connect(Head, false, Body, true);
    connect(LeftForearm, true, Body, true);
    connect(LeftForearm, true, Head, false);
    connect(LeftArm, true, LeftForearm, false);
    connect(RightForearm, true, Body, true);
    connect(RightForearm, true, Head, false);
    connect(RightArm, true, RightForearm, false);
    connect(RightForearm, true, LeftForearm, true);
    connect(RightHip, true, Body, false);
    connect(RightLeg, true, RightHip, false);
    connect(LeftHip, true, Body, false);
    connect(LeftLeg, true, LeftHip, false);
    connect(LeftHip, true, RightHip, true);

    for (const auto& limb : l)
        addChild(limb);
    refreshJoints();
    setColorWithHmnColor(hmnColorMake(0, 0, 0));
    return true;
}

void Hmn::setScale(float s) {
    for (const auto& limb : limbs_)
        limb->setScale(s);
    hScale_ = s;
    refreshJoints();
}

void Hmn::setPosition(Point p) {
    JointedSprite* body = limbs_[Body].get();
    if (!body) {
        hPosition_ = p;
        return;
    }
    // The limbs move as one; the body must not report its centre while they do.
    body->setDelegate(nullptr);
    const Point offset = p - hPosition_;
    for (const auto& limb : limbs_)
        limb->setPosition(limb->position() + offset);
    body->setDelegate(this);
    hPosition_ = p;
}

bool Hmn::containsPoint(Point p) const {
    for (const auto& limb : limbs_)
        if (limb && limb->containsPoint(p))
            return true;
    return false;
}

Size Hmn::contentSize() const {
    if (!limbs_[Body])
        return Size(0, 0);
    const double h = limbs_[Body]->contentSize().height;
    return Size(float(0.5 * h), float(h / 1.8));
}

void Hmn::setColorWithHmnColor(::hmnColor color) {
    setColorWithRed(color.red, color.green, color.blue);
}

void Hmn::setColorWithRed(uint8_t red, uint8_t green, uint8_t blue) {
    currColor_ = hmnColorMake(red, green, blue);
    for (const auto& limb : limbs_)
        if (limb)
            limb->setColor(ccColor3B{red, green, blue});
}

void Hmn::setShowJoints(bool show) {
    for (const auto& limb : limbs_)
        if (limb)
            limb->setShowJoints(show);
}

void Hmn::refreshJoints() {
    if (!limbs_[Head])
        return;
    Joint* neck = limbs_[Head]->tailJoint();
    neck->moveTo(neck->position(), true);
}

Hmn::Pose Hmn::pose() const {
    Pose p;
    p.position = hPosition_;
    p.scale = hScale_;
    for (int i = 0; i < LimbCount; ++i) {
        const JointedSprite* limb = limbs_[i].get();
        if (!limb)
            continue;
        p.limbs[i] = Pose::LimbState{limb->tailJoint()->position(), limb->headJoint()->position(),
                                     limb->position(), limb->rotation(), limb->scaleX()};
    }
    return p;
}

void Hmn::setPose(const Pose& p) {
    for (int i = 0; i < LimbCount; ++i) {
        JointedSprite* limb = limbs_[i].get();
        if (!limb)
            continue;
        const Pose::LimbState& s = p.limbs[i];
        // The picture's scale alone: the joints are set from the pose, not re-placed.
        limb->Sprite::setScale(s.scale);
        limb->tailJoint()->setPosition(s.tail);
        limb->headJoint()->setPosition(s.head);
        limb->setRotation(s.rotation);
        limb->setPosition(s.position, false);
    }
    hPosition_ = p.position;
    hScale_ = p.scale;
}

std::shared_ptr<CCSprite> Hmn::copyWithZone() const {
    auto copy = Hmn::node();
    if (!copy || !limbs_[Body])
        return copy;
    copy->setColorWithHmnColor(currColor_);
    copy->setTag(tag());
    copy->setScale(hScale_);
    copy->setPosition(position());
    for (int i = 0; i < LimbCount; ++i) {
        copy->limbs_[i]->tailJoint()->setPosition(limbs_[i]->tailJoint()->position());
        copy->limbs_[i]->headJoint()->setPosition(limbs_[i]->headJoint()->position());
    }
    copy->refreshJoints();
    return copy;
}

QVariantMap Hmn::serialize() const {
    QVariantMap d = genericSerialize(*this, className());
    d.insert(QStringLiteral("scale"), QVariant(hScale_));
    d.insert(QStringLiteral("colorRed"), QVariant(int(currColor_.red)));
    d.insert(QStringLiteral("colorGreen"), QVariant(int(currColor_.green)));
    d.insert(QStringLiteral("colorBlue"), QVariant(int(currColor_.blue)));
    if (!limbs_[Body])
        return d;
    const auto& keys = jointKeys();
    for (Limb which : kStoredOrder) {
        const Point tail = limbs_[which]->tailJoint()->position();
        const Point head = limbs_[which]->headJoint()->position();
        d.insert(keys[which].tailX, QVariant(tail.x));
        d.insert(keys[which].tailY, QVariant(tail.y));
        d.insert(keys[which].headX, QVariant(head.x));
        d.insert(keys[which].headY, QVariant(head.y));
    }
    return d;
}

QString Hmn::className() const {
    return QStringLiteral("Hmn");
}

std::shared_ptr<Hmn> Hmn::unserialize(const QVariantMap& d) {
    using namespace dictvalues;
    auto figure = genericUnserialize<Hmn>(d);
    if (!figure || !figure->limbs_[Body])
        return nullptr;
    const auto& keys = jointKeys();
    for (Limb which : kStoredOrder) {
        JointedSprite* limb = figure->limbs_[which].get();
        auto at = [&d](const QString& key) {
            return dictBoundedReal(d, key, kMaxStoredCoordinate);
        };
        limb->tailJoint()->setPosition(Point(at(keys[which].tailX), at(keys[which].tailY)));
        limb->headJoint()->setPosition(Point(at(keys[which].headX), at(keys[which].headY)));
    }
    // Colour bytes outside 0..255 wrap, as a byte conversion does.
    figure->setColorWithRed(uint8_t(dictInt(d, QStringLiteral("colorRed"))),
                            uint8_t(dictInt(d, QStringLiteral("colorGreen"))),
                            uint8_t(dictInt(d, QStringLiteral("colorBlue"))));
    figure->refreshJoints();
    return figure;
}

void Hmn::breakConnections() {
    for (Limb which : kStoredOrder)
        if (limbs_[which])
            limbs_[which]->breakConnections();
}

void Hmn::visit(Renderer& r) {
    r.setBlendFunc(BlendFactor::One, BlendFactor::OneMinusSrcAlpha);
    LockingSprite::visit(r);
    r.setBlendFunc(BlendFactor::SrcAlpha, BlendFactor::OneMinusSrcAlpha);
}

std::shared_ptr<LockingSprite> Hmn::newInstance() const {
    return std::make_shared<Hmn>();
}
