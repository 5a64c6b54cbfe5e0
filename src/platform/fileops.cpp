#include "platform/fileops.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <limits>
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

Status writeAllAt(int out, const char* data, size_t len, off_t pos) {
    while (len > 0) {
        ssize_t n = ::pwrite(out, data, len, pos);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errnoError({});
        }
        if (n == 0) return errnoError({}, ENOSPC);
        data += n;
        len -= size_t(n);
        pos += n;
    }
    return {};
}

bool rangeNotOffered(int err) {
    return err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == EBADF ||
           err == EPERM;
}

// The next data region at or after `pos`: false at the end of the file. A file
// system that cannot tell holes gives everything to the end as data.
bool nextData(int in, off_t pos, bool sparse, off_t* start, off_t* end) {
    if (!sparse) {
        *start = pos;
        *end = std::numeric_limits<off_t>::max();
        return true;
    }
    off_t data = ::lseek(in, pos, SEEK_DATA);
    if (data < 0) {
        if (errno == ENXIO) return false;  // only a hole is left
        *start = pos;
        *end = std::numeric_limits<off_t>::max();
        return true;
    }
    off_t hole = ::lseek(in, data, SEEK_HOLE);
    *start = data;
    *end = hole < 0 ? std::numeric_limits<off_t>::max() : hole;
    return true;
}

}  // namespace

Status copyFileData(int in, int out, uint64_t* copied, const std::function<bool(uint64_t)>& chunk,
                    bool allowRange) {
    uint64_t total = 0;
    if (copied) *copied = 0;
    struct stat st;
    if (::fstat(in, &st) != 0) return errnoError({});
    // Fewer blocks than bytes: the file may have holes worth keeping.
    const bool sparse = S_ISREG(st.st_mode) && uint64_t(st.st_blocks) * 512 < uint64_t(st.st_size);
    bool useRange = allowRange;
    std::vector<char> buf;
    auto pass = [&](uint64_t n) -> bool {
        total += n;
        if (copied) *copied = total;
        return !chunk || chunk(n);
    };
    off_t pos = 0;  // everything before pos is in the target (or a hole there)
    off_t start = 0, end = 0;
    bool atEof = false;
    while (!atEof && nextData(in, pos, sparse, &start, &end)) {
        if (start > pos && !pass(uint64_t(start - pos))) return errnoError({}, ECANCELED);
        pos = start;
        while (pos < end) {
            size_t want = size_t(std::min<off_t>(end - pos, off_t(kChunk)));
            ssize_t n = 0;
            if (useRange) {
                loff_t inOff = pos, outOff = pos;
                n = ::copy_file_range(in, &inOff, out, &outOff, want, 0);
                if (n < 0) {
                    int err = errno;
                    if (err == EINTR) continue;
                    // Not offered between these two files: copy through a buffer.
                    if (rangeNotOffered(err)) {
                        useRange = false;
                        continue;
                    }
                    return errnoError({}, err);
                }
            } else {
                if (buf.empty()) buf.resize(size_t(1) << 20);
                n = ::pread(in, buf.data(), std::min(want, buf.size()), pos);
                if (n < 0) {
                    if (errno == EINTR) continue;
                    return errnoError({});
                }
                if (n > 0) {
                    Status w = writeAllAt(out, buf.data(), size_t(n), pos);
                    if (!w.ok()) return w;
                }
            }
            if (n == 0) {  // the end of the file, which may have shrunk meanwhile
                atEof = true;
                break;
            }
            pos += n;
            if (!pass(uint64_t(n))) return errnoError({}, ECANCELED);
        }
    }
    if (sparse) {
        // A hole at the end is made by the size alone.
        if (::fstat(in, &st) != 0) return errnoError({});
        if (st.st_size > pos) {
            if (!pass(uint64_t(st.st_size - pos))) return errnoError({}, ECANCELED);
            pos = st.st_size;
        }
        if (::ftruncate(out, pos) != 0) return errnoError({});
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

namespace {

Result<TempFile> createNamedTemp(int dirFd, std::string_view targetName) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = tempNameFor(targetName);
        int fd = ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) return TempFile{fd, name};
        if (errno != EEXIST) return errnoError(std::string(targetName));
    }
    return errnoError(std::string(targetName), EEXIST);
}

// Gives an anonymous file a name; fails with EEXIST when the name is taken.
int linkAnonymous(int fd, int dirFd, const std::string& name) {
    char proc[64];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, proc, dirFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    int err = errno;
    if (err != ENOENT) return err;
    // No /proc: the privileged way, for root.
    if (::linkat(fd, "", dirFd, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
    return errno;
}

// Whether an anonymous file can be named later: linkat through /proc needs it.
bool anonymousFilesUsable() {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

}  // namespace

Result<TempFile> createTempBeside(int dirFd, std::string_view targetName, bool allowAnonymous) {
    if (allowAnonymous && anonymousFilesUsable()) {
        int fd = ::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) return TempFile{fd, {}};
        int err = errno;
        // Other failures (no space, no permission) would fail a named file too.
        if (err != EOPNOTSUPP && err != EISDIR && err != EINVAL && err != ENOENT)
            return errnoError(std::string(targetName), err);
    }
    return createNamedTemp(dirFd, targetName);
}

Status commitTemp(int dirFd, TempFile& temp, const std::string& name, bool replace) {
    if (temp.anonymous()) {
        if (!replace) {
            if (int err = linkAnonymous(temp.fd, dirFd, name)) return errnoError(name, err);
            int fd = temp.fd;
            temp.fd = -1;
            if (::close(fd) != 0) {
                int err = errno;
                ::unlinkat(dirFd, name.c_str(), 0);
                return errnoError(name, err);
            }
            return {};
        }
        // Replacing: a hidden name first, so the close is checked before the old
        // file goes.
        for (int attempt = 0;; ++attempt) {
            std::string hidden = tempNameFor(name);
            int err = linkAnonymous(temp.fd, dirFd, hidden);
            if (!err) {
                temp.name = hidden;
                break;
            }
            if (err != EEXIST || attempt >= 100) return errnoError(name, err);
        }
    }
    if (temp.fd >= 0) {
        int fd = temp.fd;
        temp.fd = -1;
        if (::close(fd) != 0) {
            int err = errno;
            discardTemp(dirFd, temp);
            return errnoError(name, err);
        }
    }
    Status r =
        replace ? (::renameat(dirFd, temp.name.c_str(), dirFd, name.c_str()) == 0 ? Status{}
                                                                                  : Status{errnoError(name)})
                : renameNoReplace(dirFd, temp.name, dirFd, name);
    if (!r.ok()) {
        if (r.error().code != EEXIST || replace) discardTemp(dirFd, temp);
        return errnoError(name, r.error().code);
    }
    temp.name.clear();
    return {};
}

void discardTemp(int dirFd, TempFile& temp) {
    if (temp.fd >= 0) ::close(temp.fd);
    temp.fd = -1;
    if (!temp.name.empty()) ::unlinkat(dirFd, temp.name.c_str(), 0);
    temp.name.clear();
}

Status makeDirs(const std::string& path, mode_t mode) {
    if (path.empty()) return errnoError(path, ENOENT);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return {};
        return errnoError(path, ENOTDIR);
    }
    std::string parent = parentPath(path);
    if (parent != path) {
        Status s = makeDirs(parent, mode);
        if (!s.ok()) return s;
    }
    if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST) return errnoError(path);
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
