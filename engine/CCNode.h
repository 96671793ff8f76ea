#pragma once

#include "base/Types.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CCCamera;
class CCAction;
class Touch;
class Renderer;
class CCNode;

using CCNodePtr = std::shared_ptr<CCNode>;

// A node of the scene tree. A parent owns its children; `parent` is a plain back reference.
class CCNode : public std::enable_shared_from_this<CCNode> {
public:
    CCNode();
    virtual ~CCNode();
    CCNode(const CCNode&) = delete;
    CCNode& operator=(const CCNode&) = delete;

    static std::shared_ptr<CCNode> node();

    // Tree.
    virtual void addChild(const CCNodePtr& child);
    virtual void addChild(const CCNodePtr& child, int z);
    virtual void addChild(const CCNodePtr& child, int z, int tag);
    // Aliases: add: and add:z: keep the child's own z-order and tag.
    void add(const CCNodePtr& child) {
        addChild(child, child ? child->zOrder_ : 0, child ? child->tag_ : -1);
    }
    void add(const CCNodePtr& child, int z) { addChild(child, z, child ? child->tag_ : -1); }
    void add(const CCNodePtr& child, int z, int tag) { addChild(child, z, tag); }
    virtual void removeChild(CCNode* child, bool cleanup);
    void remove(CCNode* child) { removeChild(child, true); }
    void removeAllChildrenWithCleanup(bool cleanup);
    void removeAll() { removeAllChildrenWithCleanup(true); }
    void removeFromParentAndCleanup(bool cleanup);
    void reorderChild(CCNode* child, int z);
    CCNode* getChildByTag(int tag) const;
    CCNode* getByTag(int tag) const { return getChildByTag(tag); }
    const std::vector<CCNodePtr>& children() const;
    CCNode* parent() const { return parent_; }
    void setParent(CCNode* parent) { parent_ = parent; }

    // Properties.
    virtual Point position() const { return position_; }
    virtual void setPosition(Point p);
    virtual float rotation() const { return rotation_; }
    virtual void setRotation(float degrees);
    // Reading the uniform scale while scaleX and scaleY differ is a contract failure.
    virtual float scale() const;
    virtual void setScale(float s);
    float scaleX() const { return scaleX_; }
    float scaleY() const { return scaleY_; }
    virtual void setScaleX(float s);
    virtual void setScaleY(float s);
    virtual Size contentSize() const { return contentSize_; }
    virtual void setContentSize(Size s);
    Point anchorPoint() const { return anchorPoint_; }
    virtual void setAnchorPoint(Point p);
    Point anchorPointInPixels() const { return anchorInPoints_; } // in points, despite the name
    bool isRelativeAnchorPoint() const { return isRelativeAnchorPoint_; }
    void setIsRelativeAnchorPoint(bool v);
    bool visible() const { return visible_; }
    virtual void setVisible(bool v) { visible_ = v; }
    int tag() const { return tag_; }
    void setTag(int t) { tag_ = t; }
    int zOrder() const { return zOrder_; }
    float vertexZ() const { return vertexZ_; }
    void setVertexZ(float z) { vertexZ_ = z; }
    void* userData() const { return userData_; }
    void setUserData(void* d) { userData_ = d; }
    bool isRunning() const { return isRunning_; }

    // Camera, created on first use.
    CCCamera* camera();
    bool hasCamera() const { return camera_ != nullptr; }

    // Geometry.
    AffineTransform nodeToParentTransform() const;
    AffineTransform parentToNodeTransform() const;
    AffineTransform nodeToWorldTransform() const;
    AffineTransform worldToNodeTransform() const;
    Rect boundingBox() const;
    Point convertToNodeSpace(Point world) const;
    Point convertToWorldSpace(Point node) const;
    Point convertToNodeSpaceAR(Point world) const;
    Point convertToWorldSpaceAR(Point node) const;
    Point convertTouchToNodeSpace(const Touch& touch) const;

    // Time.
    CCAction* runAction(const std::shared_ptr<CCAction>& action);
    CCAction* do_(const std::shared_ptr<CCAction>& action) { return runAction(action); }
    void stopAllActions();
    void stopAction(CCAction* action);
    size_t numberOfRunningActions() const;
    // Runs `fn` with the elapsed seconds every display frame (interval 0) or every `interval`
    // seconds, while the node is in a running scene. A key names the schedule for unschedule.
    void schedule(const std::string& key, std::function<void(ccTime)> fn, ccTime interval = 0);
    void unschedule(const std::string& key);
    void unscheduleAllSelectors();

    // Life in a running scene.
    virtual void onEnter();
    virtual void onEnterTransitionDidFinish();
    virtual void onExit();
    virtual void cleanup();

    // Drawing.
    virtual void visit(Renderer& r);
    virtual void draw(Renderer& r);
    // Applies this node's transform (and camera) to the renderer's current matrix.
    void transform(Renderer& r);

protected:
    // The order of children by z, then insertion.
    void insertChild(const CCNodePtr& child, int z);
    void detachChild(CCNode* child, bool cleanup);
    void markTransformDirty() { transformDirty_ = true; }

    // Ordered so that the flags and the four-byte fields share words: a long animation holds
    // a hundred thousand nodes.
    Point position_;
    float rotation_ = 0;
    float scaleX_ = 1, scaleY_ = 1;
    Size contentSize_;
    Point anchorPoint_;
    Point anchorInPoints_;
    bool isRelativeAnchorPoint_ = true;
    bool visible_ = true;
    bool isRunning_ = false;

private:
    mutable bool transformDirty_ = true;

protected:
    int tag_ = -1;
    int zOrder_ = 0;
    float vertexZ_ = 0;
    void* userData_ = nullptr;

    // Made on first use: most nodes (limbs, props) never have children.
    std::unique_ptr<std::vector<CCNodePtr>> children_;
    CCNode* parent_ = nullptr;
    std::unique_ptr<CCCamera> camera_;

private:
    mutable AffineTransform transform_;
};

// Creates a node of type T and runs an initializer on it; gives none when it fails.
template <class T, class Init> std::shared_ptr<T> ccCreate(Init&& init) {
    auto n = std::make_shared<T>();
    if (!init(*n))
        return nullptr;
    return n;
}
