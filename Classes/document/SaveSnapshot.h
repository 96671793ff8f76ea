#pragma once

#include "engine/CCSprite.h"

#include <QImage>
#include <QString>

#include <memory>
#include <vector>

class Frame;
class SoundEffect;

// What a save writes, taken from the editor in one go before the write starts: the frame and
// item lists as they are then (pointers, nothing serialized yet), so that edits made while the
// write lets the event loop run cannot change the lists it walks.
struct SaveSnapshot {
    struct FrameEntry {
        std::vector<std::shared_ptr<CCSprite>> items;     // the frame's items, in order
        std::vector<std::shared_ptr<SoundEffect>> sounds; // the frame's sounds, in order
        int background = 0;
        QImage backgroundImage; // may be null
    };
    int background = 0;           // the editor's animation background code
    QImage customBackgroundImage; // the editor's own picture (may be null)
    double animationSpeed = 1;
    QString name; // the animation's name in the saves index, kept in the meta ("" for none)
    std::vector<FrameEntry> frames;

    static SaveSnapshot fromFrames(const std::vector<std::shared_ptr<Frame>>& frames,
                                   int background, const QImage& customBackgroundImage,
                                   double animationSpeed, const QString& name = QString());
};
