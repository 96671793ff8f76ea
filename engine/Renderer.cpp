#include "Renderer.h"

#include "CCTexture2D.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

Renderer::Renderer(QPainter& painter, Size winSize, qreal scale)
    : painter_(painter), base_(scale, 0, 0, -scale, 0, qreal(winSize.height) * scale) {
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter_.setRenderHint(QPainter::Antialiasing, true);
}

void Renderer::pushMatrix() {
    stack_.push_back(matrix_);
}

void Renderer::popMatrix() {
    if (stack_.empty())
        return;
    matrix_ = stack_.back();
    stack_.pop_back();
}

void Renderer::concat(const AffineTransform& t) {
    matrix_ = QTransform(t.a, t.b, t.c, t.d, t.tx, t.ty) * matrix_;
}

void Renderer::translate(float x, float y) {
    matrix_ = QTransform::fromTranslate(x, y) * matrix_;
}

void Renderer::setColor(float r, float g, float b, float a) {
    color_ = QColor::fromRgbF(std::clamp(r, 0.f, 1.f), std::clamp(g, 0.f, 1.f),
                              std::clamp(b, 0.f, 1.f), std::clamp(a, 0.f, 1.f));
}

void Renderer::setBlendFunc(BlendFactor src, BlendFactor dst) {
    blendSrc_ = src;
    blendDst_ = dst;
}

void Renderer::drawLine(Point a, Point b) {
    painter_.setTransform(QTransform());
    painter_.setOpacity(1);
    // With source factor ONE the colour counts as already multiplied by its alpha.
    QColor c = color_;
    if (blendSrc_ == BlendFactor::One && c.alphaF() > 0) {
        const float k = 1.0f / float(c.alphaF());
        c = QColor::fromRgbF(std::min(1.f, float(c.redF()) * k),
                             std::min(1.f, float(c.greenF()) * k),
                             std::min(1.f, float(c.blueF()) * k), c.alphaF());
    }
    const QTransform t = deviceTransform();
    // Line width is in points, whatever the node's own scale.
    const qreal widthScale = std::sqrt(std::abs(base_.determinant()));
    QPen pen(c, qreal(lineWidth_) * widthScale);
    pen.setCapStyle(Qt::FlatCap);
    painter_.setPen(pen);
    painter_.drawLine(t.map(QPointF(a.x, a.y)), t.map(QPointF(b.x, b.y)));
}

void Renderer::drawTexture(const CCTexture2D& tex, Size size, ccColor3B color, uint8_t opacity,
                           bool flipX, bool flipY) {
    if (opacity == 0 || size.width == 0 || size.height == 0)
        return;
    // Pictures have their first row at the top; node space has y up.
    QTransform flip(flipX ? -1 : 1, 0, 0, flipY ? 1 : -1, flipX ? size.width : 0,
                    flipY ? 0 : size.height);
    painter_.setTransform(flip * deviceTransform());
    painter_.setOpacity(opacity / 255.0);
    painter_.drawImage(QRectF(0, 0, size.width, size.height), tex.tinted(color));
}

void Renderer::fillRect(const Rect& r, ccColor4B color) {
    if (color.a == 0)
        return;
    painter_.setTransform(deviceTransform());
    painter_.setOpacity(1);
    painter_.fillRect(QRectF(r.origin.x, r.origin.y, r.size.width, r.size.height),
                      QColor(color.r, color.g, color.b, color.a));
}
