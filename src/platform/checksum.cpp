#include "platform/checksum.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace arbel {

namespace {

GChecksumType glibType(ChecksumKind kind) {
    return kind == ChecksumKind::Md5 ? G_CHECKSUM_MD5 : G_CHECKSUM_SHA256;
}

struct ChecksumFree {
    void operator()(GChecksum* c) const { g_checksum_free(c); }
};
using ChecksumPtr = std::unique_ptr<GChecksum, ChecksumFree>;

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// Large enough that the per-call cost vanishes, small enough that the block
// just copied in is still in the core's own cache when the hash reads it.
constexpr std::size_t kBlock = 128 << 10;

}  // namespace

Result<std::string> fileChecksum(const std::string& path, ChecksumKind kind, const CancelToken& cancel,
                                 std::atomic<uint64_t>* done) {
    Fd in;
    in.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (in.fd < 0) return errnoError(path);
    struct stat st;
    if (::fstat(in.fd, &st) != 0) return errnoError(path);
    // A FIFO or a device is never read: it may never end, or have side effects.
    if (!S_ISREG(st.st_mode)) return errnoError(path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    ::posix_fadvise(in.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    ChecksumPtr sum(g_checksum_new(glibType(kind)));
    std::vector<unsigned char> buf(kBlock);
    for (;;) {
        if (cancel.cancelled()) return errnoError(path, ECANCELED);
        ssize_t n = ::read(in.fd, buf.data(), buf.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errnoError(path);
        }
        if (n == 0) break;
        g_checksum_update(sum.get(), buf.data(), n);
        if (done) done->fetch_add(static_cast<uint64_t>(n), std::memory_order_relaxed);
    }
    return std::string(g_checksum_get_string(sum.get()));
}

std::string dataChecksum(ChecksumKind kind, const void* data, std::size_t size) {
    ChecksumPtr sum(g_checksum_new(glibType(kind)));
    g_checksum_update(sum.get(), static_cast<const guchar*>(data), static_cast<gssize>(size));
    return g_checksum_get_string(sum.get());
}

}  // namespace arbel
