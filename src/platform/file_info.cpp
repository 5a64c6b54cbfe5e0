#include "platform/file_info.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace arbel {

namespace {

Timestamp fromStatx(const struct statx_timestamp& t) {
    return {t.tv_sec, t.tv_nsec};
}

}  // namespace

Result<FileInfo> fileInfo(const std::string& path) {
    const unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    struct statx self {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, mask, &self) != 0) return errnoError(path);
    FileInfo info;
    info.lmode = self.stx_mode;
    info.isLink = S_ISLNK(self.stx_mode);
    struct statx sx = self;
    if (info.isLink && ::statx(AT_FDCWD, path.c_str(), 0, mask, &sx) != 0) {
        if (errno != ENOENT && errno != ENOTDIR && errno != ELOOP) return errnoError(path);
        info.dangling = true;
        sx = self;
    }
    info.mode = sx.stx_mode;
    info.uid = sx.stx_uid;
    info.gid = sx.stx_gid;
    info.size = sx.stx_size;
    info.modified = fromStatx(sx.stx_mtime);
    info.accessed = fromStatx(sx.stx_atime);
    info.changed = fromStatx(sx.stx_ctime);
    if (sx.stx_mask & STATX_BTIME) info.created = fromStatx(sx.stx_btime);
    return info;
}

Result<std::string> linkTarget(const std::string& path) {
    std::vector<char> buf(256);
    for (;;) {
        ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size());
        if (n < 0) return errnoError(path);
        if (static_cast<std::size_t>(n) < buf.size())
            return std::string(buf.data(), static_cast<std::size_t>(n));
        buf.resize(buf.size() * 2);
    }
}

std::string userName(uid_t uid) {
    std::vector<char> buf(4096);
    struct passwd pw {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return std::to_string(uid);
}

std::string groupName(gid_t gid) {
    std::vector<char> buf(4096);
    struct group gr {};
    struct group* found = nullptr;
    if (::getgrgid_r(gid, &gr, buf.data(), buf.size(), &found) == 0 && found && found->gr_name)
        return found->gr_name;
    return std::to_string(gid);
}

uid_t effectiveUser() {
    return ::geteuid();
}

Status setModifiedTime(const std::string& path, Timestamp t) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(t.sec);
    times[1].tv_nsec = static_cast<long>(t.nsec);
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) return errnoError(path);
    return {};
}

Status setTimes(const std::string& path, Timestamp accessed, Timestamp modified) {
    struct timespec times[2];
    times[0].tv_sec = static_cast<time_t>(accessed.sec);
    times[0].tv_nsec = static_cast<long>(accessed.nsec);
    times[1].tv_sec = static_cast<time_t>(modified.sec);
    times[1].tv_nsec = static_cast<long>(modified.nsec);
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) return errnoError(path);
    return {};
}

Status setMode(const std::string& path, mode_t mode) {
    if (::chmod(path.c_str(), mode & 07777) != 0) return errnoError(path);
    return {};
}

}  // namespace arbel
