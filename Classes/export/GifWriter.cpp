#include "export/GifWriter.h"

#include <QFile>

#include <gif_lib.h>
#include <libimagequant.h>

#include <cerrno>
#include <cstring>

GifWriter::GifWriter(QString path, QSize size, FrameRate rate, int frameCount, bool dither)
    : path_(std::move(path)), size_(size), frameCount_(frameCount), dither_(dither),
      delays_(gifDelays(rate, frameCount)) {}

GifWriter::~GifWriter() {
    if (gif_)
        EGifCloseFile(gif_, nullptr);
    if (file_)
        std::fclose(file_);
    if (palette_)
        liq_result_destroy(palette_);
    if (histogram_)
        liq_histogram_destroy(histogram_);
    if (attr_)
        liq_attr_destroy(attr_);
}

int GifWriter::write(GifFileType* gif, const unsigned char* bytes, int length) {
    auto* self = static_cast<GifWriter*>(gif->UserData);
    const size_t written = std::fwrite(bytes, 1, size_t(length), self->file_);
    if (written != size_t(length) && !self->writeErrno_)
        self->writeErrno_ = errno ? errno : EIO;
    return int(written);
}

bool GifWriter::gifFailed(QString* error, int code) {
    if (error) {
        const QString why = writeErrno_ ? QString::fromLocal8Bit(std::strerror(writeErrno_))
                                        : QString::fromLatin1(GifErrorString(code));
        *error = QStringLiteral("Could not write %1: %2").arg(path_, why);
    }
    return false;
}

bool GifWriter::begin(QString* error) {
    attr_ = liq_attr_create();
    histogram_ = attr_ ? liq_histogram_create(attr_) : nullptr;
    // Speed 8 of 10: mapping frames onto the palette without the dither map, several times
    // faster; the palette itself is still chosen with care (see bench/export).
    if (!histogram_ || liq_set_max_colors(attr_, 256) != LIQ_OK ||
        liq_set_speed(attr_, 8) != LIQ_OK) {
        if (error)
            *error = QStringLiteral("Could not start choosing the colours");
        return false;
    }
    file_ = std::fopen(QFile::encodeName(path_).constData(), "wb");
    if (!file_) {
        if (error)
            *error = QStringLiteral("Could not write %1: %2")
                         .arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    indices_.resize(size_t(size_.width()) * size_t(size_.height()));
    return true;
}

bool GifWriter::startFile(QString* error) {
    if (liq_histogram_quantize(histogram_, attr_, &palette_) != LIQ_OK) {
        if (error)
            *error = QStringLiteral("Could not choose the colours of %1").arg(path_);
        return false;
    }
    liq_set_dithering_level(palette_, dither_ ? 1.0f : 0.0f);
    // The palette as chosen from every frame; mapping a frame refines its own copy only.
    const liq_palette* chosen = liq_get_palette(palette_);
    // A GIF colour map has a power of two entries.
    int entries = 2;
    while (entries < int(chosen->count))
        entries *= 2;
    std::vector<GifColorType> colours(size_t(entries), GifColorType{0, 0, 0});
    for (unsigned i = 0; i < chosen->count; ++i)
        colours[i] = GifColorType{chosen->entries[i].r, chosen->entries[i].g, chosen->entries[i].b};
    int code = 0;
    gif_ = EGifOpen(this, &GifWriter::write, &code);
    if (!gif_)
        return gifFailed(error, code);
    EGifSetGifVersion(gif_, true);
    ColorMapObject* map = GifMakeMapObject(entries, colours.data());
    const int rc = EGifPutScreenDesc(gif_, size_.width(), size_.height(), 8, 0, map);
    GifFreeMapObject(map);
    if (rc == GIF_ERROR)
        return gifFailed(error, gif_->Error);
    // Loop for ever (the NETSCAPE2.0 extension, count 0).
    static const unsigned char kLoop[3] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 11, "NETSCAPE2.0") == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 3, kLoop) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif_) == GIF_ERROR)
        return gifFailed(error, gif_->Error);
    return true;
}

bool GifWriter::addFrame(int pass, int index, const QImage& image, QString* error) {
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    liq_image* picture =
        liq_image_create_rgba(attr_, rgba.constBits(), rgba.width(), rgba.height(), 0);
    if (!picture) {
        if (error)
            *error = QStringLiteral("Could not take frame %1").arg(index + 1);
        return false;
    }
    if (pass == 0) {
        const liq_error rc = liq_histogram_add_image(histogram_, attr_, picture);
        liq_image_destroy(picture);
        if (rc != LIQ_OK && error)
            *error = QStringLiteral("Could not count the colours of frame %1").arg(index + 1);
        return rc == LIQ_OK;
    }
    if (!gif_ && !startFile(error)) {
        liq_image_destroy(picture);
        return false;
    }
    const liq_error rc =
        liq_write_remapped_image(palette_, picture, indices_.data(), indices_.size());
    liq_image_destroy(picture);
    if (rc != LIQ_OK) {
        if (error)
            *error = QStringLiteral("Could not map frame %1 onto the palette").arg(index + 1);
        return false;
    }
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = delays_[size_t(index)];
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_ERROR ||
        EGifPutImageDesc(gif_, 0, 0, size_.width(), size_.height(), false, nullptr) == GIF_ERROR ||
        EGifPutLine(gif_, indices_.data(), int(indices_.size())) == GIF_ERROR)
        return gifFailed(error, gif_->Error);
    return true;
}

bool GifWriter::finish(QString* error) {
    if (!gif_ && !startFile(error))
        return false;
    int code = 0;
    const int rc = EGifCloseFile(gif_, &code);
    gif_ = nullptr;
    if (rc == GIF_ERROR)
        return gifFailed(error, code);
    const bool flushed = std::fflush(file_) == 0;
    const int flushErrno = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed || writeErrno_) {
        if (!writeErrno_)
            writeErrno_ = flushErrno ? flushErrno : EIO;
        return gifFailed(error, 0);
    }
    return true;
}
