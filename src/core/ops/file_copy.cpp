#include "core/ops/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/dir.h"
#include "platform/fileops.h"

namespace arbel::ops {

void TFileCopy::Execute() {
    if (source_.empty()) return report("I can't copy\rSource File name missing");
    if (target_.empty()) return report("I can't copy\rTarget File name missing");
    if (!copy(source_, target_)) report("Execution failed");
}

bool TFileCopy::copy(const std::string& source, const std::string& target) {
    auto progress = [&](int r, int w) {
        if (CopyProgress) CopyProgress(std::clamp(r, 0, 100), std::clamp(w, 0, 100));
    };
    if (source == target) {
        report("Error !!!\rCan't copy the file on itself");
        return false;
    }
    int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (in < 0 || ::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (in >= 0) ::close(in);
        report(source + " missing or damaged");
        return false;
    }
    // The same file under another spelling (a link, "..", a hard link): copying
    // would destroy the very data it reads.
    struct stat ts;
    if (::stat(target.c_str(), &ts) == 0 && sameFile(st, ts)) {
        ::close(in);
        report("Error !!!\rCan't copy the file on itself");
        return false;
    }
    progress(0, 0);
    std::string folder = parentPath(target), name = baseName(target);
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Result<TempFile> temp = dirFd >= 0 ? createTempBeside(dirFd, name) : Result<TempFile>(errnoError(folder));
    if (!temp.ok()) {
        ::close(in);
        if (dirFd >= 0) ::close(dirFd);
        report("Error on creating " + target);
        return false;
    }
    DirHandle dir(dirFd);
    const uint64_t size = uint64_t(st.st_size);
    uint64_t done = 0;
    Status s = copyFileData(in, temp->fd, nullptr, [&](uint64_t n) {
        done += n;
        int pct = size ? int(done * 100 / size) : 100;
        progress(pct, pct);
        return true;
    });
    struct stat out;
    bool ok = s.ok() && ::fstat(temp->fd, &out) == 0 && uint64_t(out.st_size) == done;
    bool readFailed = !s.ok() && s.error().code == EIO;
    if (ok) {
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        ok = ::fchmod(temp->fd, st.st_mode & 07777) == 0 && ::futimens(temp->fd, times) == 0;
    }
    ::close(in);
    // Only a complete copy takes the target's name; an existing target is replaced
    // in one step, so it is either the old file or the whole new one.
    if (ok) ok = commitTemp(dirFd, *temp, name, true).ok();
    if (!ok) {
        discardTemp(dirFd, *temp);
        report(readFailed ? "Error reading \r" + source + "\rCopy failed."
                          : "Error writing \r" + target + "\rCopy failed.");
        return false;
    }
    progress(100, 100);
    return true;
}

}  // namespace arbel::ops
