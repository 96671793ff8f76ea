#pragma once

#include <cstdint>
#include <vector>

// When frames start in an export. Playback shows a frame for 1 / (6 × speed) seconds; the
// speed (a slider's double) is taken as the nearest fraction with a denominator of at most
// 1,000, so that every start time is an exact rational and nothing drifts over long
// animations. Frame i starts at i × den / num seconds.
struct FrameRate {
    int64_t num = 6; // frames ...
    int64_t den = 1; // ... per this many seconds

    static FrameRate forSpeed(double speed);

    // The start of frame i in ticks of 1/ticksPerSecond, rounded to the nearest tick (exact
    // when ticksPerSecond is a multiple of num).
    int64_t startTick(int64_t frame, int64_t ticksPerSecond) const;
    double startSeconds(int64_t frame) const { return double(frame) * double(den) / double(num); }
};

// GIF delays are whole hundredths of a second. Each frame's delay is the difference of the
// rounded start times of it and the next, so that the running total stays within half a
// hundredth of the exact time at every frame.
std::vector<int> gifDelays(const FrameRate& rate, int frames);
