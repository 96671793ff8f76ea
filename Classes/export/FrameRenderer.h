#pragma once

#include <QImage>
#include <QSize>

#include <memory>

class Frame;
class Sprite;

// Draws a frame as playback shows it: the white stage, the frame's background and its items
// whole (full opacity, bubble text shown, no joints), and nothing else: no onion skin, no
// handle, no palettes.
//
// Items are drawn where they stand, through the engine's renderer, without taking them from
// the layer that holds them: the editor's stage keeps showing its frame while an export runs.
// What the stage changes for editing (opacity, hidden bubble text, shown joints) is set for
// the drawing and put back right after. Main thread only, like every scene node.
class FrameRenderer {
public:
    explicit FrameRenderer(QSize pixels);
    ~FrameRenderer();

    QSize pixels() const { return pixels_; }
    // Opaque picture of the frame, Format_ARGB32_Premultiplied.
    QImage render(const Frame& frame);

private:
    void setBackground(const Frame& frame);

    QSize pixels_;
    // The background sprite stays from one frame to the next while the background does.
    int backgroundCode_ = -1;
    qint64 backgroundPictureKey_ = 0;
    std::shared_ptr<Sprite> background_;
};
