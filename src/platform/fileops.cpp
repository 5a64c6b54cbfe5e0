#include "platform/fileops.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <vector>

#include "platform/dir.h"

namespace arbel {

Status renameNoReplace(int fromDir, const std::string& fromName, int toDir, const std::string& toName) {
    if (::renameat2(fromDir, fromName.c_str(), toDir, toName.c_str(), RENAME_NOREPLACE) == 0) return {};
    int err = errno;
    if (err != EINVAL && err != ENOSYS && err != ENOTSUP) return errnoError(toName, err);
    // The file system cannot promise it: check, then rename. A target appearing in
    // between is the one window we cannot close without kernel help.
    struct stat st;
    if (::fstatat(toDir, toName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return errnoError(toName, EEXIST);
    if (::renameat(fromDir, fromName.c_str(), toDir, toName.c_str()) != 0) return errnoError(toName);
    return {};
}

Status renameNoReplace(const std::string& from, const std::string& to) {
    Status s = renameNoReplace(AT_FDCWD, from, AT_FDCWD, to);
    if (!s.ok()) return errnoError(s.error().code == EEXIST ? to : from, s.error().code);
    return s;
}

namespace {

constexpr size_t kChunk = size_t(8) << 20;  // cancel is checked at least this often

Status writeAll(int out, const char* data, size_t len) {
    while (len > 0) {
        ssize_t n = ::write(out, data, len);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errnoError({});
        }
        if (n == 0) return errnoError({}, ENOSPC);
        data += n;
        len -= size_t(n);
    }
    return {};
}

}  // namespace

Status copyFileData(int in, int out, uint64_t* copied, const std::function<bool(uint64_t)>& chunk) {
    uint64_t total = 0;
    if (copied) *copied = 0;
    bool useRange = true;
    std::vector<char> buf;
    for (;;) {
        ssize_t n = 0;
        if (useRange) {
            n = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
            if (n < 0) {
                int err = errno;
                if (err == EINTR) continue;
                // Not offered between these two files: copy through a buffer. Only
                // before the first byte, so offsets are still where read/write expect.
                if ((err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == EBADF ||
                     err == EPERM) &&
                    total == 0) {
                    useRange = false;
                    continue;
                }
                return errnoError({}, err);
            }
        } else {
            if (buf.empty()) buf.resize(size_t(1) << 20);
            n = ::read(in, buf.data(), buf.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                return errnoError({});
            }
            if (n > 0) {
                Status w = writeAll(out, buf.data(), size_t(n));
                if (!w.ok()) return w;
            }
        }
        if (n == 0) break;
        total += uint64_t(n);
        if (copied) *copied = total;
        if (chunk && !chunk(uint64_t(n))) return errnoError({}, ECANCELED);
    }
    return {};
}

std::string tempNameFor(std::string_view targetName) {
    static std::atomic<unsigned> counter{0};
    thread_local std::mt19937 rng{std::random_device{}()};
    // Keep the name short enough for NAME_MAX whatever the target's length.
    std::string stem(targetName.substr(0, 200));
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".arbel-%06x%x", unsigned(rng() & 0xffffff), counter++ & 0xfff);
    return "." + stem + suffix;
}

Result<TempFile> createTempBeside(int dirFd, std::string_view targetName) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = tempNameFor(targetName);
        int fd = ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) return TempFile{fd, name};
        if (errno != EEXIST) return errnoError(std::string(targetName));
    }
    return errnoError(std::string(targetName), EEXIST);
}

Status makeDirs(const std::string& path) {
    if (path.empty()) return errnoError(path, ENOENT);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return {};
        return errnoError(path, ENOTDIR);
    }
    std::string parent = parentPath(path);
    if (parent != path) {
        Status s = makeDirs(parent);
        if (!s.ok()) return s;
    }
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return errnoError(path);
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return errnoError(path, ENOTDIR);
    return {};
}

Result<bool> isInside(const std::string& folder, dev_t dev, ino_t ino) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errnoError(folder);
    DirHandle cur(fd);
    for (int depth = 0; depth < 4096; ++depth) {
        struct stat st;
        if (::fstat(cur.fd(), &st) != 0) return errnoError(folder);
        if (st.st_dev == dev && st.st_ino == ino) return true;
        int up = ::openat(cur.fd(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (up < 0) return errnoError(folder);
        DirHandle parent(up);
        struct stat pst;
        if (::fstat(parent.fd(), &pst) != 0) return errnoError(folder);
        if (sameFile(pst, st)) return false;  // the root
        cur = std::move(parent);
    }
    return false;
}

namespace {

struct RemoveFrame {
    DirHandle dir;
    std::string rel;   // relative to the removed item; "" for the item
    std::string name;  // name in the parent frame
    std::vector<std::pair<std::string, EntryType>> entries;
    size_t next = 0;
    bool keptSomething = false;
};

}  // namespace

RemoveOutcome removeTree(int parentFd, const std::string& name, const std::string& display,
                         const RemoveHooks& hooks) {
    auto fail = [&](const std::string& rel, int code) {
        Error e = errnoError(rel.empty() ? display : joinPath(display, rel), code);
        return hooks.onError ? hooks.onError(e) : true;
    };
    auto cancelled = [&] { return hooks.cancel && hooks.cancel->cancelled(); };
    struct stat top;
    if (::fstatat(parentFd, name.c_str(), &top, AT_SYMLINK_NOFOLLOW) != 0) {
        return fail({}, errno) ? RemoveOutcome::Incomplete : RemoveOutcome::Stopped;
    }
    if (hooks.shouldRemove && !hooks.shouldRemove({}, top)) return RemoveOutcome::Incomplete;
    if (!S_ISDIR(top.st_mode)) {
        if (::unlinkat(parentFd, name.c_str(), 0) != 0) {
            return fail({}, errno) ? RemoveOutcome::Incomplete : RemoveOutcome::Stopped;
        }
        if (hooks.removed) hooks.removed({}, false);
        return RemoveOutcome::Done;
    }

    bool incomplete = false;
    std::vector<RemoveFrame> stack;
    auto openFrame = [&](int dirFd, const std::string& entryName, const std::string& rel) -> bool {
        int fd = ::openat(dirFd, entryName.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) return false;
        RemoveFrame f;
        f.dir = DirHandle(fd);
        f.rel = rel;
        f.name = entryName;
        struct stat st;
        if (::fstat(fd, &st) != 0) return false;
        if (st.st_dev != top.st_dev) {
            errno = EXDEV;
            return false;
        }
        Status s = forEachEntry(f.dir, [&](const RawEntry& e) {
            f.entries.emplace_back(std::string(e.name), e.type);
            return true;
        });
        if (!s.ok()) {
            errno = s.error().code;
            return false;
        }
        stack.push_back(std::move(f));
        return true;
    };
    if (!openFrame(parentFd, name, {})) {
        return fail({}, errno) ? RemoveOutcome::Incomplete : RemoveOutcome::Stopped;
    }
    while (!stack.empty()) {
        if (cancelled()) return RemoveOutcome::Cancelled;
        RemoveFrame& f = stack.back();
        if (f.next < f.entries.size()) {
            auto [entry, type] = f.entries[f.next++];
            std::string rel = f.rel.empty() ? entry : f.rel + "/" + entry;
            struct stat st {};
            bool needStat = hooks.shouldRemove || type == EntryType::Unknown || type == EntryType::Dir;
            if (needStat && ::fstatat(f.dir.fd(), entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT) continue;  // gone already: nothing to do
                f.keptSomething = true;
                incomplete = true;
                if (!fail(rel, errno)) return RemoveOutcome::Stopped;
                continue;
            }
            if (needStat) type = entryTypeFromMode(st.st_mode);
            if (hooks.shouldRemove && !hooks.shouldRemove(rel, st)) {
                f.keptSomething = true;
                continue;
            }
            if (type == EntryType::Dir) {
                if (st.st_dev != top.st_dev) {
                    // A mount point below: never delete into another file system.
                    f.keptSomething = true;
                    incomplete = true;
                    if (!fail(rel, EXDEV)) return RemoveOutcome::Stopped;
                    continue;
                }
                int dirFd = f.dir.fd();
                if (!openFrame(dirFd, entry, rel)) {
                    stack.back().keptSomething = true;
                    incomplete = true;
                    if (!fail(rel, errno)) return RemoveOutcome::Stopped;
                }
                continue;
            }
            if (::unlinkat(f.dir.fd(), entry.c_str(), 0) != 0 && errno != ENOENT) {
                f.keptSomething = true;
                incomplete = true;
                if (!fail(rel, errno)) return RemoveOutcome::Stopped;
                continue;
            }
            if (hooks.removed) hooks.removed(rel, false);
            continue;
        }
        // All entries handled: remove the folder itself from its parent.
        RemoveFrame done = std::move(stack.back());
        stack.pop_back();
        int parent = stack.empty() ? parentFd : stack.back().dir.fd();
        if (done.keptSomething) {
            if (!stack.empty())
                stack.back().keptSomething = true;
            else
                incomplete = true;
            continue;
        }
        done.dir = DirHandle();
        if (::unlinkat(parent, done.name.c_str(), AT_REMOVEDIR) != 0) {
            if (!stack.empty()) stack.back().keptSomething = true;
            incomplete = true;
            if (!fail(done.rel, errno)) return RemoveOutcome::Stopped;
            continue;
        }
        if (hooks.removed) hooks.removed(done.rel, true);
    }
    return incomplete ? RemoveOutcome::Incomplete : RemoveOutcome::Done;
}

}  // namespace arbel
