#pragma once

namespace platform {

// Handles the main event loop's pending events (timers that are due, posted events, input,
// painting) without waiting, and again as long as a pass handled something, up to a bound so
// that a zero-interval repeating timer cannot keep it going forever. Returns whether anything
// was handled.
bool runLoopOnce();

} // namespace platform
