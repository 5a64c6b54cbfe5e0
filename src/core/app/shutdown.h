#pragma once
// The program's end on SIGTERM, SIGINT or SIGHUP, for the interface: the platform
// layer catches the signals and every job's cancel token sees them; the interface
// only waits for the jobs and then quits.

#include "platform/shutdown.h"

namespace arbel::app {

inline void installShutdownSignals() {
    arbel::installShutdownSignals();
}
inline bool shutdownRequested() {
    return arbel::shutdownRequested();
}
// Jobs still cleaning up; the program quits when none is left.
inline int runningJobs() {
    return arbel::runningJobs();
}

}  // namespace arbel::app
