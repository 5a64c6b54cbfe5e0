#pragma once
// Ends the program after SIGTERM, SIGINT or SIGHUP once the running jobs have
// stopped and cleaned up (they see the signal through their cancel tokens).

namespace arbel::ui {

// Installs the signal handlers and a watch on the interface thread: while a job
// is still running, a question it waits on is dismissed (as Cancel); once none
// runs, the application quits.
void watchShutdownSignals();

}  // namespace arbel::ui
