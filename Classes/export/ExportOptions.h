#pragma once

#include <QSize>
#include <QString>

#include <optional>

enum class ExportFormat { Mp4, Gif, Png };

// What an export makes and where.
struct ExportOptions {
    ExportFormat format = ExportFormat::Mp4;
    // 480 × 320 (the stage at one pixel a point) or 960 × 640 (two).
    QSize size = QSize(960, 640);
    // The file made (MP4, GIF) or the new folder the numbered pictures go into (PNG).
    QString output;
    // GIF only: error diffusion over the one palette. Off gives flat areas without grain.
    bool dither = true;

    static bool isSupportedSize(QSize size);
};

// "mp4", "gif", "png" and back.
QString formatName(ExportFormat format);
std::optional<ExportFormat> formatFromName(const QString& name);
// The usual extension of the format's file ("" for the folder of pictures).
QString formatExtension(ExportFormat format);
// "480x320" or "960x640"; nothing for any other size.
std::optional<QSize> sizeFromName(const QString& name);
