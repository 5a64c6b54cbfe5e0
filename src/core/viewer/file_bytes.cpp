#include "core/viewer/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace arbel::viewer {

Result<int> openRegularFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errnoError(path);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int code = errno;
        ::close(fd);
        return errnoError(path, code);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return Error{path, 0, "not a regular file"};
    }
    // The non-blocking flag only guarded the open of a FIFO; reads of a regular file
    // never block on it, but clear it so short reads mean what they usually mean.
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

Result<std::vector<uint8_t>> readPictureFile(const std::string& path, uint64_t maxBytes) {
    auto fd = openRegularFile(path);
    if (!fd) return fd.error();
    struct stat st {};
    ::fstat(*fd, &st);
    if (static_cast<uint64_t>(st.st_size) > maxBytes) {
        ::close(*fd);
        return Error{path, 0, "the picture file is too large"};
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = ::read(*fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            int code = errno;
            ::close(*fd);
            return errnoError(path, code);
        }
        if (n == 0) break;  // the file shrank while we read it
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    ::close(*fd);
    return bytes;
}

}  // namespace arbel::viewer
