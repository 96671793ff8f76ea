// kelvora-artc: renders SVG art sources into the resource folder.
//
//   kelvora-artc -o OUTDIR SOURCE.svg...
//
// A source is named after the picture it makes plus ".svg" ("knife-l.png.svg"). Each one is
// rendered at its own width and height in points (1×) and at twice that with "-hd" before the
// extension ("knife-l-hd.png"), as PNG or JPEG as the picture's extension asks. Any source that
// cannot be rendered exactly is reported by name and makes the run fail, so the build stops.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QStringList>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <cstdio>
#include <optional>

namespace {

constexpr int kJpegQuality = 92;

struct Target {
    QString normal; // "knife-l.png"
    QString hd;     // "knife-l-hd.png"
    bool jpeg = false;
};

// QtSvg reports what it cannot draw as warnings; a picture with silently dropped parts is broken.
// Outside rendering only real errors are worth printing (start-up chatter is not).
QStringList* gWarnings = nullptr;

void handleMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (gWarnings && type != QtDebugMsg && type != QtInfoMsg)
        gWarnings->append(message);
    else if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

class WarningCollector {
public:
    WarningCollector() { gWarnings = &messages_; }
    ~WarningCollector() { gWarnings = nullptr; }
    const QStringList& messages() const { return messages_; }

private:
    QStringList messages_;
};

std::optional<Target> targetFor(const QString& sourceName) {
    if (!sourceName.endsWith(QLatin1String(".svg")))
        return std::nullopt;
    const QString picture = sourceName.chopped(4);
    const int dot = picture.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return std::nullopt;
    const QString ext = picture.mid(dot + 1);
    if (ext != QLatin1String("png") && ext != QLatin1String("jpg") && ext != QLatin1String("jpeg"))
        return std::nullopt;
    return Target{picture, picture.left(dot) + QLatin1String("-hd.") + ext, ext != "png"};
}

// Whole points only: the 2× picture must be exactly twice the 1× one, pixel for pixel.
std::optional<QString> checkRootSize(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read");
    QXmlStreamReader xml(&file);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    if (xml.hasError() || xml.name() != QLatin1String("svg"))
        return QStringLiteral("is not an SVG document");
    for (const char* attr : {"width", "height"}) {
        const QString value = xml.attributes().value(QLatin1String(attr)).toString().trimmed();
        QString number = value;
        if (number.endsWith(QLatin1String("px")))
            number.chop(2);
        bool ok = false;
        const int n = number.toInt(&ok);
        if (!ok || n <= 0)
            return QStringLiteral("needs a whole, positive %1 in points (has \"%2\")")
                .arg(QLatin1String(attr), value);
    }
    return std::nullopt;
}

bool save(const QImage& image, const QString& path, bool jpeg, QString* error) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    const bool written =
        jpeg ? image.convertToFormat(QImage::Format_RGB32).save(&out, "JPEG", kJpegQuality)
             : image.save(&out, "PNG");
    if (!written || !out.commit()) {
        *error = QStringLiteral("cannot encode %1").arg(path);
        return false;
    }
    return true;
}

// Renders one source; on failure returns the reason.
std::optional<QString> render(const QString& path, const QDir& outDir) {
    const QFileInfo info(path);
    const std::optional<Target> target = targetFor(info.fileName());
    if (!target)
        return QStringLiteral("must be named after a .png, .jpg or .jpeg picture plus \".svg\"");
    if (!info.isFile())
        return QStringLiteral("does not exist");
    if (const auto sizeError = checkRootSize(path))
        return sizeError;

    WarningCollector warnings;
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return QStringLiteral("is not a valid SVG picture");
    const QSize size = renderer.defaultSize();
    if (size.isEmpty())
        return QStringLiteral("has no size");

    QImage images[2];
    for (int factor = 1; factor <= 2; ++factor) {
        QImage& image = images[factor - 1];
        image = QImage(size * factor, QImage::Format_ARGB32_Premultiplied);
        // JPEG keeps no alpha: what is transparent in the drawing shows as white.
        image.fill(target->jpeg ? Qt::white : Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size * factor)));
    }
    if (!warnings.messages().isEmpty())
        return QStringLiteral("has parts that cannot be drawn: ") + warnings.messages().join("; ");

    const QString names[2] = {target->normal, target->hd};
    for (int i = 0; i < 2; ++i) {
        QString error;
        if (!save(images[i], outDir.filePath(names[i]), target->jpeg, &error))
            return error;
    }
    return std::nullopt;
}

int usage() {
    std::fprintf(stderr, "usage: kelvora-artc -o OUTDIR SOURCE.svg...\n"
                         "       kelvora-artc --icon SIZE -o OUTFILE.png SOURCE.svg\n");
    return 2;
}

// The program's icon at one of the sizes desktops look for, SIZE × SIZE pixels.
int renderIcon(const QString& source, int size, const QString& outFile) {
    WarningCollector warnings;
    QSvgRenderer renderer(source);
    if (!renderer.isValid() || size < 1) {
        std::fprintf(stderr, "kelvora-artc: %s: is not a valid SVG picture\n", qPrintable(source));
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    QDir().mkpath(QFileInfo(outFile).absolutePath());
    QString error;
    if (!warnings.messages().isEmpty() || !save(image, outFile, false, &error)) {
        std::fprintf(stderr, "kelvora-artc: %s: %s\n", qPrintable(source),
                     qPrintable(error.isEmpty() ? warnings.messages().join("; ") : error));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Rendering needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(handleMessage);
    QGuiApplication app(argc, argv);

    QStringList args = app.arguments().mid(1);
    QString outPath;
    QStringList sources;
    int iconSize = 0;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("-o") && i + 1 < args.size())
            outPath = args[++i];
        else if (args[i] == QLatin1String("--icon") && i + 1 < args.size())
            iconSize = args[++i].toInt();
        else if (args[i].startsWith(QLatin1Char('-')))
            return usage();
        else
            sources.append(args[i]);
    }
    if (outPath.isEmpty() || sources.isEmpty())
        return usage();
    if (iconSize > 0)
        return sources.size() == 1 ? renderIcon(sources.front(), iconSize, outPath) : usage();
    QDir outDir(outPath);
    if (!outDir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kelvora-artc: cannot create %s\n", qPrintable(outPath));
        return 1;
    }

    int failures = 0;
    for (const QString& source : sources) {
        if (const auto error = render(source, outDir)) {
            std::fprintf(stderr, "kelvora-artc: %s: %s\n", qPrintable(source), qPrintable(*error));
            ++failures;
            // Leave no picture of an earlier version behind for the build to take as current.
            if (const auto target = targetFor(QFileInfo(source).fileName())) {
                QFile::remove(outDir.filePath(target->normal));
                QFile::remove(outDir.filePath(target->hd));
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
