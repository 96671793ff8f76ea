#include "export/ExportOptions.h"

#include <QStringList>

bool ExportOptions::isSupportedSize(QSize size) {
    return size == QSize(480, 320) || size == QSize(960, 640);
}

QString formatName(ExportFormat format) {
    switch (format) {
    case ExportFormat::Mp4:
        return QStringLiteral("mp4");
    case ExportFormat::Gif:
        return QStringLiteral("gif");
    case ExportFormat::Png:
        return QStringLiteral("png");
    }
    return QString();
}

std::optional<ExportFormat> formatFromName(const QString& name) {
    for (ExportFormat f : {ExportFormat::Mp4, ExportFormat::Gif, ExportFormat::Png})
        if (name.compare(formatName(f), Qt::CaseInsensitive) == 0)
            return f;
    return std::nullopt;
}

QString formatExtension(ExportFormat format) {
    return format == ExportFormat::Png ? QString() : QLatin1Char('.') + formatName(format);
}

std::optional<QSize> sizeFromName(const QString& name) {
    const QStringList parts = name.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return std::nullopt;
    bool okW = false, okH = false;
    const QSize size(parts[0].toInt(&okW), parts[1].toInt(&okH));
    if (!okW || !okH || !ExportOptions::isSupportedSize(size))
        return std::nullopt;
    return size;
}
