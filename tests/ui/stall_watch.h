#pragma once
// Measures how late the event loop runs: a timer that should fire every 10 ms notes
// the longest gap between two firings. A gap is a stall the user would feel.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>

namespace arbel::test {

inline constexpr qint64 kLongestStallMs = 250;

class StallWatch : public QObject {
public:
    StallWatch() {
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] { longest_ = std::max(longest_, clock_.restart()); });
        clock_.start();
        timer_.start();
    }
    // The longest stall since the start (or the last reset), including one going on now.
    qint64 longest() const { return std::max(longest_, clock_.elapsed()); }
    void reset() {
        longest_ = 0;
        clock_.restart();
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

}  // namespace arbel::test
