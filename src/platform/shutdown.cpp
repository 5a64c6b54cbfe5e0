#include "platform/shutdown.h"

#include <signal.h>

namespace arbel {

static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");

namespace {

void onSignal(int) {
    detail::shutdownFlag.store(true, std::memory_order_relaxed);
}

}  // namespace

void installShutdownSignals() {
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    // The handler is reset after the first signal, so a second one ends the
    // program the ordinary way when a job does not stop.
    sa.sa_flags = SA_RESETHAND | SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &sa, nullptr);
}

void requestShutdown() {
    detail::shutdownFlag.store(true, std::memory_order_relaxed);
}

}  // namespace arbel
