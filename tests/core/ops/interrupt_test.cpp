// A copy stopped in the middle: by the user, by a signal asking the program to
// end, or by a kill that gives it no chance to clean up. None may leave a partial
// or hidden file behind, or report bytes it did not write.

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/ops/ops_test_support.h"
#include "platform/shutdown.h"

namespace arbel::ops {
namespace {

using arbel::test::TempDir;
using test::RecordingQuestions;
using test::runOp;
using test::snapshot;

// Every entry of the folder, hidden ones included.
size_t entriesIn(const std::string& folder) {
    size_t n = 0;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) n += std::string(e->d_name) != "." && std::string(e->d_name) != "..";
        ::closedir(d);
    }
    return n;
}

int waitFor(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return status;
}

TEST(Interrupt, CancelInsideALargeFileStopsAtOnceAndLeavesNothing) {
    TempDir tmp;
    const size_t size = 40 << 20;
    tmp.writeFile("src/big", std::string(size, 'x'));
    std::string dst = tmp.makeDir("dst");
    CancelToken cancel;
    RecordingQuestions q;
    int calls = 0, callsAfterCancel = 0;
    uint64_t bytesAtCancel = 0;
    q.progressHook = [&](uint64_t bytes, uint64_t) {
        if (cancel.cancelled()) {
            ++callsAfterCancel;
            return;
        }
        if (++calls == 2) {
            bytesAtCancel = bytes;
            cancel.cancel();
        }
    };
    FileOperation job(Operation::Copy, {tmp / "src/big"}, dst);
    auto r = job.run(q, cancel);
    EXPECT_TRUE(r.aborted);
    EXPECT_EQ(r.items[0].outcome, Outcome::NotDone);
    ASSERT_GT(bytesAtCancel, 0u);
    EXPECT_LT(bytesAtCancel, size);
    EXPECT_EQ(callsAfterCancel, 0);
    EXPECT_EQ(job.progress().bytesDone, 0u);  // nothing of the file was kept
    EXPECT_EQ(entriesIn(dst), 0u);
    EXPECT_EQ(arbel::test::readFile(tmp / "src/big").size(), size);
}

TEST(Interrupt, AKilledCopyLeavesNoFileBehind) {
    TempDir tmp;
    tmp.writeFile("src/big", std::string(24 << 20, 'k'));
    std::string dst = tmp.makeDir("dst");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(ready[0]);
        RecordingQuestions q;
        q.progressHook = [&](uint64_t, uint64_t) {
            // Part of the file is written: tell the parent and wait for the kill.
            (void)!::write(ready[1], "x", 1);
            ::pause();
        };
        runOp(Operation::Copy, {tmp / "src/big"}, dst, q);
        ::_exit(1);
    }
    ::close(ready[1]);
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);
    ::kill(pid, SIGKILL);
    int status = waitFor(pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(entriesIn(dst), 0u) << "a partial or temporary file was left";
}

TEST(Interrupt, TerminationSignalsCancelTheJobWhichCleansUp) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        TempDir tmp;
        tmp.writeFile("src/first", "done before the signal");
        tmp.writeFile("src/big", std::string(24 << 20, 's'));
        tmp.writeFile("src/later", "never reached");
        std::string dst = tmp.makeDir("dst");
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            installShutdownSignals();
            RecordingQuestions q;
            bool sent = false;
            int jobsDuring = 0;
            q.progressHook = [&](uint64_t bytes, uint64_t) {
                if (sent || bytes <= 22) return;  // inside the big file
                sent = true;
                jobsDuring = runningJobs();
                ::kill(::getpid(), sig);
            };
            auto r = runOp(Operation::Copy, {tmp / "src/first", tmp / "src/big", tmp / "src/later"}, dst, q);
            auto left = snapshot(dst);
            bool clean = r.aborted && r.items[1].outcome == Outcome::NotDone && left.size() == 1 &&
                         left["first"] == "F:done before the signal" && entriesIn(dst) == 1;
            ::_exit(!sent ? 3 : jobsDuring != 1 ? 4 : runningJobs() != 0 ? 5 : clean ? 0 : 6);
        }
        int status = waitFor(pid);
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << sig << " killed the program before the job cleaned up";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "signal " << sig;
    }
}

}  // namespace
}  // namespace arbel::ops
