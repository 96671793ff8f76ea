#pragma once

// Geometry and colour value types of the scene engine: 32-bit floats in points, origin
// bottom-left, y up.

#include <cmath>
#include <cstdint>

struct Point {
    float x = 0;
    float y = 0;
    constexpr Point() = default;
    constexpr Point(float x_, float y_) : x(x_), y(y_) {}
    friend constexpr bool operator==(Point a, Point b) { return a.x == b.x && a.y == b.y; }
    friend constexpr Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
    friend constexpr Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
    friend constexpr Point operator*(Point a, float s) { return {a.x * s, a.y * s}; }
};

struct Size {
    float width = 0;
    float height = 0;
    constexpr Size() = default;
    constexpr Size(float w, float h) : width(w), height(h) {}
    friend constexpr bool operator==(Size a, Size b) {
        return a.width == b.width && a.height == b.height;
    }
};

struct Rect {
    Point origin;
    Size size;
    constexpr Rect() = default;
    constexpr Rect(float x, float y, float w, float h) : origin(x, y), size(w, h) {}
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    constexpr float minX() const { return size.width < 0 ? origin.x + size.width : origin.x; }
    constexpr float maxX() const { return size.width < 0 ? origin.x : origin.x + size.width; }
    constexpr float minY() const { return size.height < 0 ? origin.y + size.height : origin.y; }
    constexpr float maxY() const { return size.height < 0 ? origin.y : origin.y + size.height; }
    // Left and bottom edges inside, right and top edges outside.
    constexpr bool containsPoint(Point p) const {
        return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
    }
    friend constexpr bool operator==(const Rect& a, const Rect& b) {
        return a.origin == b.origin && a.size == b.size;
    }
};

// Affine transform in the row-vector convention: x' = a·x + c·y + tx, y' = b·x + d·y + ty.
struct AffineTransform {
    float a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static constexpr AffineTransform identity() { return {}; }
    bool isIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1 && tx == 0 && ty == 0; }

    // Each builder applies its operation before the existing transform (like appending a
    // child transform), so calls read in the order the operations are nested.
    AffineTransform translated(float x, float y) const {
        AffineTransform t = *this;
        t.tx += a * x + c * y;
        t.ty += b * x + d * y;
        return t;
    }
    AffineTransform rotated(float radians) const {
        const float s = std::sin(radians), co = std::cos(radians);
        AffineTransform t = *this;
        t.a = a * co + c * s;
        t.b = b * co + d * s;
        t.c = c * co - a * s;
        t.d = d * co - b * s;
        return t;
    }
    AffineTransform scaled(float sx, float sy) const {
        AffineTransform t = *this;
        t.a *= sx;
        t.b *= sx;
        t.c *= sy;
        t.d *= sy;
        return t;
    }
    // this applied first, then `parent`.
    AffineTransform concat(const AffineTransform& parent) const {
        return {a * parent.a + b * parent.c,
                a * parent.b + b * parent.d,
                c * parent.a + d * parent.c,
                c * parent.b + d * parent.d,
                tx * parent.a + ty * parent.c + parent.tx,
                tx * parent.b + ty * parent.d + parent.ty};
    }
    AffineTransform inverted() const {
        const float det = a * d - b * c;
        if (det == 0)
            return *this;
        const float id = 1.0f / det;
        return {d * id, -b * id, -c * id, a * id, (c * ty - d * tx) * id, (b * tx - a * ty) * id};
    }
    Point apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }
    Rect apply(const Rect& r) const;
};

inline Rect AffineTransform::apply(const Rect& r) const {
    const Point p[4] = {apply(Point(r.minX(), r.minY())), apply(Point(r.maxX(), r.minY())),
                        apply(Point(r.minX(), r.maxY())), apply(Point(r.maxX(), r.maxY()))};
    float x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
    for (const Point& q : p) {
        x0 = std::fmin(x0, q.x);
        x1 = std::fmax(x1, q.x);
        y0 = std::fmin(y0, q.y);
        y1 = std::fmax(y1, q.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

struct ccColor3B {
    uint8_t r = 0, g = 0, b = 0;
    friend constexpr bool operator==(ccColor3B x, ccColor3B y) {
        return x.r == y.r && x.g == y.g && x.b == y.b;
    }
};

struct ccColor4B {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

using ccTime = float;

inline constexpr ccColor3B ccWHITE{255, 255, 255};
inline constexpr ccColor3B ccBLACK{0, 0, 0};

inline constexpr Point ccp(float x, float y) {
    return {x, y};
}
