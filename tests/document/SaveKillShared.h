#pragma once

#include "document/SaveReader.h"
#include "document/SaveSnapshot.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"

#include <QColor>
#include <QImage>

#include <cmath>

// What the kill test's saving process writes, shared with the test that checks it.
namespace killtest {

inline int framesOf(int id, int version) {
    return 1 + (id * 7 + version * 13) % 60;
}

inline double speedOf(int version) {
    return 1 + version / 1000.0;
}

inline QString nameOf(int id) {
    return QStringLiteral("Animation %1").arg(id);
}

// The version a loaded save is of; -1 when its speed names none.
inline int versionOf(const SaveReader::Result& r) {
    if (!r.hasAnimationSpeed)
        return -1;
    return int(std::lround((r.animationSpeed - 1) * 1000));
}

inline SaveSnapshot animation(int id, int version) {
    SaveSnapshot s;
    s.animationSpeed = speedOf(version);
    s.name = nameOf(id);
    s.background = 3;
    for (int i = 0; i < framesOf(id, version); ++i) {
        SaveSnapshot::FrameEntry f;
        f.background = 2 + i % 9;
        auto figure = Hmn::node();
        figure->setPosition(Point(float(i), float(version % 300)));
        f.items.push_back(figure);
        auto box = BoundingSprite::spriteWithFile(QStringLiteral("box.png"));
        box->setPosition(Point(float(id % 400), float(i)));
        f.items.push_back(box);
        // Pictures make more files, and so more steps to be killed in.
        if (i % 9 == 4) {
            QImage picture(32, 24, QImage::Format_RGB32);
            picture.fill(QColor::fromHsv((id * 31 + version * 7 + i) % 360, 200, 200));
            f.background = 999999;
            f.backgroundImage = picture;
        }
        s.frames.push_back(std::move(f));
    }
    return s;
}

} // namespace killtest
