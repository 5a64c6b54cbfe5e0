#pragma once
// What the interface may use to run and stop jobs: the cancel token every job checks,
// and the program-wide shutdown flag that the signal handlers raise. Reached through
// core so that includes only run ui -> core -> platform.

#include "platform/cancel.h"
#include "platform/shutdown.h"
