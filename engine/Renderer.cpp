#include "engine/Renderer.h"

#include "engine/CCTexture2D.h"

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
                           bool flipX, bool flipY,
                           std::unique_ptr<TransformedPictureCache>* cacheSlot) {
    if (opacity == 0 || size.width == 0 || size.height == 0)
        return;
    const QImage& picture = tex.tinted(color);
    // Picture pixels to node space (first row at the top, node space has y up), then to the
    // device.
    const qreal sx = qreal(size.width) / picture.width(),
                sy = qreal(size.height) / picture.height();
    const QTransform toNode(flipX ? -sx : sx, 0, 0, flipY ? sy : -sy, flipX ? size.width : 0,
                            flipY ? 0 : size.height);
    const QTransform m = toNode * deviceTransform();
    painter_.setOpacity(opacity / 255.0);

    constexpr qreal eps = 1e-4;
    const bool unitScale = std::abs(m.m11() - 1) < eps && std::abs(m.m22() - 1) < eps &&
                           std::abs(m.m12()) < eps && std::abs(m.m21()) < eps;
    if (unitScale || !cacheSlot) {
        // One picture pixel per device pixel needs no resampling.
        painter_.setTransform(
            unitScale ? QTransform::fromTranslate(std::round(m.dx()), std::round(m.dy())) : m);
        painter_.drawImage(QPointF(0, 0), picture);
        return;
    }
    if (!*cacheSlot)
        *cacheSlot = std::make_unique<TransformedPictureCache>();
    TransformedPictureCache* cache = cacheSlot->get();
    if (cache->texture != tex.serial() || !(cache->tint == color) || cache->m11 != m.m11() ||
        cache->m12 != m.m12() || cache->m21 != m.m21() || cache->m22 != m.m22() ||
        cache->image.isNull()) {
        const QTransform linear(m.m11(), m.m12(), m.m21(), m.m22(), 0, 0);
        const QRectF box = linear.mapRect(QRectF(0, 0, picture.width(), picture.height()));
        const QPointF origin(std::floor(box.left()), std::floor(box.top()));
        const QSize pixels(int(std::ceil(box.right()) - origin.x()) + 1,
                           int(std::ceil(box.bottom()) - origin.y()) + 1);
        // Degenerate or enormous results are drawn directly instead.
        if (pixels.width() <= 0 || pixels.height() <= 0 ||
            qint64(pixels.width()) * pixels.height() > 4096LL * 4096LL) {
            painter_.setTransform(m);
            painter_.drawImage(QPointF(0, 0), picture);
            return;
        }
        QImage img(pixels, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.setTransform(linear * QTransform::fromTranslate(-origin.x(), -origin.y()));
        p.drawImage(QPointF(0, 0), picture);
        p.end();
        cache->texture = tex.serial();
        cache->tint = color;
        cache->m11 = m.m11();
        cache->m12 = m.m12();
        cache->m21 = m.m21();
        cache->m22 = m.m22();
        cache->origin = origin;
        cache->image = std::move(img);
    }
    painter_.setTransform(QTransform::fromTranslate(std::round(m.dx() + cache->origin.x()),
                                                    std::round(m.dy() + cache->origin.y())));
    painter_.drawImage(QPointF(0, 0), cache->image);
}

void Renderer::fillRect(const Rect& r, ccColor4B color) {
    if (color.a == 0)
        return;
    painter_.setTransform(deviceTransform());
    painter_.setOpacity(1);
    painter_.fillRect(QRectF(r.origin.x, r.origin.y, r.size.width, r.size.height),
                      QColor(color.r, color.g, color.b, color.a));
}
