#pragma once

#include "export/ExportSink.h"
#include "export/ExportTiming.h"

#include <QSize>

#include <cstdio>
#include <vector>

struct GifFileType;
struct liq_attr;
struct liq_histogram;
struct liq_result;

// An animated GIF that loops for ever, every frame drawn with one palette of up to 256 colours
// (the file's global colour map) that libimagequant chooses from all the frames: the frames
// come twice, first to build the histogram, then to be mapped onto the palette and written.
// Delays come from gifDelays, so the running time never drifts.
class GifWriter : public ExportSink {
public:
    GifWriter(QString path, QSize size, FrameRate rate, int frameCount, bool dither);
    ~GifWriter() override;

    int passes() const override { return 2; }
    bool begin(QString* error) override;
    bool addFrame(int pass, int index, const QImage& image, QString* error) override;
    bool finish(QString* error) override;

private:
    bool startFile(QString* error);
    bool gifFailed(QString* error, int code);
    static int write(GifFileType* gif, const unsigned char* bytes, int length);

    QString path_;
    QSize size_;
    int frameCount_;
    bool dither_;
    std::vector<int> delays_;
    FILE* file_ = nullptr;
    int writeErrno_ = 0;
    GifFileType* gif_ = nullptr;
    liq_attr* attr_ = nullptr;
    liq_histogram* histogram_ = nullptr;
    liq_result* palette_ = nullptr;
    std::vector<unsigned char> indices_;
};
