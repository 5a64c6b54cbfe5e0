#pragma once
// Asking the file system something that may never answer (a stat on a network
// mount whose server went away) without waiting for it forever. The question runs
// on a thread of its own; the asker waits at most a deadline and, past it, goes on
// without the answer. A question that never returns keeps only its own thread,
// which ends by itself whenever the call does: nothing the asker owns is touched.
//
//   auto kind = callWithin(std::chrono::seconds(3), [p] { return isFolder(p); });
//   if (!kind) report(p + " does not answer");
//
// BoundedCall is the shared part for callers that must not block at all (the
// interface thread): start it, get told on the worker thread when it is ready,
// and take the answer later.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace arbel::app {

// How long the interface lets a question about one item run before it says that
// the item does not answer.
inline constexpr std::chrono::milliseconds kItemAnswerDeadline{3000};

template <class T>
class BoundedCall {
public:
    // Runs `work` on a new detached thread; `ready` (may be empty) runs on that
    // thread right after the answer is stored, also when nobody waits any more.
    static std::shared_ptr<BoundedCall> start(std::function<T()> work, std::function<void()> ready = {}) {
        auto call = std::shared_ptr<BoundedCall>(new BoundedCall);
        std::thread([call, work = std::move(work), ready = std::move(ready)] {
            T answer = work();
            {
                std::lock_guard<std::mutex> lock(call->mutex_);
                call->answer_ = std::move(answer);
            }
            call->done_.notify_all();
            if (ready) ready();
        }).detach();
        return call;
    }

    // Waits at most `limit` for the answer; nothing when it has not come.
    std::optional<T> waitFor(std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait_for(lock, limit, [this] { return answer_.has_value(); });
        return answer_;
    }
    // The answer if it is there, without waiting.
    std::optional<T> answer() {
        std::lock_guard<std::mutex> lock(mutex_);
        return answer_;
    }

private:
    BoundedCall() = default;
    std::mutex mutex_;
    std::condition_variable done_;
    std::optional<T> answer_;
};

// Runs `work` and waits at most `limit` for its answer.
template <class F>
auto callWithin(std::chrono::milliseconds limit, F work) -> std::optional<decltype(work())> {
    using T = decltype(work());
    return BoundedCall<T>::start(std::function<T()>(std::move(work)))->waitFor(limit);
}

}  // namespace arbel::app
