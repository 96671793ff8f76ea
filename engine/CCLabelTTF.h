#pragma once

#include "engine/CCSprite.h"

#include <QFont>

// Text alignment inside a label's dimensions: 0 left, 1 centred, 2 right.
enum CCTextAlignment {
    CCTextAlignmentLeft = 0,
    CCTextAlignmentCenter = 1,
    CCTextAlignmentRight = 2
};

// A sprite showing a string rendered in a named font, top-aligned inside its dimensions and
// wrapped at word boundaries. Drawn white, so `setColor:` tints the text.
class CCLabelTTF : public CCSprite {
public:
    static std::shared_ptr<CCLabelTTF> labelWithString(const QString& text, Size dimensions,
                                                       int alignment, const QString& fontName,
                                                       float fontSize);
    // Dimensions fitted to the text.
    static std::shared_ptr<CCLabelTTF> labelWithString(const QString& text, const QString& fontName,
                                                       float fontSize);

    bool initWithString(const QString& text, Size dimensions, int alignment,
                        const QString& fontName, float fontSize);
    bool initWithString(const QString& text, const QString& fontName, float fontSize);

    // Keeps the text; the picture of it is made when it is first drawn (or asked for).
    void setString(const QString& text);
    const QString& string() const { return string_; }
    Size dimensions() const { return dimensions_; }
    int alignment() const { return alignment_; }
    const QString& fontName() const { return fontName_; }
    float fontSize() const { return fontSize_; }
    // The rendered text (made now if it has not been yet).
    const CCTexture2DPtr& texture() const;
    bool hasPicture() const { return rendered_; }
    // Lets the picture of the text go; it is made again when next drawn.
    void releasePicture();

    void draw(Renderer& r) override;
    // Off the screen the picture goes: a long animation may have a bubble in every frame, and
    // playing it through would otherwise keep all their pictures.
    void onExit() override;

private:
    void render() const;
    bool rendered_ = false;

    QString string_;
    Size dimensions_;
    bool fitToText_ = false;
    int alignment_ = CCTextAlignmentCenter;
    QString fontName_;
    float fontSize_ = 0;
};

class Label : public CCLabelTTF {
public:
    static std::shared_ptr<Label> labelWithString(const QString& text, Size dimensions,
                                                  int alignment, const QString& fontName,
                                                  float fontSize);
    static std::shared_ptr<Label> labelWithString(const QString& text, const QString& fontName,
                                                  float fontSize);
};

// The font for a name the program uses; "Helvetica" is Liberation Sans (same metrics), so text
// measures the same on every machine. `size` is in points.
QFont ccFontWithName(const QString& name, float size);

// The size a text takes in a font when wrapped at word boundaries to `constrained.width`,
// counting only the lines that fit in `constrained.height` (a zero component means no limit).
Size ccSizeWithFont(const QString& text, const QString& fontName, float fontSize, Size constrained);
