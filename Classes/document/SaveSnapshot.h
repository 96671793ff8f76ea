#pragma once

#include "document/DurableFile.h"
#include "engine/CCSprite.h"

#include <QImage>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <vector>

class Frame;
class SoundEffect;

// What the last successful save of an animation left in the folder, as much as the next save of
// the same animation needs to write only what changed since.
struct SavedState {
    int saveId = 0;
    QString folder;   // absolute
    QVariantMap meta; // as written in every pack
    // Per frame position: the frame's stamp then (Frame::stamp) and its picture file.
    std::vector<quint64> frameStamps;
    std::vector<QString> pictureFiles;
    // Per pack: the file as the save left it, so that a pack changed behind the program's back
    // is written again.
    std::vector<durable::FileStamp> packStamps;
    // Per frame position: where the frame's XML lies in its pack file (pack -1: not known), so
    // that a later save copies an unchanged frame from there rather than serializing it again.
    struct FramePlace {
        int pack = -1;
        qint64 offset = 0;
        qint64 size = 0;
    };
    std::vector<FramePlace> framePlaces;
};

// What a save writes, taken from the editor in one go before the write starts: the frame and
// item lists as they are then (pointers, nothing serialized yet), so that edits made while the
// write lets the event loop run cannot change the lists it walks.
struct SaveSnapshot {
    struct FrameEntry {
        std::vector<std::shared_ptr<CCSprite>> items;     // the frame's items, in order
        std::vector<std::shared_ptr<SoundEffect>> sounds; // the frame's sounds, in order
        int background = 0;
        QImage backgroundImage; // may be null
        quint64 stamp = 0;      // Frame::stamp when taken, 0 for none
    };
    int background = 0;           // the editor's animation background code
    QImage customBackgroundImage; // the editor's own picture (may be null)
    double animationSpeed = 1;
    QString name; // the animation's name in the saves index, kept in the meta ("" for none)
    std::vector<FrameEntry> frames;
    // The animation's last save, when the document still knows it: only packs that differ from
    // it are written. Null: every pack is.
    std::shared_ptr<const SavedState> previous;

    static SaveSnapshot fromFrames(const std::vector<std::shared_ptr<Frame>>& frames,
                                   int background, const QImage& customBackgroundImage,
                                   double animationSpeed, const QString& name = QString());
};
