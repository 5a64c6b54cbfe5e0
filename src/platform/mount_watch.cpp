#include "platform/mount_watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace arbel {

MountWatch::MountWatch() {
    fd_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    last_ = read();
}

MountWatch::~MountWatch() {
    if (fd_ >= 0) ::close(fd_);
}

// Reading the whole file from the start clears the pending POLLPRI.
std::string MountWatch::read() {
    std::string text;
    if (fd_ < 0) return text;
    if (::lseek(fd_, 0, SEEK_SET) < 0) return text;
    char buf[16384];
    for (;;) {
        ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buf, size_t(n));
    }
    return text;
}

bool MountWatch::changed() {
    std::string now = read();
    if (now == last_) return false;
    last_ = std::move(now);
    return true;
}

}  // namespace arbel
