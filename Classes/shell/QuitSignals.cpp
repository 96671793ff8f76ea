#include "shell/QuitSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quitsignals {

namespace {

int writeEnd = -1;

void handler(int signal) {
    // Only what is safe in a signal handler: one byte naming the signal.
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(writeEnd, &byte, 1);
    errno = saved;
}

} // namespace

void install(std::function<void(int)> onSignal) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return;
    writeEnd = fds[0];
    auto* notifier =
        new QSocketNotifier(fds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [readEnd = fds[1], onSignal = std::move(onSignal)] {
                         char byte = 0;
                         while (::read(readEnd, &byte, 1) == 1)
                             onSignal(int(byte));
                     });
    struct sigaction sa = {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
}

} // namespace quitsignals
