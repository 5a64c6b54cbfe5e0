#pragma once
// One tree walk for every recursive reader (the finder, Folder Size, the operation
// planner): folders are read on several worker threads over directory handles
// (openat / getdents64 / fstat), each worker taking its own newest folder first and
// stealing the oldest of another's when it runs dry.
//
// Guarantees, whatever the thread count: a symbolic link is never followed below the
// start; each folder (device, inode) is entered at most once, so a bind mount loop
// ends; a pseudo file system (proc, sysfs, ...) is never entered, the start
// included; a mount below the start is crossed only when the caller allows it; a
// cancel is seen between entries (and, by the visitor, between blocks of a file).
//
// Two ways to get results:
//  - streamed: the visitor's calls on the workers, as folders are read (any order);
//  - ordered: the visitor queues records with Folder::emit on the workers, and the
//    sink receives folders and records on the calling thread in depth-first order
//    (a folder before what it holds, sub-folders in the order the folder listed
//    them), exactly the order a one-thread recursive walk gives, while the walk
//    runs. The calling thread also reads folders while it waits for the next one.

#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/cancel.h"
#include "platform/dir.h"

namespace arbel::walk {

// The stop shared by the walk, its visitor and the caller: set by cancel(), by a
// sink returning false, or read from an outer token (the job's Stop).
class Control {
public:
    explicit Control(const CancelToken* outer = nullptr) : outer_(outer) {}
    void cancel() { stop_.store(true, std::memory_order_relaxed); }
    bool cancelled() const {
        return stop_.load(std::memory_order_relaxed) || (outer_ != nullptr && outer_->cancelled());
    }

private:
    std::atomic<bool> stop_{false};
    const CancelToken* outer_;
};

// Why a folder was not read.
enum class Skip : uint8_t {
    None,
    Unreadable,  // could not be opened (error() says why)
    Loop,        // entered before: a bind mount or a second way in
    Pseudo,      // a pseudo file system
    OtherMount,  // another file system, and the caller stays on the start's
};

struct Options {
    unsigned threads = 0;     // 0: the cores this process may run on (at least 2)
    bool recurse = true;      // false: the start folder only
    bool crossMounts = true;  // enter real file systems mounted below the start
    bool followStart = true;  // the start may be a link the user chose
    bool ordered = false;     // records and folders go to the sink in depth-first order
    bool filesFirst = false;  // ordered: a folder's records before its sub-folders
    // Folder handles kept open for sub-folders still to be opened through them (0: a
    // quarter of the descriptor limit, at most 256); past that, a sub-folder is
    // reopened from the start one level at a time.
    unsigned heldHandles = 0;
};

// The cores this process may use (sched_getaffinity), at least 1.
unsigned usableCores();

// A folder as a worker reads it.
class Folder {
public:
    const std::string& path() const { return path_; }  // ends in "/"
    int fd() const { return fd_; }
    const struct stat& st() const { return st_; }  // the folder's own status
    unsigned depth() const { return depth_; }      // 0 for the start
    unsigned worker() const { return worker_; }    // 0 .. threads-1, for per-thread scratch
    // Ordered walks: queues a record for the sink, in this folder's place. `st` may be
    // null; `tag` is the caller's own.
    void emit(std::string_view name, const struct stat* st, uint32_t tag);

private:
    friend class Walker;
    std::string path_;
    int fd_ = -1;
    struct stat st_ {};
    unsigned depth_ = 0;
    unsigned worker_ = 0;
    void* node_ = nullptr;
};

// An entry of a folder that is not a sub-folder the walk descends into. `type` comes
// from the enumeration, or from a stat when the file system does not say (Unknown
// only when the entry vanished meanwhile).
struct Entry {
    std::string_view name;  // NUL-terminated in place: name.data() is a C string
    EntryType type;
    uint64_t inode;
};

// Called on the workers, concurrently: keep shared state behind locks or atomics.
class Visitor {
public:
    virtual ~Visitor() = default;
    // A folder opened and about to be read (the start included).
    virtual void folderEntered(Folder&) {}
    // Every entry that is not a sub-folder; folders too when the walk does not recurse.
    virtual void entry(Folder& folder, const Entry& e) = 0;
    // A folder the walk did not read (the start at depth 0); path ends in "/".
    virtual void folderSkipped(const std::string& path, unsigned depth, Skip why, int error) {}
    // Reading a folder failed midway (error is an errno value); what it gave stands.
    virtual void folderFailed(Folder&, int error) {}
};

// Ordered walks: called on the thread that runs walk(), in depth-first order.
class Sink {
public:
    struct FolderReport {
        const std::string& path;  // ends in "/"
        const struct stat& st;    // valid when why == Skip::None
        Skip why;
        int error;  // open error when Unreadable, else the read error (0: read whole)
    };
    struct Record {
        const std::string& folder;  // the path of the folder holding it
        std::string_view name;
        const struct stat* st;  // as emitted; may be null
        uint32_t tag;
    };
    virtual ~Sink() = default;
    // False stops the walk.
    virtual bool folder(const FolderReport&) = 0;
    virtual bool record(const Record&) = 0;
};

class Walker {
public:
    Walker(Visitor& visitor, Control& control, Options options = {});
    ~Walker();
    Walker(const Walker&) = delete;
    Walker& operator=(const Walker&) = delete;

    // Walks the tree below `start` (a trailing "/" is accepted). The sink is used by
    // ordered walks only. True when it ran to the end; false when cancelled or when
    // the start could not be read (startSkip()/startError() say why).
    bool walk(std::string_view start, Sink* sink = nullptr);

    Skip startSkip() const { return startSkip_; }
    int startError() const { return startError_; }
    unsigned threads() const { return threads_; }

private:
    struct Impl;
    Visitor& visitor_;
    Control& control_;
    Options options_;
    unsigned threads_;
    Skip startSkip_ = Skip::None;
    int startError_ = 0;
};

// statx of one entry relative to a folder, asking only for `mask` (STATX_*), never
// following a link unless `follow`. The fields asked for are filled into `out`.
bool statEntry(int dirFd, const char* name, unsigned mask, bool follow, struct stat& out);

}  // namespace arbel::walk
