#include "engine/CCTexture2D.h"

CCTexture2D::CCTexture2D(QImage image, float pointsPerPixel)
    // Opaque pictures (backgrounds) stay opaque, so drawing them is a plain copy.
    : image_(image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                           : QImage::Format_RGB32)),
      contentSize_(float(image.width()) * pointsPerPixel, float(image.height()) * pointsPerPixel) {
    static uint64_t nextSerial = 0;
    serial_ = ++nextSerial;
    image_.setDevicePixelRatio(1);
}

const QImage& CCTexture2D::tinted(ccColor3B tint) const {
    if (tint == ccWHITE)
        return image_;
    const uint32_t key = (uint32_t(tint.r) << 16) | (uint32_t(tint.g) << 8) | tint.b;
    auto it = tints_.find(key);
    if (it != tints_.end())
        return it->second;
    // Items are tinted with a handful of colours; keep the cache from growing without bound
    // when something animates its colour.
    if (tints_.size() >= 16)
        tints_.clear();
    return tints_.emplace(key, ccMultiplyImage(image_, tint, 255)).first->second;
}

QImage ccMultiplyImage(const QImage& src, ccColor3B rgb, uint8_t alpha) {
    const bool opaque = src.format() == QImage::Format_RGB32 && alpha == 255;
    QImage out(src.size(), opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    const int n = src.width();
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(src.constScanLine(y));
        auto* o = reinterpret_cast<uint32_t*>(out.scanLine(y));
        for (int x = 0; x < n; ++x) {
            const uint32_t p = in[x];
            const uint32_t a = ((p >> 24) * alpha + 127) / 255;
            const uint32_t r = (((p >> 16) & 0xff) * rgb.r + 127) / 255;
            const uint32_t g = (((p >> 8) & 0xff) * rgb.g + 127) / 255;
            const uint32_t b = ((p & 0xff) * rgb.b + 127) / 255;
            o[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    return out;
}
