// kelvora-contactsheet: every rendered picture of the resource folder on one labelled page.
//
//   kelvora-contactsheet --resources DIR [--sources ARTDIR] [--only GROUP] [--hd] -o SHEET.png
//
// Pictures are grouped by the art folder their source lives in (when --sources is given) and
// drawn at 1× on a checkerboard, so transparency and the picture bounds show. Two stage views
// come first: figures in their default pose at the palette's scale 0.3, and every weapon at its
// palette scale with its firing point marked and its bullet placed there. --hd draws the whole
// sheet at twice the size from the "-hd" pictures; --only limits the sheet to one group.

#include "ArtFacts.h"
#include "engine/CCTextureCache.h"
#include "platform/Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <optional>
#include <vector>

namespace {

constexpr double kSheetWidth = 1400;
constexpr double kMargin = 16;
constexpr double kGap = 14;
constexpr QSizeF kMaxCell(240, 170);

struct Options {
    QString resources;
    QString sources;
    QString output;
    QString only;
    bool hd = false;
};

class Pictures {
public:
    Pictures(QString dir, bool hd) : dir_(std::move(dir)), hd_(hd) {}

    // The picture in points; null when the file is missing or does not decode.
    QImage get(const QString& name) const {
        if (auto it = cache_.find(name); it != cache_.end())
            return *it;
        QImage image;
        if (hd_) {
            const int dot = name.lastIndexOf(QLatin1Char('.'));
            image.load(QDir(dir_).filePath(name.left(dot) + QLatin1String("-hd") + name.mid(dot)));
            image.setDevicePixelRatio(2);
        } else {
            image.load(QDir(dir_).filePath(name));
        }
        cache_.insert(name, image);
        return image;
    }

    static QSizeF pointSize(const QImage& image) { return image.deviceIndependentSize(); }

private:
    QString dir_;
    bool hd_;
    mutable QMap<QString, QImage> cache_;
};

// The figure's colour multiplies its light limb pictures.
QImage tinted(const QImage& source, QColor colour) {
    QImage out = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(1);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.fillRect(out.rect(), colour);
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    QImage alpha = source;
    alpha.setDevicePixelRatio(1);
    p.drawImage(0, 0, alpha);
    p.end();
    out.setDevicePixelRatio(source.devicePixelRatio());
    return out;
}

void drawCheckerboard(QPainter& p, const QRectF& r) {
    p.save();
    p.setClipRect(r);
    p.fillRect(r, QColor(0xff, 0xff, 0xff));
    constexpr double square = 8;
    for (double y = r.top(); y < r.bottom(); y += square)
        for (double x = r.left(); x < r.right(); x += square)
            if ((int(std::lround((x - r.left()) / square)) +
                 int(std::lround((y - r.top()) / square))) %
                2)
                p.fillRect(QRectF(x, y, square, square), QColor(0xe4, 0xe4, 0xe4));
    p.restore();
}

// Draws a sprite as the engine does: centred on a stage point, scaled, turned clockwise.
void drawSprite(QPainter& p, const QImage& image, QPointF centre, double scale, double degrees) {
    if (image.isNull())
        return;
    const QSizeF size = Pictures::pointSize(image) * scale;
    p.save();
    p.translate(centre);
    p.rotate(degrees);
    p.drawImage(QRectF(QPointF(-size.width() / 2, -size.height() / 2), size), image);
    p.restore();
}

void drawCross(QPainter& p, QPointF at, QColor colour) {
    p.save();
    p.setPen(QPen(colour, 1));
    p.drawLine(at - QPointF(5, 0), at + QPointF(5, 0));
    p.drawLine(at - QPointF(0, 5), at + QPointF(0, 5));
    p.restore();
}

// A default figure at scale 0.3 whose body centre stands at the given sheet point.
void drawFigure(QPainter& p, const Pictures& pics, QPointF bodyCentre, QColor colour,
                bool showJoints) {
    static const std::optional<artfacts::FigurePose> pose = artfacts::defaultPose(0.3);
    if (!pose)
        return;
    const QPointF body = ((*pose)[Hmn::Body].head + (*pose)[Hmn::Body].tail) / 2;
    // Stage points have y upwards; the sheet's go down.
    const auto toSheet = [&](QPointF q) {
        return bodyCentre + QPointF(q.x() - body.x(), body.y() - q.y());
    };
    const QImage joint = pics.get("joint.png");
    for (const artfacts::LimbPose& limb : *pose) {
        const QPointF head = toSheet(limb.head), tail = toSheet(limb.tail);
        const QPointF up = head - tail;
        const double degrees = std::atan2(up.x(), -up.y()) * 180 / std::numbers::pi;
        drawSprite(p, tinted(pics.get(limb.picture), colour), (head + tail) / 2, 0.3, degrees);
        if (showJoints) {
            drawSprite(p, joint, head, 0.6, 0);
            drawSprite(p, joint, tail, 0.6, 0);
        }
    }
}

struct Block {
    QSizeF size;
    std::function<void(QPainter&, QPointF)> paint;
};

QFont labelFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    return font;
}

Block pictureCell(const Pictures& pics, const QString& name) {
    const QImage image = pics.get(name);
    const QSizeF natural = image.isNull() ? QSizeF(40, 40) : Pictures::pointSize(image);
    const double fit =
        std::min({1.0, kMaxCell.width() / natural.width(), kMaxCell.height() / natural.height()});
    const QSizeF shown = natural * fit;
    QString label = name;
    QString detail = image.isNull()
                         ? QStringLiteral("does not load")
                         : QStringLiteral("%1 × %2").arg(natural.width()).arg(natural.height());
    if (fit < 1)
        detail += QStringLiteral("  (shown at %1)").arg(fit, 0, 'f', 2);
    const QFontMetricsF fm(labelFont());
    const double width =
        std::max({shown.width(), fm.horizontalAdvance(label), fm.horizontalAdvance(detail)});
    const double height = shown.height() + 4 + 2 * fm.height();
    return {QSizeF(width, height), [=](QPainter& p, QPointF at) {
                const QRectF box(at, shown);
                drawCheckerboard(p, box);
                if (!image.isNull())
                    p.drawImage(box, image);
                else
                    p.fillRect(box, QColor(0xd2, 0x3b, 0x30));
                p.setPen(QPen(QColor(0x8a, 0x9a, 0xb0), 0));
                p.setBrush(Qt::NoBrush);
                p.drawRect(box);
                p.setFont(labelFont());
                p.setPen(QColor(0x23, 0x23, 0x23));
                p.drawText(QPointF(at.x(), box.bottom() + 4 + fm.ascent()), label);
                p.setPen(QColor(0x70, 0x70, 0x70));
                p.drawText(QPointF(at.x(), box.bottom() + 4 + fm.height() + fm.ascent()), detail);
            }};
}

// Figures in front of one background: black, red with its joints shown, and white.
Block figureStage(const Pictures& pics, const QString& background) {
    const QSizeF stage(480, 320);
    return {stage, [&pics, stage, background](QPainter& p, QPointF at) {
                const QRectF box(at, stage);
                const QImage bg = pics.get(background);
                if (!bg.isNull())
                    p.drawImage(box, bg);
                else
                    p.fillRect(box, QColor(0xf4, 0xf4, 0xf4));
                // 110 points: how tall a figure added from the toolbar should stand.
                p.setPen(QPen(QColor(0x20, 0x90, 0xd0), 1));
                p.drawLine(at + QPointF(20, 105), at + QPointF(20, 215));
                p.drawLine(at + QPointF(14, 105), at + QPointF(26, 105));
                p.drawLine(at + QPointF(14, 215), at + QPointF(26, 215));
                drawFigure(p, pics, at + QPointF(110, 160), Qt::black, false);
                drawFigure(p, pics, at + QPointF(240, 160), QColor(225, 16, 16), true);
                drawFigure(p, pics, at + QPointF(370, 160), Qt::white, false);
                p.setPen(QPen(Qt::black, 0));
                p.drawRect(box);
            }};
}

Block weaponStage(const Pictures& pics) {
    // Each weapon at its palette scale, its firing point marked and its bullet put there.
    const QSizeF stage(960, 420);
    return {stage, [&pics, stage](QPainter& p, QPointF at) {
                const QRectF box(at, stage);
                p.fillRect(box, QColor(0xf4, 0xf4, 0xf4));
                drawFigure(p, pics, at + QPointF(50, 150), Qt::black, false);
                double x = 110, y = 40, rowHeight = 0;
                static const std::vector<artfacts::WeaponShot> shots = artfacts::weaponShots();
                for (const auto& w : shots) {
                    const QImage image = w.made ? pics.get(w.picture) : QImage();
                    if (image.isNull())
                        continue;
                    const QSizeF size = Pictures::pointSize(image) * w.scale;
                    if (x + size.width() > stage.width() - 20) {
                        x = 110;
                        y += rowHeight + 34;
                        rowHeight = 0;
                    }
                    const QPointF centre =
                        at + QPointF(x + size.width() / 2, y + size.height() / 2);
                    drawSprite(p, image, centre, w.scale, 0);
                    const QPointF firing =
                        centre - QPointF(size.width(), size.height()) / 2 + w.firingPoint * w.scale;
                    if (!w.bullet.isEmpty())
                        drawSprite(p, pics.get(w.bullet), firing, w.bulletScale, 0);
                    drawCross(p, firing, QColor(0x00, 0xa0, 0xe0));
                    x += size.width() + 40;
                    rowHeight = std::max(rowHeight, size.height());
                }
                p.setPen(QPen(Qt::black, 0));
                p.drawRect(box);
            }};
}

Block heading(const QString& text) {
    QFont font = labelFont();
    font.setPixelSize(16);
    font.setBold(true);
    const QFontMetricsF fm(font);
    return {QSizeF(fm.horizontalAdvance(text), fm.height()), [=](QPainter& p, QPointF at) {
                p.setFont(font);
                p.setPen(QColor(0x23, 0x23, 0x23));
                p.drawText(QPointF(at.x(), at.y() + fm.ascent()), text);
            }};
}

int run(const Options& options) {
    const Pictures pics(options.resources, options.hd);

    // Group every 1× picture by the art folder its source came from.
    QMap<QString, QString> origin;
    if (!options.sources.isEmpty()) {
        const QDir art(options.sources);
        QDirIterator it(options.sources, {QStringLiteral("*.svg")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            origin.insert(info.fileName().chopped(4), art.relativeFilePath(info.path()));
        }
    }
    QMap<QString, QStringList> groups;
    const QStringList files =
        QDir(options.resources)
            .entryList({QStringLiteral("*.png"), QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")},
                       QDir::Files, QDir::Name);
    for (const QString& file : files) {
        if (QFileInfo(file).completeBaseName().endsWith(QLatin1String("-hd")))
            continue;
        groups[origin.value(file, QStringLiteral("other"))].append(file);
    }
    QStringList order = {QStringLiteral("figure"), QStringLiteral("weapons"), QStringLiteral("ui")};
    for (const QString& group : groups.keys())
        if (!order.contains(group))
            order.append(group);

    // Lay out: headings, then cells flowing in rows.
    std::vector<std::pair<QPointF, Block>> placed;
    int pictureCount = 0;
    double y = kMargin;
    auto addSection = [&](const QString& title, const std::vector<Block>& blocks) {
        Block h = heading(title);
        placed.emplace_back(QPointF(kMargin, y), h);
        y += h.size.height() + 8;
        double x = kMargin, rowHeight = 0;
        for (const Block& b : blocks) {
            if (x > kMargin && x + b.size.width() > kSheetWidth - kMargin) {
                x = kMargin;
                y += rowHeight + kGap;
                rowHeight = 0;
            }
            placed.emplace_back(QPointF(x, y), b);
            x += b.size.width() + kGap;
            rowHeight = std::max(rowHeight, b.size.height());
        }
        y += rowHeight + 2 * kGap;
    };
    const bool all = options.only.isEmpty();
    if (all || options.only == QLatin1String("stage")) {
        std::vector<Block> stages;
        for (const char* bg :
             {"background-castle.jpeg", "background-western.jpeg", "background-street.jpeg",
              "background-warehouse.jpeg", "background-roof.jpg", "background-concert.jpg",
              "background-dojo.jpg", "background-battlefield.jpg", "background-graveyard.png"})
            stages.push_back(figureStage(pics, QString::fromLatin1(bg)));
        stages.push_back(weaponStage(pics));
        addSection(QStringLiteral("Stage: figures at scale 0.3 on every background, weapons at "
                                  "palette scale"),
                   stages);
    }
    for (const QString& group : order) {
        if (!groups.contains(group) || (!all && options.only != group))
            continue;
        std::vector<Block> cells;
        for (const QString& name : groups[group])
            cells.push_back(pictureCell(pics, name));
        pictureCount += int(cells.size());
        addSection(group, cells);
    }

    const double zoom = options.hd ? 2 : 1;
    QImage sheet(QSize(int(kSheetWidth * zoom), int(std::ceil(y * zoom))),
                 QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0xfa, 0xfa, 0xf7));
    QPainter p(&sheet);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                     QPainter::TextAntialiasing);
    p.scale(zoom, zoom);
    for (const auto& [at, block] : placed)
        block.paint(p, at);
    p.end();
    if (!sheet.save(options.output)) {
        std::fprintf(stderr, "kelvora-contactsheet: cannot write %s\n", qPrintable(options.output));
        return 1;
    }
    std::printf("%s: %d pictures\n", qPrintable(options.output), pictureCount);
    return 0;
}

// Qt's start-up chatter (no runtime folder on a build machine and the like) is not news here.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

int usage() {
    std::fprintf(stderr, "usage: kelvora-contactsheet --resources DIR [--sources ARTDIR] "
                         "[--only GROUP] [--hd] -o SHEET.png\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    QGuiApplication app(argc, argv);
    CCTextureCache::setResourceLocator(&platform::resourcePath);
    Options options;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--resources") && hasValue)
            options.resources = args[++i];
        else if (a == QLatin1String("--sources") && hasValue)
            options.sources = args[++i];
        else if (a == QLatin1String("--only") && hasValue)
            options.only = args[++i];
        else if (a == QLatin1String("-o") && hasValue)
            options.output = args[++i];
        else if (a == QLatin1String("--hd"))
            options.hd = true;
        else
            return usage();
    }
    if (options.resources.isEmpty() || options.output.isEmpty())
        return usage();
    // The item classes that give the figure's pose and the firing points load these pictures.
    qputenv("KELVORA_RESOURCES", QFile::encodeName(QDir(options.resources).absolutePath()));
    return run(options);
}
