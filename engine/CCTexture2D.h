#pragma once

#include "base/Types.h"

#include <QImage>

#include <memory>
#include <unordered_map>

// A picture ready to draw: premultiplied pixels (or opaque ones) plus its size in points.
class CCTexture2D {
public:
    // `pointsPerPixel` is 0.5 for a high-resolution ("-hd") picture, 1 otherwise.
    CCTexture2D(QImage image, float pointsPerPixel);

    const QImage& image() const { return image_; }
    // Unique for the life of the program (unlike addresses, which are reused).
    uint64_t serial() const { return serial_; }
    Size contentSize() const { return contentSize_; }
    int pixelsWide() const { return image_.width(); }
    int pixelsHigh() const { return image_.height(); }

    // The picture with every pixel's colour multiplied by `tint` (premultiplied). White gives
    // the picture itself. Results are cached per colour.
    const QImage& tinted(ccColor3B tint) const;

private:
    QImage image_;
    Size contentSize_;
    uint64_t serial_;
    mutable std::unordered_map<uint32_t, QImage> tints_;
};

using CCTexture2DPtr = std::shared_ptr<CCTexture2D>;

// Multiplies each premultiplied pixel's red, green, blue by the given factors (0..255) and its
// alpha by `alpha` (0..255). Used for tints and for drawing without opacity-modified colour.
QImage ccMultiplyImage(const QImage& premultiplied, ccColor3B rgb, uint8_t alpha);
