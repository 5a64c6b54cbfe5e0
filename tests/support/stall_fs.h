#pragma once
// A small FUSE file system served by the test process itself, whose calls can be
// made to block on demand: what a dead network mount does to a program. Mounted on
// a temporary folder (needs /dev/fuse and root, as CI has).
//
// Its tree:   /slow/            folder; everything below it is what stalls
//             /slow/a/x/        folders
//             /slow/b/
//             /slow/notes.txt   "hello\n"
//             /slow/tool        a program (mode 0755)
// The root itself stalls only when asked (stallAll): the mount can be looked at and
// taken down otherwise.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace arbel::test {

class StallFs {
public:
    // Why no StallFs can be mounted here, or empty when one can.
    static std::string unavailableReason();

    explicit StallFs(std::string mountPoint);
    ~StallFs();  // releases every stalled call, then unmounts
    StallFs(const StallFs&) = delete;
    StallFs& operator=(const StallFs&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& path() const { return mountPoint_; }
    std::string slow() const { return mountPoint_ + "/slow"; }

    // From now on every getattr, readdir, open, read and statfs below /slow waits
    // `how_long` (or until release) before it answers.
    void stall(std::chrono::milliseconds howLong);
    // The same for every call, the root's too: a mount that is dead as a whole.
    void stallAll(std::chrono::milliseconds howLong);
    // The same for the listing (readdir) of the folders whose path in the file system
    // starts with `below` (such as "/slow/a") only: they can be looked at, not read.
    void stallListings(std::chrono::milliseconds howLong, std::string below);
    // Answers every waiting call now; calls answer at once again.
    void release();
    // Calls below /slow the file system received, and how many are waiting now.
    int calls() const { return calls_.load(); }
    int waiting() const { return waiting_.load(); }
    void resetCalls() { calls_ = 0; }

    // For the file system's own callbacks.
    void enter(const char* path, bool listing = false);

private:
    std::string mountPoint_;
    bool mounted_ = false;
    void* fuse_ = nullptr;
    std::thread loop_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::chrono::milliseconds stall_{0};
    std::string listingsBelow_;  // empty: every call stalls
    std::atomic<bool> rootToo_{false};
    uint64_t epoch_ = 0;
    std::atomic<int> calls_{0}, waiting_{0};
};

}  // namespace arbel::test
