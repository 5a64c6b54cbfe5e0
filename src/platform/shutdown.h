#pragma once
// Ending the program politely: SIGTERM, SIGINT and SIGHUP ask every running job to
// stop (every CancelToken reads as cancelled), so a copy removes its unfinished
// target and a move keeps its source before the program exits. A second signal
// ends the program at once.

#include <atomic>

namespace arbel {

namespace detail {
inline std::atomic<bool> shutdownFlag{false};
inline std::atomic<int> runningJobs{0};
}  // namespace detail

// Installs the handlers; call once, early, before other threads start.
void installShutdownSignals();

// True once one of the signals arrived (or requestShutdown was called).
inline bool shutdownRequested() {
    return detail::shutdownFlag.load(std::memory_order_relaxed);
}
void requestShutdown();

// Counts the jobs that must finish their cleanup before the program may exit.
class JobScope {
public:
    JobScope() { detail::runningJobs.fetch_add(1); }
    ~JobScope() { detail::runningJobs.fetch_sub(1); }
    JobScope(const JobScope&) = delete;
    JobScope& operator=(const JobScope&) = delete;
};
inline int runningJobs() {
    return detail::runningJobs.load();
}

}  // namespace arbel
