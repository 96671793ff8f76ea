#pragma once

#include "export/ExportSink.h"

// One PNG file a frame, "frame-0001.png" on, in a folder.
class PngSequenceWriter : public ExportSink {
public:
    explicit PngSequenceWriter(QString folder, int frameCount);

    bool begin(QString* error) override;
    bool addFrame(int pass, int index, const QImage& image, QString* error) override;
    bool finish(QString* error) override;

    // The file name of frame `index` (from 0) of an export of `frameCount` frames: numbered
    // from 1, with at least four digits, so that they sort in order.
    static QString fileName(int index, int frameCount);

private:
    QString folder_;
    int frameCount_;
};
