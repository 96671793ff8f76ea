#include "export/ExportTiming.h"

extern "C" {
#include <libavutil/rational.h>
}

#include <algorithm>

FrameRate FrameRate::forSpeed(double speed) {
    // The slider keeps the speed above 0; a stored speed might not be.
    const double fps = std::clamp(6 * speed, 0.01, 1000.0);
    const AVRational q = av_d2q(fps, 1000);
    FrameRate r;
    r.num = q.num;
    r.den = q.den;
    return r;
}

int64_t FrameRate::startTick(int64_t frame, int64_t ticksPerSecond) const {
    // frame × den × ticks / num, rounded half up, in integers.
    return (2 * frame * den * ticksPerSecond + num) / (2 * num);
}

std::vector<int> gifDelays(const FrameRate& rate, int frames) {
    std::vector<int> delays;
    delays.reserve(size_t(std::max(frames, 0)));
    for (int i = 0; i < frames; ++i)
        delays.push_back(int(rate.startTick(i + 1, 100) - rate.startTick(i, 100)));
    return delays;
}
