#include "engine/CCLabelTTF.h"

#include "engine/CCDirector.h"
#include "engine/CCTextureCache.h"

#include <QFontDatabase>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace {

const QString kLiberationSans = QStringLiteral("Liberation Sans");

bool ensureLiberationSans() {
    static const bool available = [] {
        if (QFontDatabase::families().contains(kLiberationSans))
            return true;
        const char* files[] = {"/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
                               "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"};
        for (const char* f : files)
            if (QFontDatabase::addApplicationFont(QString::fromLatin1(f)) >= 0)
                return true;
        return false;
    }();
    return available;
}

struct LaidOutText {
    std::unique_ptr<QTextLayout> layout;
    int lines = 0;
    qreal width = 0;
    qreal lineHeight = 0;
};

// Lays the text out in lines of at most `maxWidth` (0: unlimited), stopping after the lines
// that fit in `maxHeight` (0: unlimited; at least one line).
LaidOutText layoutText(const QString& text, const QFont& font, qreal maxWidth, qreal maxHeight) {
    LaidOutText out;
    QString t = text;
    t.replace(QLatin1Char('\n'), QChar::LineSeparator);
    out.layout = std::make_unique<QTextLayout>(t, font);
    QTextOption opt;
    opt.setWrapMode(maxWidth > 0 ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    out.layout->setTextOption(opt);
    const QFontMetricsF fm(font);
    out.lineHeight = fm.lineSpacing();
    if (t.isEmpty())
        return out;
    out.layout->beginLayout();
    qreal y = 0;
    for (;;) {
        if (out.lines > 0 && maxHeight > 0 && y + out.lineHeight > maxHeight + 1e-3)
            break;
        QTextLine line = out.layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(maxWidth > 0 ? maxWidth : 1e6);
        line.setPosition(QPointF(0, y));
        out.width = std::max(out.width, line.naturalTextWidth());
        y += out.lineHeight;
        ++out.lines;
    }
    out.layout->endLayout();
    return out;
}

} // namespace

QFont ccFontWithName(const QString& name, float size) {
    QString family = name;
    if (name.startsWith(QStringLiteral("Helvetica"), Qt::CaseInsensitive) ||
        name.startsWith(QStringLiteral("Arial"), Qt::CaseInsensitive)) {
        ensureLiberationSans();
        family = kLiberationSans;
    }
    QFont f(family);
    f.setPixelSize(std::max(1, int(std::lround(size))));
    f.setBold(name.contains(QStringLiteral("Bold"), Qt::CaseInsensitive));
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

Size ccSizeWithFont(const QString& text, const QString& fontName, float fontSize,
                    Size constrained) {
    const LaidOutText t =
        layoutText(text, ccFontWithName(fontName, fontSize), constrained.width, constrained.height);
    if (t.lines == 0)
        return Size(0, 0);
    return Size(float(std::ceil(t.width)), float(std::ceil(t.lines * t.lineHeight)));
}

std::shared_ptr<CCLabelTTF> CCLabelTTF::labelWithString(const QString& text, Size dimensions,
                                                        int alignment, const QString& fontName,
                                                        float fontSize) {
    return ccCreate<CCLabelTTF>([&](CCLabelTTF& l) {
        return l.initWithString(text, dimensions, alignment, fontName, fontSize);
    });
}

std::shared_ptr<CCLabelTTF> CCLabelTTF::labelWithString(const QString& text,
                                                        const QString& fontName, float fontSize) {
    return ccCreate<CCLabelTTF>(
        [&](CCLabelTTF& l) { return l.initWithString(text, fontName, fontSize); });
}

std::shared_ptr<Label> Label::labelWithString(const QString& text, Size dimensions, int alignment,
                                              const QString& fontName, float fontSize) {
    return ccCreate<Label>([&](Label& l) {
        return l.initWithString(text, dimensions, alignment, fontName, fontSize);
    });
}

std::shared_ptr<Label> Label::labelWithString(const QString& text, const QString& fontName,
                                              float fontSize) {
    return ccCreate<Label>([&](Label& l) { return l.initWithString(text, fontName, fontSize); });
}

bool CCLabelTTF::initWithString(const QString& text, Size dimensions, int alignment,
                                const QString& fontName, float fontSize) {
    init();
    dimensions_ = dimensions;
    fitToText_ = false;
    alignment_ = alignment;
    fontName_ = fontName;
    fontSize_ = fontSize;
    setString(text);
    return true;
}

bool CCLabelTTF::initWithString(const QString& text, const QString& fontName, float fontSize) {
    init();
    fitToText_ = true;
    alignment_ = CCTextAlignmentCenter;
    fontName_ = fontName;
    fontSize_ = fontSize;
    setString(text);
    return true;
}

void CCLabelTTF::setString(const QString& text) {
    string_ = text;
    if (fitToText_)
        dimensions_ = ccSizeWithFont(string_, fontName_, fontSize_, Size(0, 0));
    // Many labels are never drawn (frames that are not shown): render on first use.
    releasePicture();
    setTextureRect(Rect(Point(0, 0), dimensions_));
}

void CCLabelTTF::releasePicture() {
    rendered_ = false;
    texture_.reset();
}

void CCLabelTTF::onExit() {
    CCSprite::onExit();
    releasePicture();
}

const CCTexture2DPtr& CCLabelTTF::texture() const {
    if (!rendered_)
        render();
    return texture_;
}

void CCLabelTTF::draw(Renderer& r) {
    if (!rendered_)
        render();
    CCSprite::draw(r);
}

void CCLabelTTF::render() const {
    const QFont font = ccFontWithName(fontName_, fontSize_);
    const LaidOutText t = layoutText(string_, font, fitToText_ ? 0 : dimensions_.width,
                                     fitToText_ ? 0 : dimensions_.height);
    const qreal sf = std::max<qreal>(1, CCDirector::sharedDirector().contentScaleFactor());
    const int w = std::max(1, int(std::ceil(dimensions_.width * sf)));
    const int h = std::max(1, int(std::ceil(dimensions_.height * sf)));
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (t.lines > 0) {
        QPainter p(&image);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(sf, sf);
        p.setPen(Qt::white);
        for (int i = 0; i < t.lines; ++i) {
            const QTextLine line = t.layout->lineAt(i);
            qreal x = 0;
            if (!fitToText_) {
                if (alignment_ == CCTextAlignmentCenter)
                    x = (dimensions_.width - line.naturalTextWidth()) / 2;
                else if (alignment_ == CCTextAlignmentRight)
                    x = dimensions_.width - line.naturalTextWidth();
            }
            line.draw(&p, QPointF(x - line.x(), 0));
        }
    }
    // Rendering fills in what setString left for later; it changes nothing one can observe.
    auto* self = const_cast<CCLabelTTF*>(this);
    self->texture_ = std::make_shared<CCTexture2D>(std::move(image), float(1 / sf));
    self->rendered_ = true;
}
