#pragma once
// A flag that long work checks between items and within large files. The
// interface thread sets it (Stop, Escape); the worker reads it.

#include <atomic>

namespace arbel {

class CancelToken {
public:
    void cancel() { flag_.store(true, std::memory_order_relaxed); }
    void reset() { flag_.store(false, std::memory_order_relaxed); }
    bool cancelled() const { return flag_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> flag_{false};
};

}  // namespace arbel
