#pragma once
// A flag that long work checks between items and within large files. The
// interface thread sets it (Stop, Escape); the worker reads it. Every token also
// reads as cancelled once the program was told to end.

#include <atomic>

#include "platform/shutdown.h"

namespace arbel {

class CancelToken {
public:
    void cancel() { flag_.store(true, std::memory_order_relaxed); }
    void reset() { flag_.store(false, std::memory_order_relaxed); }
    bool cancelled() const { return flag_.load(std::memory_order_relaxed) || shutdownRequested(); }

private:
    std::atomic<bool> flag_{false};
};

}  // namespace arbel
