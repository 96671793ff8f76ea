#pragma once

#include "base/Types.h"

#include <QColor>
#include <QImage>
#include <QTransform>

#include <memory>
#include <vector>

class QPainter;
class CCTexture2D;

enum class BlendFactor { One, SrcAlpha, OneMinusSrcAlpha };

// A sprite's picture as last drawn under a rotation or scale: pictures that keep their shape from
// one display frame to the next (most of them) are then only copied, not resampled.
struct TransformedPictureCache {
    uint64_t texture = 0; // serial of the texture drawn
    ccColor3B tint;
    qreal m11 = 0, m12 = 0, m21 = 0, m22 = 0;
    QPointF origin; // where the cached picture's top-left sits relative to the translation
    QImage image;
};

// Draws the scene tree with QPainter. Keeps the matrix stack of the node transforms (in points,
// y up) on top of a base transform to the painter's device, and the current drawing colour,
// line width and blending that `draw` overrides use.
class Renderer {
public:
    // `winSize` in points; `scale` device units per point.
    Renderer(QPainter& painter, Size winSize, qreal scale);

    QPainter& painter() { return painter_; }
    void pushMatrix();
    void popMatrix();
    void concat(const AffineTransform& t);
    void translate(float x, float y);
    const QTransform& matrix() const { return matrix_; }

    // glColor4f / glLineWidth / glBlendFunc equivalents for line drawing.
    void setColor(float r, float g, float b, float a);
    void setLineWidth(float w) { lineWidth_ = w; }
    void setBlendFunc(BlendFactor src, BlendFactor dst);
    BlendFactor blendSrc() const { return blendSrc_; }
    BlendFactor blendDst() const { return blendDst_; }
    // ccDrawLine: a line between two points of the current node's space.
    void drawLine(Point a, Point b);

    // A texture's whole picture over the rectangle (0, 0, size) of the current node,
    // multiplied by `color`, at `opacity`.
    // `cache`, when given, is made the first time the picture needs resampling.
    void drawTexture(const CCTexture2D& tex, Size size, ccColor3B color, uint8_t opacity,
                     bool flipX, bool flipY,
                     std::unique_ptr<TransformedPictureCache>* cache = nullptr);
    // A filled rectangle in a non-premultiplied colour.
    void fillRect(const Rect& r, ccColor4B color);

private:
    QTransform deviceTransform() const { return matrix_ * base_; }

    QPainter& painter_;
    QTransform base_;
    QTransform matrix_;
    std::vector<QTransform> stack_;
    QColor color_ = Qt::white;
    float lineWidth_ = 1;
    BlendFactor blendSrc_ = BlendFactor::SrcAlpha;
    BlendFactor blendDst_ = BlendFactor::OneMinusSrcAlpha;
};
