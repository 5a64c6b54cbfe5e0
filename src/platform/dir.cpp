#include "platform/dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace arbel {

EntryType entryTypeFromDType(unsigned char t) {
    switch (t) {
        case DT_REG:
            return EntryType::File;
        case DT_DIR:
            return EntryType::Dir;
        case DT_LNK:
            return EntryType::Link;
        case DT_FIFO:
            return EntryType::Fifo;
        case DT_SOCK:
            return EntryType::Socket;
        case DT_CHR:
            return EntryType::CharDev;
        case DT_BLK:
            return EntryType::BlockDev;
        default:
            return EntryType::Unknown;
    }
}

DirHandle::~DirHandle() {
    if (fd_ >= 0) ::close(fd_);
}

DirHandle& DirHandle::operator=(DirHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

Result<DirHandle> DirHandle::open(const std::string& path, bool noFollow) {
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0);
    int fd = ::open(path.c_str(), flags);
    if (fd < 0) return errnoError(path);
    return DirHandle(fd);
}

Result<DirHandle> DirHandle::openChild(std::string_view name) const {
    std::string n(name);
    int fd = ::openat(fd_, n.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return errnoError(n);
    return DirHandle(fd);
}

Status forEachEntry(const DirHandle& dir, const std::function<bool(const RawEntry&)>& visit) {
    if (::lseek(dir.fd(), 0, SEEK_SET) < 0) return errnoError({});
    alignas(8) char buf[32768];
    for (;;) {
        long n = ::syscall(SYS_getdents64, dir.fd(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errnoError({});
        }
        if (n == 0) return {};
        for (long off = 0; off < n;) {
            auto* d = reinterpret_cast<LinuxDirent64*>(buf + off);
            off += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
            RawEntry e{std::string_view(name, std::strlen(name)), entryTypeFromDType(d->d_type), d->d_ino};
            if (!visit(e)) return {};
        }
    }
}

Result<struct stat> statAt(const DirHandle& dir, std::string_view name, bool follow) {
    std::string n(name);
    struct stat st;
    if (::fstatat(dir.fd(), n.c_str(), &st, follow ? 0 : AT_SYMLINK_NOFOLLOW) != 0) return errnoError(n);
    return st;
}

Result<struct stat> statPath(const std::string& path, bool follow) {
    struct stat st;
    int rc = follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    if (rc != 0) return errnoError(path);
    return st;
}

EntryType entryTypeFromMode(mode_t mode) {
    if (S_ISREG(mode)) return EntryType::File;
    if (S_ISDIR(mode)) return EntryType::Dir;
    if (S_ISLNK(mode)) return EntryType::Link;
    if (S_ISFIFO(mode)) return EntryType::Fifo;
    if (S_ISSOCK(mode)) return EntryType::Socket;
    if (S_ISCHR(mode)) return EntryType::CharDev;
    if (S_ISBLK(mode)) return EntryType::BlockDev;
    return EntryType::Unknown;
}

std::string currentFolder() {
    char* resolved = ::getcwd(nullptr, 0);
    if (!resolved) return {};
    std::string out = resolved;
    std::free(resolved);
    struct stat here, there;
    const char* pwd = std::getenv("PWD");
    if (pwd && *pwd == '/' && ::stat(out.c_str(), &here) == 0 && ::stat(pwd, &there) == 0 &&
        here.st_dev == there.st_dev && here.st_ino == there.st_ino)
        out = pwd;
    return out;
}

}  // namespace arbel
