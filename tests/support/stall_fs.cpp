#define FUSE_USE_VERSION 31
#include "support/stall_fs.h"

#include <fuse.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

namespace arbel::test {

namespace {

struct Node {
    const char* path;
    mode_t mode;
    const char* content;
};

const Node kNodes[] = {
    {"/", S_IFDIR | 0755, nullptr},
    {"/slow", S_IFDIR | 0755, nullptr},
    {"/slow/a", S_IFDIR | 0755, nullptr},
    {"/slow/a/x", S_IFDIR | 0755, nullptr},
    {"/slow/b", S_IFDIR | 0755, nullptr},
    {"/slow/notes.txt", S_IFREG | 0644, "hello\n"},
    {"/slow/tool", S_IFREG | 0755, "#!/bin/sh\n"},
};

const Node* find(const char* path) {
    for (const Node& n : kNodes)
        if (std::strcmp(n.path, path) == 0) return &n;
    return nullptr;
}

StallFs* self() {
    return static_cast<StallFs*>(fuse_get_context()->private_data);
}

void* fsInit(struct fuse_conn_info*, struct fuse_config* cfg) {
    // Nothing cached by the kernel: every look reaches the file system.
    cfg->entry_timeout = 0;
    cfg->attr_timeout = 0;
    cfg->negative_timeout = 0;
    cfg->direct_io = 1;
    return fuse_get_context()->private_data;
}

int fsGetattr(const char* path, struct stat* st, struct fuse_file_info*) {
    self()->enter(path);
    const Node* n = find(path);
    if (!n) return -ENOENT;
    std::memset(st, 0, sizeof *st);
    st->st_mode = n->mode;
    st->st_nlink = S_ISDIR(n->mode) ? 2 : 1;
    st->st_size = n->content ? off_t(std::strlen(n->content)) : 0;
    st->st_mtime = 1700000000;
    return 0;
}

int fsReaddir(const char* path, void* buf, fuse_fill_dir_t fill, off_t, struct fuse_file_info*,
              enum fuse_readdir_flags) {
    self()->enter(path, true);
    const Node* dir = find(path);
    if (!dir || !S_ISDIR(dir->mode)) return -ENOENT;
    fill(buf, ".", nullptr, 0, fuse_fill_dir_flags(0));
    fill(buf, "..", nullptr, 0, fuse_fill_dir_flags(0));
    std::string_view parent = path;
    for (const Node& n : kNodes) {
        std::string_view p = n.path;
        if (p == "/" || p.size() <= parent.size()) continue;
        std::string_view prefix = parent == "/" ? std::string_view("/") : parent;
        if (p.substr(0, prefix.size()) != prefix) continue;
        std::string_view rest = p.substr(prefix.size());
        if (parent != "/") {
            if (rest.empty() || rest.front() != '/') continue;
            rest.remove_prefix(1);
        }
        if (rest.empty() || rest.find('/') != std::string_view::npos) continue;
        struct stat st {};
        st.st_mode = n.mode;
        fill(buf, std::string(rest).c_str(), &st, 0, fuse_fill_dir_flags(0));
    }
    return 0;
}

int fsOpen(const char* path, struct fuse_file_info*) {
    self()->enter(path);
    const Node* n = find(path);
    return n && S_ISREG(n->mode) ? 0 : -ENOENT;
}

int fsOpendir(const char* path, struct fuse_file_info*) {
    self()->enter(path);
    const Node* n = find(path);
    return n && S_ISDIR(n->mode) ? 0 : -ENOENT;
}

int fsRead(const char* path, char* buf, size_t size, off_t offset, struct fuse_file_info*) {
    self()->enter(path);
    const Node* n = find(path);
    if (!n || !n->content) return -ENOENT;
    size_t len = std::strlen(n->content);
    if (size_t(offset) >= len) return 0;
    size_t k = std::min(size, len - size_t(offset));
    std::memcpy(buf, n->content + offset, k);
    return int(k);
}

int fsStatfs(const char* path, struct statvfs* st) {
    self()->enter(path);
    std::memset(st, 0, sizeof *st);
    st->f_bsize = st->f_frsize = 4096;
    st->f_blocks = 1000;
    st->f_bfree = st->f_bavail = 500;
    st->f_namemax = 255;
    return 0;
}

struct fuse_operations makeOps() {
    struct fuse_operations ops {};
    ops.init = fsInit;
    ops.getattr = fsGetattr;
    ops.readdir = fsReaddir;
    ops.open = fsOpen;
    ops.opendir = fsOpendir;
    ops.read = fsRead;
    ops.statfs = fsStatfs;
    return ops;
}

}  // namespace

std::string StallFs::unavailableReason() {
    if (::access("/dev/fuse", R_OK | W_OK) != 0)
        return "/dev/fuse is missing: no FUSE file system can be mounted";
    if (::geteuid() != 0) return "mounting the test file system needs root";
    return {};
}

StallFs::StallFs(std::string mountPoint) : mountPoint_(std::move(mountPoint)) {
    if (!unavailableReason().empty()) return;
    static const struct fuse_operations ops = makeOps();
    char name[] = "arbel-stallfs";
    char* argv[] = {name, nullptr};
    struct fuse_args args = FUSE_ARGS_INIT(1, argv);
    struct fuse* f = fuse_new(&args, &ops, sizeof ops, this);
    fuse_opt_free_args(&args);
    if (!f) return;
    if (fuse_mount(f, mountPoint_.c_str()) != 0) {
        fuse_destroy(f);
        return;
    }
    fuse_ = f;
    mounted_ = true;
    loop_ = std::thread([f] { fuse_loop_mt(f, 0); });
}

StallFs::~StallFs() {
    if (!fuse_) return;
    release();
    auto* f = static_cast<struct fuse*>(fuse_);
    fuse_exit(f);
    fuse_unmount(f);
    if (loop_.joinable()) loop_.join();
    fuse_destroy(f);
}

void StallFs::stall(std::chrono::milliseconds howLong) {
    std::lock_guard lock(mutex_);
    stall_ = howLong;
    listingsBelow_.clear();
    rootToo_ = false;
}

void StallFs::stallAll(std::chrono::milliseconds howLong) {
    std::lock_guard lock(mutex_);
    stall_ = howLong;
    listingsBelow_.clear();
    rootToo_ = true;
}

void StallFs::stallListings(std::chrono::milliseconds howLong, std::string below) {
    std::lock_guard lock(mutex_);
    stall_ = howLong;
    listingsBelow_ = std::move(below);
    rootToo_ = false;
}

void StallFs::release() {
    {
        std::lock_guard lock(mutex_);
        stall_ = std::chrono::milliseconds(0);
        rootToo_ = false;
        ++epoch_;
    }
    wake_.notify_all();
}

void StallFs::enter(const char* path, bool listing) {
    if (std::strncmp(path, "/slow", 5) != 0 && !rootToo_) return;
    ++calls_;
    std::unique_lock lock(mutex_);
    if (stall_.count() <= 0) return;
    if (!listingsBelow_.empty() &&
        (!listing || std::string_view(path).substr(0, listingsBelow_.size()) != listingsBelow_))
        return;
    const uint64_t epoch = epoch_;
    ++waiting_;
    wake_.wait_for(lock, stall_, [&] { return epoch_ != epoch; });
    --waiting_;
}

}  // namespace arbel::test
