#include "core/config/file_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/fileops.h"
#include "platform/paths.h"

namespace arbel::config {

namespace {

// Follows symbolic links at path itself (not in its folders) so that a settings
// file kept elsewhere through a link is updated in place. A dangling link gives
// the path it points to, where the first write then creates the file.
Result<std::string> resolveLinks(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0) return errnoError(path);
        target.resize(size_t(n));
        if (target.empty()) return errnoError(path, ENOENT);
        path = target.front() == '/' ? target : joinPath(parentPath(path), target);
    }
    return errnoError(path, ELOOP);
}

Status readFd(int fd, const std::string& path, std::string& out) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return errnoError(path);
    if (!S_ISREG(st.st_mode)) return errnoError(path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    out.clear();
    out.reserve(size_t(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errnoError(path);
        }
        if (n == 0) break;
        out.append(buf, size_t(n));
    }
    return {};
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(size_t(n));
    }
    return true;
}

}  // namespace

std::string readSettingsFile(const std::string& path) {
    auto r = readForUpdate(path);
    return r ? std::move(*r) : std::string();
}

Result<std::string> readForUpdate(const std::string& path) {
    // O_NONBLOCK: opening a FIFO put in the file's place must not hang the program.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return std::string();
        return errnoError(path);
    }
    std::string bytes;
    Status s = readFd(fd, path, bytes);
    ::close(fd);
    if (!s) return s.error();
    return bytes;
}

UpdateLock::~UpdateLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

UpdateLock lockForUpdate(const std::string& path, const std::string& creatableFolder, int timeoutMs) {
    UpdateLock lock;
    auto resolved = resolveLinks(path);
    if (!resolved) return lock;
    std::string dir = parentPath(*resolved);
    if (!creatableFolder.empty() && dir == creatableFolder && !makeDirs(dir, 0700).ok()) return lock;
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return lock;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        lock.fd_ = fd;
        return lock;
    }
    if (timeoutMs <= 0) {
        ::close(fd);
        return lock;
    }
    // Wait in the kernel's queue, not by polling: a process saving key after key
    // holds the lock almost all the time, and a poller only finds it free by luck, so
    // it would run out its time limit and write unlocked. The wait runs on a thread
    // of its own so that it can be given up; a thread given up closes the folder
    // (releasing anything it got) once its flock returns.
    struct Wait {
        std::mutex m;
        std::condition_variable cv;
        bool done = false, abandoned = false, locked = false;
    };
    auto wait = std::make_shared<Wait>();
    try {
        std::thread([wait, fd] {
            int rc;
            do rc = ::flock(fd, LOCK_EX);
            while (rc != 0 && errno == EINTR);
            std::lock_guard<std::mutex> g(wait->m);
            if (wait->abandoned) {
                ::close(fd);
                return;
            }
            wait->done = true;
            wait->locked = rc == 0;
            wait->cv.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        ::close(fd);
        return lock;
    }
    std::unique_lock<std::mutex> g(wait->m);
    if (wait->cv.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return wait->done; })) {
        if (wait->locked)
            lock.fd_ = fd;
        else
            ::close(fd);
        return lock;
    }
    wait->abandoned = true;
    return lock;
}

Status replaceFile(const std::string& path, std::string_view bytes, const std::string& creatableFolder,
                   mode_t newFileMode) {
    auto resolved = resolveLinks(path);
    if (!resolved) return resolved.error();
    const std::string& target = *resolved;
    std::string dir = parentPath(target);
    if (!creatableFolder.empty() && dir == creatableFolder) {
        if (Status made = makeDirs(dir, 0700); !made.ok()) return errnoError(path, made.error().code);
    }

    mode_t mode = newFileMode;
    uid_t uid = uid_t(-1);
    gid_t gid = gid_t(-1);
    struct stat st;
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return errnoError(path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        if (::access(target.c_str(), W_OK) != 0) return errnoError(path);
        mode = st.st_mode & 07777;
        uid = st.st_uid;
        gid = st.st_gid;
    } else if (errno != ENOENT) {
        return errnoError(path);
    }

    std::string temp = dir + "/." + baseName(target) + ".XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return errnoError(path);
    int error = 0;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0 || ::fchmod(fd, mode) != 0) error = errno;
    if (!error && uid != uid_t(-1) && (uid != ::geteuid() || gid != ::getegid())) {
        // Keeps a file shared through a group, or one run with sudo, in its owner's
        // hands; failing that is no reason to refuse the write.
        if (::fchown(fd, uid, gid) != 0) (void)!::fchown(fd, uid_t(-1), gid);
    }
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
    if (error) {
        ::unlink(temp.c_str());
        return errnoError(path, error);
    }
    // Makes the rename itself durable; the file is already whole either way.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return {};
}

}  // namespace arbel::config
