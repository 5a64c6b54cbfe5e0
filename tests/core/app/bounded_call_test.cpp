// A question to the file system that does not answer: opening a named pipe for
// reading blocks until a writer comes, as a stat on a dead network mount blocks
// until its server returns. The asker must go on at the deadline, and the
// abandoned call must finish safely once the pipe is opened from the other side.
#include "core/app/bounded_call.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "support/temp_dir.h"

namespace arbel::app {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(BoundedCall, AnAnswerInTimeIsReturned) {
    test::TempDir dir;
    const std::string file = dir.writeFile("a.txt", "x");
    const auto size = callWithin(1000ms, [file] {
        struct stat st {};
        return ::stat(file.c_str(), &st) == 0 ? st.st_size : -1;
    });
    ASSERT_TRUE(size);
    EXPECT_EQ(*size, 1);
}

TEST(BoundedCall, AHangingCallIsLeftAtTheDeadlineAndEndsSafelyLater) {
    test::TempDir dir;
    const std::string pipe = dir / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);

    std::atomic<bool> readyRan{false};
    const auto started = Clock::now();
    auto call = BoundedCall<int>::start(
        [pipe] {
            const int fd = ::open(pipe.c_str(), O_RDONLY);  // blocks: no writer yet
            if (fd >= 0) ::close(fd);
            return fd >= 0 ? 1 : 0;
        },
        [&readyRan] { readyRan = true; });
    EXPECT_FALSE(call->waitFor(150ms));
    const auto waited = Clock::now() - started;
    EXPECT_GE(waited, 150ms);
    EXPECT_LT(waited, 2000ms);
    EXPECT_FALSE(call->answer());
    EXPECT_FALSE(readyRan);

    // The file system comes back: the abandoned call finishes and says so.
    const int writer = ::open(pipe.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    ::close(writer);
    const auto late = call->waitFor(5000ms);
    ASSERT_TRUE(late);
    EXPECT_EQ(*late, 1);
    for (int i = 0; i < 100 && !readyRan; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(readyRan);
}

TEST(BoundedCall, TheAskerMayGoAwayBeforeTheAnswer) {
    test::TempDir dir;
    const std::string pipe = dir / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::atomic<bool> finished{false};
    {
        // Nothing of the asker's is kept: the call owns what it needs.
        const std::string name = pipe;
        EXPECT_FALSE(callWithin(50ms, [name, &finished] {
            const int fd = ::open(name.c_str(), O_RDONLY);
            if (fd >= 0) ::close(fd);
            finished = true;
            return fd;
        }));
    }
    const int writer = ::open(pipe.c_str(), O_WRONLY);
    ASSERT_GE(writer, 0);
    ::close(writer);
    for (int i = 0; i < 500 && !finished; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(finished);
    std::this_thread::sleep_for(20ms);  // the thread lets go of its shared state
}

}  // namespace
}  // namespace arbel::app
