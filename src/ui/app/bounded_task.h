#pragma once
// A question about an item (is it a file, a folder, the trash?) asked for the
// interface without letting a hanging file system freeze it. The question runs
// on a thread of its own (app::BoundedCall); the answer is delivered on the
// interface thread, once:
//
// - an answer within `grace` is delivered before runBounded returns, so the
//   usual case (a local disk) behaves as if it had been asked directly;
// - a later answer arrives through the event loop;
// - when `deadline` passes first, `done` gets nothing and a late answer is
//   dropped. The caller reports the item instead of waiting for it.
//
// Nothing is delivered once `context` is destroyed.

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "core/app/bounded_call.h"

namespace arbel::ui {

inline constexpr std::chrono::milliseconds kBoundedGrace{50};
inline constexpr int kBoundedPollMs = 20;

template <class T>
void runBounded(QObject* context, std::function<T()> work, std::function<void(std::optional<T>)> done,
                std::chrono::milliseconds deadline = app::kItemAnswerDeadline,
                std::chrono::milliseconds grace = kBoundedGrace) {
    struct Delivery {
        std::function<void(std::optional<T>)> done;
        bool delivered = false;
        void deliver(std::optional<T> answer) {
            if (delivered) return;
            delivered = true;
            auto call = std::move(done);
            done = nullptr;
            call(std::move(answer));
        }
    };
    auto delivery = std::make_shared<Delivery>();
    delivery->done = std::move(done);
    auto call = app::BoundedCall<T>::start(std::move(work));
    if (std::optional<T> quick = call->waitFor(grace)) {
        delivery->deliver(std::move(quick));
        return;
    }
    // The worker never calls into Qt: the interface thread looks for the answer
    // on a short timer owned by the context, so the context's end stops it.
    auto* poll = new QTimer(context);
    poll->setInterval(kBoundedPollMs);
    auto left = std::make_shared<std::chrono::steady_clock::time_point>(std::chrono::steady_clock::now() +
                                                                        deadline - grace);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, call, delivery, left] {
        std::optional<T> answer = call->answer();
        if (!answer && std::chrono::steady_clock::now() < *left) return;
        poll->stop();
        poll->deleteLater();
        delivery->deliver(std::move(answer));
    });
    poll->start();
}

}  // namespace arbel::ui
