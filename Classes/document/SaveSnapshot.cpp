#include "document/SaveSnapshot.h"

#include "document/Frame.h"

SaveSnapshot SaveSnapshot::fromFrames(const std::vector<std::shared_ptr<Frame>>& frames,
                                      int background, const QImage& customBackgroundImage,
                                      double animationSpeed, const QString& name) {
    SaveSnapshot s;
    s.name = name;
    s.background = background;
    s.customBackgroundImage = customBackgroundImage;
    s.animationSpeed = animationSpeed;
    s.frames.reserve(frames.size());
    for (const auto& frame : frames) {
        if (!frame)
            continue;
        s.frames.push_back(FrameEntry{frame->sprites(), frame->sounds(), frame->background(),
                                      frame->backgroundImage(), frame->stamp()});
    }
    return s;
}
