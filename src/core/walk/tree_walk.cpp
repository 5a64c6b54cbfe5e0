#include "core/walk/tree_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <unordered_set>
#include <vector>

#include "platform/volumes.h"

namespace arbel::walk {

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;

// A folder handle kept open while sub-folders wait to be opened through it.
struct SharedFd {
    int fd;
    std::atomic<int>& held;
    SharedFd(int f, std::atomic<int>& h) : fd(f), held(h) { held.fetch_add(1, std::memory_order_relaxed); }
    ~SharedFd() {
        ::close(fd);
        held.fetch_sub(1, std::memory_order_relaxed);
    }
};

struct Identity {
    dev_t dev;
    ino_t ino;
    bool operator==(const Identity&) const = default;
};
struct IdentityHash {
    size_t operator()(const Identity& id) const noexcept {
        return std::hash<uint64_t>()(uint64_t(id.ino) * 0x9E3779B97F4A7C15ull ^ uint64_t(id.dev));
    }
};

enum State : uint8_t { kQueued, kClaimed, kDone };

struct Node {
    std::string path;   // ends in "/"
    size_t nameAt = 0;  // where the own name starts in path
    unsigned depth = 0;
    dev_t parentDev = 0;
    std::shared_ptr<SharedFd> parentFd;  // null: reopened from the start, one level at a time
    std::atomic<uint8_t> state{kQueued};
    // Filled by the reader, read by the emitter once state is kDone.
    struct stat st {};
    Skip why = Skip::None;
    int error = 0;
    // Ordered walks only.
    struct Rec {
        uint32_t nameAt, nameLen, tag;
        bool hasSt;
        struct stat st;
    };
    struct Slot {
        bool child;
        uint32_t index;
    };
    std::string names;
    std::vector<Rec> records;
    std::vector<std::shared_ptr<Node>> children;
    std::vector<Slot> slots;
};

}  // namespace

unsigned usableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return std::max(1u, std::thread::hardware_concurrency());
}

bool statEntry(int dirFd, const char* name, unsigned mask, bool follow, struct stat& out) {
    struct statx x;
    const int flags = AT_STATX_SYNC_AS_STAT | (follow ? 0 : AT_SYMLINK_NOFOLLOW);
    if (::statx(dirFd, name, flags, mask, &x) != 0) return false;
    out.st_mode = x.stx_mode;
    out.st_ino = x.stx_ino;
    out.st_dev = makedev(x.stx_dev_major, x.stx_dev_minor);
    out.st_nlink = x.stx_nlink;
    out.st_uid = x.stx_uid;
    out.st_gid = x.stx_gid;
    out.st_rdev = makedev(x.stx_rdev_major, x.stx_rdev_minor);
    out.st_size = static_cast<off_t>(x.stx_size);
    out.st_blksize = x.stx_blksize;
    out.st_blocks = static_cast<blkcnt_t>(x.stx_blocks);
    out.st_atim = {x.stx_atime.tv_sec, x.stx_atime.tv_nsec};
    out.st_mtim = {x.stx_mtime.tv_sec, x.stx_mtime.tv_nsec};
    out.st_ctim = {x.stx_ctime.tv_sec, x.stx_ctime.tv_nsec};
    return true;
}

void Folder::emit(std::string_view name, const struct stat* st, uint32_t tag) {
    auto* node = static_cast<Node*>(node_);
    Node::Rec r{static_cast<uint32_t>(node->names.size()),
                static_cast<uint32_t>(name.size()),
                tag,
                st != nullptr,
                {}};
    if (st) r.st = *st;
    node->names.append(name);
    node->slots.push_back({false, static_cast<uint32_t>(node->records.size())});
    node->records.push_back(r);
}

struct Walker::Impl {
    struct Queue {
        std::mutex mu;
        std::deque<std::shared_ptr<Node>> items;
    };

    Walker& w;
    Sink* sink;
    std::vector<Queue> queues;
    std::atomic<int64_t> queued{0};       // items in the queues (claimed ones included)
    std::atomic<int64_t> outstanding{0};  // folders not yet read
    std::atomic<int> idle{0};
    std::atomic<int> heldFds{0};
    int fdBudget = 256;
    std::mutex idleMu;
    std::condition_variable idleCv;
    std::mutex seenMu;
    std::unordered_set<Identity, IdentityHash> seen;
    std::shared_ptr<SharedFd> rootFd;
    size_t rootLen = 0;
    std::mutex errorMu;
    std::exception_ptr error;

    Impl(Walker& walker, Sink* s) : w(walker), sink(s), queues(walker.threads_) {
        struct rlimit rl;
        if (::getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY)
            fdBudget = static_cast<int>(std::min<rlim_t>(256, rl.rlim_cur / 4));
        if (walker.options_.heldHandles != 0) fdBudget = static_cast<int>(walker.options_.heldHandles);
    }

    bool stopped() const { return w.control_.cancelled(); }

    void wake(bool all) {
        if (idle.load() == 0) return;
        { std::lock_guard lk(idleMu); }
        if (all) {
            idleCv.notify_all();
        } else {
            idleCv.notify_one();
        }
    }

    void push(unsigned worker, std::shared_ptr<Node> n) {
        outstanding.fetch_add(1);
        {
            std::lock_guard lk(queues[worker].mu);
            queues[worker].items.push_back(std::move(n));
        }
        queued.fetch_add(1);
        wake(false);
    }

    // The newest folder of this worker's queue, else the oldest of another's.
    std::shared_ptr<Node> take(unsigned worker) {
        if (queued.load(std::memory_order_relaxed) == 0) return nullptr;
        const unsigned n = static_cast<unsigned>(queues.size());
        for (unsigned i = 0; i < n; ++i) {
            Queue& q = queues[(worker + i) % n];
            std::shared_ptr<Node> got;
            {
                std::lock_guard lk(q.mu);
                if (q.items.empty()) continue;
                if (i == 0) {
                    got = std::move(q.items.back());
                    q.items.pop_back();
                } else {
                    got = std::move(q.items.front());
                    q.items.pop_front();
                }
            }
            queued.fetch_sub(1);
            uint8_t expect = kQueued;
            if (got->state.compare_exchange_strong(expect, kClaimed)) return got;
            // The ordered walk's emitter read it already; look again.
            i = static_cast<unsigned>(-1);
            if (queued.load(std::memory_order_relaxed) == 0) return nullptr;
        }
        return nullptr;
    }

    // Opens a sub-folder whose parent handle was not kept: one level at a time from
    // the start, never following a link on the way.
    int openFromRoot(const Node& n) {
        int fd = ::dup(rootFd->fd);
        if (fd < 0) return -1;
        size_t at = rootLen;
        while (at < n.path.size()) {
            const size_t slash = n.path.find('/', at);
            const std::string part = n.path.substr(at, slash - at);
            const int next = ::openat(fd, part.c_str(), kDirFlags);
            const int saved = errno;
            ::close(fd);
            if (next < 0) {
                errno = saved;
                return -1;
            }
            fd = next;
            at = slash + 1;
        }
        return fd;
    }

    void finish(Node& n) {
        n.parentFd.reset();
        n.state.store(kDone, std::memory_order_release);
        outstanding.fetch_sub(1);
        wake(w.options_.ordered);
    }

    void skip(Node& n, Skip why, int error) {
        n.why = why;
        n.error = error;
        w.visitor_.folderSkipped(n.path, n.depth, why, error);
    }

    // Reads one folder: the visitor sees its entries, its sub-folders are queued.
    void read(unsigned worker, const std::shared_ptr<Node>& np, int openedFd = -1) {
        Node& n = *np;
        struct Guard {
            Impl& impl;
            Node& n;
            ~Guard() { impl.finish(n); }
        } guard{*this, n};
        int fd = openedFd;
        if (fd < 0) {
            if (n.parentFd) {
                std::string name = n.path.substr(n.nameAt, n.path.size() - 1 - n.nameAt);
                fd = ::openat(n.parentFd->fd, name.c_str(), kDirFlags);
            } else {
                fd = openFromRoot(n);
            }
            if (fd < 0) return skip(n, Skip::Unreadable, errno);
        }
        n.parentFd.reset();
        std::shared_ptr<SharedFd> shared;
        struct Closer {
            int fd;
            std::shared_ptr<SharedFd>& shared;
            ~Closer() {
                if (!shared) ::close(fd);
            }
        } closer{fd, shared};

        if (::fstat(fd, &n.st) != 0) return skip(n, Skip::Unreadable, errno);
        {
            std::lock_guard lk(seenMu);
            if (!seen.insert({n.st.st_dev, n.st.st_ino}).second) return skip(n, Skip::Loop, 0);
        }
        if (n.depth == 0 || n.st.st_dev != n.parentDev) {
            if (n.depth > 0 && !w.options_.crossMounts) return skip(n, Skip::OtherMount, 0);
            if (isPseudoFileSystemAt(fd)) return skip(n, Skip::Pseudo, 0);
        }

        Folder f;
        f.path_ = n.path;
        f.fd_ = fd;
        f.st_ = n.st;
        f.depth_ = n.depth;
        f.worker_ = worker;
        f.node_ = &n;
        w.visitor_.folderEntered(f);

        const bool ordered = w.options_.ordered;
        std::vector<uint32_t> later;  // filesFirst: the sub-folders' slots, after the records
        alignas(8) char buf[32768];
        for (;;) {
            const long got = ::syscall(SYS_getdents64, fd, buf, sizeof buf);
            if (got < 0) {
                if (errno == EINTR) continue;
                n.error = errno;
                w.visitor_.folderFailed(f, n.error);
                break;
            }
            if (got == 0) break;
            for (long off = 0; off < got;) {
                auto* d = reinterpret_cast<LinuxDirent64*>(buf + off);
                off += d->d_reclen;
                const char* name = d->d_name;
                if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
                if (stopped()) return;
                Entry e{std::string_view(name, std::strlen(name)), entryTypeFromDType(d->d_type), d->d_ino};
                if (e.type == EntryType::Unknown) {
                    struct stat st;
                    if (!statEntry(fd, name, STATX_TYPE, false, st)) continue;  // vanished meanwhile
                    e.type = entryTypeFromMode(st.st_mode);
                }
                if (e.type != EntryType::Dir || !w.options_.recurse) {
                    w.visitor_.entry(f, e);
                    continue;
                }
                auto child = std::make_shared<Node>();
                child->path.reserve(n.path.size() + e.name.size() + 1);
                child->path.append(n.path).append(e.name).push_back('/');
                child->nameAt = n.path.size();
                child->depth = n.depth + 1;
                child->parentDev = n.st.st_dev;
                if (!shared && heldFds.load(std::memory_order_relaxed) < fdBudget)
                    shared = std::make_shared<SharedFd>(fd, heldFds);
                child->parentFd = shared;
                if (ordered) {
                    const auto index = static_cast<uint32_t>(n.children.size());
                    n.children.push_back(child);
                    if (w.options_.filesFirst) {
                        later.push_back(index);
                    } else {
                        n.slots.push_back({true, index});
                    }
                }
                push(worker, std::move(child));
            }
        }
        for (uint32_t index : later) n.slots.push_back({true, index});
    }

    void guarded(unsigned worker, const std::shared_ptr<Node>& n) {
        try {
            read(worker, n);
        } catch (...) {
            std::lock_guard lk(errorMu);
            if (!error) error = std::current_exception();
            w.control_.cancel();
        }
    }

    void workerLoop(unsigned worker) {
        for (;;) {
            if (stopped() || outstanding.load() == 0) return;
            if (auto n = take(worker)) {
                guarded(worker, n);
                continue;
            }
            std::unique_lock lk(idleMu);
            idle.fetch_add(1);
            idleCv.wait_for(lk, std::chrono::milliseconds(5),
                            [&] { return queued.load() > 0 || outstanding.load() == 0 || stopped(); });
            idle.fetch_sub(1);
        }
    }

    // The emitter's wait for one folder: reads it when nobody took it yet, else helps
    // with any other folder meanwhile.
    bool await(const std::shared_ptr<Node>& n) {
        for (;;) {
            if (stopped()) return false;
            const uint8_t s = n->state.load(std::memory_order_acquire);
            if (s == kDone) return true;
            uint8_t expect = kQueued;
            if (s == kQueued && n->state.compare_exchange_strong(expect, kClaimed)) {
                guarded(0, n);
                continue;
            }
            if (auto other = take(0)) {
                guarded(0, other);
                continue;
            }
            std::unique_lock lk(idleMu);
            idle.fetch_add(1);
            idleCv.wait_for(lk, std::chrono::milliseconds(5), [&] {
                return n->state.load(std::memory_order_acquire) == kDone || queued.load() > 0 || stopped();
            });
            idle.fetch_sub(1);
        }
    }

    bool report(Node& n) { return sink->folder({n.path, n.st, n.why, n.error}); }

    // Hands out folders and records in depth-first order as they are read.
    bool emit(const std::shared_ptr<Node>& root) {
        struct Frame {
            std::shared_ptr<Node> node;
            size_t next = 0;
        };
        if (!await(root)) return false;
        if (!report(*root)) return false;
        if (root->why != Skip::None) return true;
        std::vector<Frame> stack{{root, 0}};
        while (!stack.empty()) {
            Frame& top = stack.back();
            Node& n = *top.node;
            if (top.next == n.slots.size()) {
                stack.pop_back();
                continue;
            }
            const Node::Slot slot = n.slots[top.next++];
            if (!slot.child) {
                const Node::Rec& r = n.records[slot.index];
                const Sink::Record rec{n.path, std::string_view(n.names).substr(r.nameAt, r.nameLen),
                                       r.hasSt ? &r.st : nullptr, r.tag};
                if (!sink->record(rec)) return false;
                continue;
            }
            std::shared_ptr<Node> child = std::move(n.children[slot.index]);
            if (!await(child)) return false;
            if (!report(*child)) return false;
            if (child->why == Skip::None) stack.push_back({std::move(child), 0});
        }
        return true;
    }
};

Walker::Walker(Visitor& visitor, Control& control, Options options)
    : visitor_(visitor), control_(control), options_(options) {
    threads_ = options_.threads != 0 ? options_.threads : std::max(2u, usableCores());
}

Walker::~Walker() = default;

bool Walker::walk(std::string_view startPath, Sink* sink) {
    startSkip_ = Skip::None;
    startError_ = 0;
    if (options_.ordered && sink == nullptr) options_.ordered = false;
    std::string start(startPath);
    while (start.size() > 1 && start.back() == '/') start.pop_back();
    if (start.empty()) {
        startSkip_ = Skip::Unreadable;
        startError_ = ENOENT;
        return false;
    }
    Impl impl(*this, sink);
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (options_.followStart ? 0 : O_NOFOLLOW);
    const int fd = ::open(start.c_str(), flags);
    auto root = std::make_shared<Node>();
    root->path = start == "/" ? start : start + "/";
    impl.rootLen = root->path.size();
    if (fd < 0) {
        startSkip_ = Skip::Unreadable;
        startError_ = errno;
        // Nothing was entered: the sink hears of nothing.
        visitor_.folderSkipped(root->path, 0, startSkip_, startError_);
        return false;
    }
    impl.rootFd = std::make_shared<SharedFd>(::dup(fd), impl.heldFds);
    root->state.store(kClaimed);
    impl.outstanding.store(1);

    std::vector<std::thread> workers;
    try {
        for (unsigned i = 1; i < threads_; ++i) workers.emplace_back([&impl, i] { impl.workerLoop(i); });
    } catch (const std::system_error&) {
        // No thread to be had: the calling thread walks alone.
    }
    bool emitted = true;
    try {
        impl.read(0, root, fd);
        if (root->why != Skip::None) {
            startSkip_ = root->why;
            startError_ = root->error;
        }
        if (options_.ordered) {
            emitted = impl.emit(root);
            if (!emitted) control_.cancel();
        }
        impl.workerLoop(0);
    } catch (...) {
        control_.cancel();
        for (auto& t : workers) t.join();
        throw;
    }
    for (auto& t : workers) t.join();
    if (impl.error) std::rethrow_exception(impl.error);
    return emitted && startSkip_ == Skip::None && !control_.cancelled();
}

}  // namespace arbel::walk
