#pragma once

#include <functional>

// SIGINT and SIGTERM become a call on the event loop (through a pipe the handler writes to),
// so that they end the program through its ordinary quit. Installed once, on the main thread.
namespace quitsignals {

void install(std::function<void(int signal)> onSignal);

} // namespace quitsignals
